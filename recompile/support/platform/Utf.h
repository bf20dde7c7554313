#pragma once
// The one widen/narrow pair: UTF-8 inside the program, UTF-16 at W API calls.
// Plus conversions for bytes that a console or cmd.exe reads or writes (OEM
// code page) and for the system's single-byte (ANSI) code page.

#include <string>
#include <string_view>

namespace vdx {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Text in a code page (CP_OEMCP, CP_ACP, ...) to and from UTF-8. Characters
// the code page cannot hold become the system's default character.
std::string ToCodePage(std::string_view utf8, unsigned codePage);
std::string FromCodePage(std::string_view bytes, unsigned codePage);

std::string Utf8ToOem(std::string_view utf8);
std::string OemToUtf8(std::string_view oem);
// True when every character of the text survives the trip to the OEM code page.
bool FitsOem(std::string_view utf8);

} // namespace vdx
