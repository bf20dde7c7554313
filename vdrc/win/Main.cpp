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
#include "vdrc/win/UnitOutput.h"

#include <windows.h>

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace vdx::rc {
namespace {

enum ExitCode { kWritten = 0, kFailed = 1, kNoInput = 2 };

void Convert(const Arguments& args) {
    const std::u16string unitName = UnitNameOf(args.input);
    const std::wstring inputPath = FullPath(AsWide(args.input));
    const std::wstring outputPath = FullPath(AsWide(unitName) + L".pas");
    std::optional<UnitFile> unit;
    {
        const InputFile input(inputPath);
        // Bad input is reported before anything about the output.
        if (!IsUtf8(input.Bytes()))
            throw Failure::NoMapping();
        unit.emplace(outputPath);
        if (args.utf8) {
            unit->Write("\xEF\xBB\xBF");
            Utf8FileSink sink(*unit);
            ConvertResourceUtf8(unitName, input.Bytes(), sink);
        } else {
            CodePageFileSink sink(*unit, CP_ACP);
            ConvertResource(unitName, input.Bytes(), sink);
        }
    }
    // The input is closed by now, so it may be the file being replaced
    // ("vdrc x.pas").
    unit->Commit();
}

int Run(const std::vector<std::u16string>& arguments) {
    const Arguments args = ParseArguments(arguments);
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

#ifdef __MINGW32__
// The arguments as the system splits them, with no wildcard expansion by the
// C runtime: an input name is taken as it is written.
extern "C" {
int _dowildcard = 0;
}
#endif

int wmain(int argc, wchar_t** argv) {
    try {
        std::vector<std::u16string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(vdx::rc::AsU16(argv[i]));
        return vdx::rc::Run(arguments);
    } catch (...) {
        return vdx::rc::kFailed;
    }
}
