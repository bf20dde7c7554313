#pragma once
// Batch runs of a compile step: the step's commands go into "run.bat" in the
// installation folder, which runs with its output captured in "log.txt"; that
// output is added to "recompile.log" and scanned for errors, warnings and
// hints.

#include <string>
#include <string_view>

namespace vdx {

struct FrontEnd;

inline constexpr std::string_view RunBatName = "run.bat";
inline constexpr std::string_view LogTxtName = "log.txt";
inline constexpr std::string_view RecompileLogName = "recompile.log";

// Writes `batchText` (UTF-8; lines separated by CR LF) into installDir +
// "run.bat" in the console code page, runs it hidden in a console of its own
// with its standard output and standard error in "log.txt", removes run.bat
// and appends the output's lines to "recompile.log". Leaves "log.txt" for
// AnalyseLog. Raises FileError when run.bat, log.txt or recompile.log cannot be
// written or read; recompile.log keeps its earlier content then.
void RunBatch(const std::string& installDir, std::string_view batchText);

// Reports the error, warning and hint lines of "log.txt" through the front end
// (see AnalyseLogText), deletes log.txt and returns true when it held no error
// line. Raises FileError "Cannot open file" when log.txt cannot be read.
bool AnalyseLog(const std::string& installDir, std::string_view prefix, FrontEnd& frontEnd);

} // namespace vdx
