#include "engine/LogAnalysis.h"

#include "support/TextUtil.h"

namespace vdx {

namespace {
bool Contains(std::string_view line, std::string_view marker) {
    return line.find(marker) != std::string_view::npos;
}
} // namespace

LogReport AnalyseLogText(std::string_view logText, std::string_view prefix) {
    LogReport report;
    for (const std::string& line : SplitLines(logText)) {
        if (Contains(line, "Error:") || Contains(line, "Fatal:")) {
            report.Lines.push_back(std::string(prefix) + " error: " + line);
            report.Ok = false;
            break;
        }
        if (Contains(line, "Warning:") || Contains(line, "Hint:"))
            report.Lines.push_back(std::string(prefix) + " hint: " + line);
    }
    return report;
}

std::string AppendBatchOutput(std::string_view previousLog, std::string_view batchOutput) {
    return JoinLines(SplitLines(previousLog)) + JoinLines(SplitLines(batchOutput));
}

} // namespace vdx
