#pragma once
// The text side of batch runs: what a captured compiler output means for the
// MessageLog, and how it joins the request's cumulative log.

#include <string>
#include <string_view>
#include <vector>

namespace vdx {

struct LogReport {
    std::vector<std::string> Lines; // MessageLog lines, in order
    bool Ok = true;                 // false when the output holds an error line
};

// Scans the output lines in order: the first line containing "Error:" or
// "Fatal:" gives prefix + " error: " + line and ends the scan with Ok false; a
// line containing "Warning:" or "Hint:" gives prefix + " hint: " + line. The
// markers are matched exactly (case-sensitive, with the colon); lines are
// reported as they are, leading blanks included.
LogReport AnalyseLogText(std::string_view logText, std::string_view prefix);

// The cumulative log after one more batch: the lines of `previousLog` followed
// by the lines of `batchOutput`, each ending in CR LF.
std::string AppendBatchOutput(std::string_view previousLog, std::string_view batchOutput);

} // namespace vdx
