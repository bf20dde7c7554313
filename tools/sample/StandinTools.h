#pragma once
// A fake development environment made of the stand-in tool, and the record of
// the calls it received.
//
// The call log, Bin\standin-calls.log, has one line per call: the tool name
// ("dcc32", "dcc64", "bpr2mak", "make"), a tab, the call's current folder, a
// tab, the whole command line as the program received it, then CR LF; all
// UTF-8. "%", tab, CR and LF inside a field stand as %25, %09, %0D and %0A.

#include <string>
#include <string_view>
#include <vector>

namespace vdx::sample {

// The four names the stand-in is installed under, without ".exe".
inline constexpr std::string_view StandinToolNames[] = {"dcc32", "dcc64", "bpr2mak", "make"};

// Makes `envRoot` an environment: Bin\dcc32.exe, dcc64.exe, bpr2mak.exe and
// make.exe (copies of `standinExe`), Projects\Bpl and Projects\Lib. Folders
// are created as needed, existing tools replaced. Throws std::runtime_error.
void InstallStandinTools(const std::string& standinExe, const std::string& envRoot);

struct StandinCall {
    std::string tool;        // "dcc32", ...
    std::string folder;      // current folder of the call
    std::string commandLine; // as GetCommandLineW returned it
};

std::string StandinLogPath(const std::string& envRoot);    // envRoot\Bin\standin-calls.log
std::string StandinConfigPath(const std::string& envRoot); // envRoot\Bin\standin.cfg

// The recorded calls, oldest first; empty when nothing was recorded.
std::vector<StandinCall> ReadStandinCalls(const std::string& envRoot);
void ClearStandinCalls(const std::string& envRoot);

// Writes standin.cfg (one directive per line) or, with no lines, removes it.
void WriteStandinConfig(const std::string& envRoot, const std::vector<std::string>& directives);

// One log line split into its fields, escapes undone; false when the line
// does not have three fields.
bool ParseStandinCall(std::string_view line, StandinCall& call);

} // namespace vdx::sample
