#include "support/platform/Utf.h"

#include <windows.h>

namespace vdx {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr,
                                0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), s.data(), n,
                        nullptr, nullptr);
    return s;
}

std::string ToCodePage(std::string_view utf8, unsigned codePage) {
    std::wstring w = Widen(utf8);
    if (w.empty())
        return {};
    int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

std::string FromCodePage(std::string_view bytes, unsigned codePage) {
    if (bytes.empty())
        return {};
    int n =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return Narrow(w);
}

std::string Utf8ToOem(std::string_view utf8) {
    return ToCodePage(utf8, CP_OEMCP);
}
std::string OemToUtf8(std::string_view oem) {
    return FromCodePage(oem, CP_OEMCP);
}

bool FitsOem(std::string_view utf8) {
    std::wstring w = Widen(utf8);
    if (w.empty())
        return true;
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, w.data(),
                                static_cast<int>(w.size()), nullptr, 0, nullptr, &usedDefault);
    return n > 0 && !usedDefault;
}

} // namespace vdx
