#include "engine/BatchRun.h"

#include "engine/FrontEnd.h"
#include "engine/LogAnalysis.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"

namespace vdx {

namespace {
// Deletes a work file when the step that uses it is over, however it ends.
class DeleteOnExit {
public:
    explicit DeleteOnExit(std::string path) : path_(std::move(path)) {}
    ~DeleteOnExit() { DeleteFileQuiet(path_); }
    DeleteOnExit(const DeleteOnExit&) = delete;
    DeleteOnExit& operator=(const DeleteOnExit&) = delete;

private:
    std::string path_;
};
} // namespace

void RunBatch(const std::string& installDir, std::string_view batchText) {
    const std::string batch = installDir + std::string(RunBatName);
    const std::string log = installDir + std::string(LogTxtName);
    const std::string recompileLog = installDir + std::string(RecompileLogName);

    // cmd.exe reads batch files in the console code page.
    WriteFileAtomic(batch, Utf8ToOem(batchText));
    {
        DeleteOnExit removeBatch(batch);
        // Standard error shares the log's handle, so messages of cmd.exe and of
        // the tools ("not recognized", crashes) land in the log, in order.
        RunAndWait("\"" + batch + "\"", log, /*captureErrors=*/true);
    }

    const std::string output = ReadFileBytes(log);
    const std::string previous = FileExists(recompileLog) ? ReadFileBytes(recompileLog) : "";
    // Replaced in one step: a failed write leaves the earlier logs intact.
    WriteFileAtomic(recompileLog, AppendBatchOutput(previous, output));
}

bool AnalyseLog(const std::string& installDir, std::string_view prefix, FrontEnd& frontEnd) {
    const std::string log = installDir + std::string(LogTxtName);
    DeleteOnExit removeLog(log);
    const LogReport report = AnalyseLogText(OemToUtf8(ReadFileBytes(log)), prefix);
    for (const std::string& line : report.Lines)
        frontEnd.appendLog(line);
    return report.Ok;
}

} // namespace vdx
