#pragma once
// The compile request driver: what the Compile button does. One call carries
// out one request from the environment check to "Done".

#include "engine/BuildRequest.h"
#include "engine/FrontEnd.h"

namespace vdx {

// Runs one request. The front end's fields of `request` are set; the driver
// derives the rest. Errors of the steps (file errors, a script that does not
// load, a folder that cannot be entered) leave the call after the driver has
// restored the current folder and the cursor; the caller shows them.
void CompileBClick(BuildRequest request, FrontEnd& frontEnd);

// True while a request runs (a second one is refused).
bool RequestRunning();

} // namespace vdx
