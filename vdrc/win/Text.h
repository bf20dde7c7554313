#pragma once
// Text conversions at the Win32 boundary of the converter.

#include <string>
#include <string_view>

namespace vdx::rc {

// wchar_t is a UTF-16 code unit on Windows: these only copy.
std::wstring AsWide(std::u16string_view text);
std::u16string AsU16(std::wstring_view text);

// UTF-8 <-> UTF-16 for paths and messages. Widen never fails: bytes that are
// not UTF-8 are read in the ANSI code page.
std::string Narrow(std::wstring_view text);
std::wstring Widen(std::string_view utf8);

// text in the given code page through the system's default conversion:
// characters the code page cannot hold become its default character (or a
// best-fit look-alike), exactly as WideCharToMultiByte does it.
std::string ToCodePage(unsigned codePage, std::u16string_view text);

} // namespace vdx::rc
