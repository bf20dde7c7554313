// TEMPORARY - delete this file (and its line in CMakeLists.txt) when the
// compile request driver is merged. It stands in for engine/Driver.h
// (CompileBClick, RequestRunning) so that recompile.exe links meanwhile.

#include "engine/Driver.h"

namespace vdx {

void CompileBClick(BuildRequest, FrontEnd& frontEnd) {
    frontEnd.setClientHeight(597);
    frontEnd.clearLog();
    frontEnd.appendLog("Done");
}

bool RequestRunning() {
    return false;
}

} // namespace vdx
