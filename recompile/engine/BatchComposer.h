#pragma once
// Builds the text of a batch file piece by piece so that every folder and
// argument reaches cmd.exe and the tool exactly as written:
//  - "%" is doubled, because cmd.exe expands "%...%" even inside quotes;
//  - paths are written in double quotes, where cmd.exe takes & ^ ( ) | < >
//    and blanks literally ("!" matters only with delayed expansion, which is
//    off for batch files unless the user turned it on machine-wide);
//  - a tool argument in quotes that ends in backslashes gets them doubled, so
//    the closing quote is not read as an escaped quote by the C runtime's
//    argument parser ("C:\Tee\" would otherwise swallow the rest of the line);
//  - double quotes and control characters, which no Windows path holds, are
//    dropped, so a pasted "C:\Tee" or a line break cannot end the quoting;
//  - text that the console code page cannot hold (run.bat is read in the OEM
//    code page) is not written into the file at all: it goes into an
//    environment variable of the batch's process, and the batch refers to it
//    as %NAME%. cmd.exe expands variables in UTF-16, so the tool receives the
//    exact text, and expanded text is not expanded again.
// For plain ASCII folders and switches the result is the unchanged text.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

struct EnvVar {
    std::string Name;
    std::string Value; // UTF-8
    bool operator==(const EnvVar&) const = default;
};

// A batch text (UTF-8; the batch runner writes it in the console code page)
// and the variables that must be set in the environment while it runs.
struct BatchScript {
    std::string Text;
    std::vector<EnvVar> Environment;
};

// Whether a UTF-8 text survives the trip to the console code page.
using FitsConsole = std::function<bool(std::string_view)>;

// Accepts plain ASCII only: the safe choice where the code page is unknown.
bool AsciiOnly(std::string_view text);

class BatchComposer {
public:
    explicit BatchComposer(FitsConsole fits = AsciiOnly, std::string varPrefix = "VDX_BATCH_ARG");

    // Text outside quotes (switches, package names, defines): "%" doubled,
    // & | < > ^ escaped with "^".
    std::string Plain(std::string_view text);
    // A folder in double quotes as cmd.exe itself reads it (cd).
    std::string Quoted(std::string_view path);
    // A folder or file in double quotes as a tool argument.
    std::string QuotedArg(std::string_view path);
    // Plain when the text has no blank or cmd.exe operator, else QuotedArg.
    std::string Arg(std::string_view text);

    BatchScript Finish(std::string text) const { return {std::move(text), env_}; }
    const std::vector<EnvVar>& Environment() const { return env_; }

private:
    std::string ViaVariable(const std::string& value);

    FitsConsole fits_;
    std::string prefix_;
    std::vector<EnvVar> env_;
    std::map<std::string, std::string> byValue_;
};

// Drops double quotes and control characters (a path holds neither).
std::string CleanPathText(std::string_view path);

} // namespace vdx
