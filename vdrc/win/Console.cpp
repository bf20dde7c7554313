#include "vdrc/win/Console.h"

#include "vdrc/win/Text.h"

#include <windows.h>

#include <string>

namespace vdx::rc {

void WriteLine(std::wstring_view line) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return;
    std::wstring text(line);
    text += L"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0)
        codePage = GetOEMCP();
    const std::string bytes = ToCodePage(codePage, AsU16(text));
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace vdx::rc
