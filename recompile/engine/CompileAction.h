#pragma once
// The compile action: builds one package named by a compile element of the
// action script with the environment's command-line tools, deploys the result
// and reports it in the MessageLog.

#include "engine/BuildRequest.h"
#include "engine/FrontEnd.h"
#include "support/vdxXML.h"

namespace vdx {

class DeployRecord;

// Runs one compile element. A package that fails to build is reported with
// " not compiled!" (after an " error: " line saying why) and is no error;
// file errors of the steps (run.bat, log.txt, a deployment target that cannot
// be replaced) are raised and end the section.
// `record` (may be null) remembers deployment copies across the compile
// actions of one request, so unchanged package files are not copied again.
void CompileAction(const TvdxXMLItem& action, const BuildRequest& request, FrontEnd& frontEnd,
                   DeployRecord* record = nullptr);

} // namespace vdx
