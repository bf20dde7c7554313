// vdrc: turns one XML language-resource file into a resource unit.
//
//   vdrc [-j] <file.xml>
//
// Writes <name>.pas into the current folder, in the ANSI code page, or in
// UTF-8 with a byte-order mark under "-j" ("/J"). Prints nothing on success,
// "no input" without an input path, and "<error type>: <message>" when the
// conversion failed; the old unit then stays as it was.
// Exit code: 0 unit written, 1 conversion failed, 2 no input.

#include "vdrc/core/Arguments.h"
#include "vdrc/core/Failure.h"
#include "vdrc/core/ResourceUnit.h"
#include "vdrc/core/Utf8.h"
#include "vdrc/win/Console.h"
#include "vdrc/win/Files.h"
#include "vdrc/win/Text.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <new>
#include <string>
#include <vector>

namespace vdx::rc {
namespace {

enum ExitCode { kWritten = 0, kFailed = 1, kNoInput = 2 };

// The arguments after the program name, split by the system's rules.
std::vector<std::u16string> CommandLineArguments() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::u16string> args;
    if (argv == nullptr)
        return args;
    for (int i = 1; i < argc; ++i)
        args.push_back(AsU16(argv[i]));
    LocalFree(argv);
    return args;
}

void Convert(const Arguments& args) {
    const std::u16string unitName = UnitNameOf(args.input);
    const std::wstring inputPath = FullPath(AsWide(args.input));
    const std::wstring outputPath = FullPath(AsWide(unitName) + L".pas");
    std::u16string unit;
    {
        const std::string bytes = ReadWholeFile(inputPath);
        unit = ConvertResource(unitName, bytes);
    }
    std::string out;
    if (args.utf8) {
        out = "\xEF\xBB\xBF";
        out += Utf8Encode(unit);
    } else {
        out = ToCodePage(CP_ACP, unit);
    }
    unit = std::u16string();
    ReplaceFileAtomic(outputPath, out);
}

int Run() {
    const Arguments args = ParseArguments(CommandLineArguments());
    if (!args.hasInput) {
        WriteLine(L"no input");
        return kNoInput;
    }
    try {
        Convert(args);
        return kWritten;
    } catch (const Failure& e) {
        WriteLine(Widen(e.Line()));
    } catch (const std::bad_alloc&) {
        WriteLine(L"EOutOfMemory: Out of memory");
    } catch (const std::exception& e) {
        WriteLine(L"Exception: " + Widen(e.what()));
    }
    return kFailed;
}

} // namespace
} // namespace vdx::rc

int main() {
    try {
        return vdx::rc::Run();
    } catch (...) {
        return vdx::rc::kFailed;
    }
}
