#include "support/tkUtils.h"

#include "support/tkExec.h"

namespace vdx {

void RunAndWait(const std::string& commandLine, const std::string& outputFile, bool captureErrors) {
    TvdExec exec;
    exec.SetPath(commandLine);
    exec.SetOutputFile(outputFile);
    if (captureErrors)
        exec.SetErrorFile(outputFile);
    exec.SetStillWait(true);
    exec.Run();
}

} // namespace vdx
