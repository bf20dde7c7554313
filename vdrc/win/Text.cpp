#include "vdrc/win/Text.h"

#include "vdrc/core/Failure.h"
#include "vdrc/core/Utf8.h"

#include <windows.h>

#include <algorithm>

namespace vdx::rc {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring AsWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string AsU16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

std::string Narrow(std::wstring_view text) {
    return Utf8Encode(AsU16(text));
}

std::wstring Widen(std::string_view utf8) {
    try {
        return AsWide(Utf8Decode(utf8));
    } catch (const Failure&) {
        std::wstring wide(utf8.size(), L'\0');
        int n = MultiByteToWideChar(CP_ACP, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    wide.data(), static_cast<int>(wide.size()));
        wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return wide;
    }
}

std::string ToCodePage(unsigned codePage, std::u16string_view text) {
    // Converted in blocks so that no length exceeds an int, each block ending
    // before a low surrogate so that no pair is parted.
    constexpr size_t kBlock = 1u << 20;
    // Worst case per UTF-16 code unit: 3 bytes (a UTF-8 ANSI code page).
    std::string buffer(std::min(kBlock, text.size()) * 3 + 8, '\0');
    std::string bytes;
    bytes.reserve(text.size());
    const auto* src = reinterpret_cast<const wchar_t*>(text.data());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t len = std::min(kBlock, text.size() - pos);
        if (pos + len < text.size() && len > 1 && text[pos + len] >= 0xDC00 &&
            text[pos + len] <= 0xDFFF)
            --len;
        int n = WideCharToMultiByte(codePage, 0, src + pos, static_cast<int>(len), buffer.data(),
                                    static_cast<int>(buffer.size()), nullptr, nullptr);
        if (n > 0) {
            bytes.append(buffer.data(), static_cast<size_t>(n));
        } else {
            // Not expected with a buffer of this size; ask for the exact size.
            n = WideCharToMultiByte(codePage, 0, src + pos, static_cast<int>(len), nullptr, 0,
                                    nullptr, nullptr);
            std::string exact(static_cast<size_t>(std::max(n, 0)), '\0');
            n = WideCharToMultiByte(codePage, 0, src + pos, static_cast<int>(len), exact.data(), n,
                                    nullptr, nullptr);
            bytes.append(exact.data(), static_cast<size_t>(std::max(n, 0)));
        }
        pos += len;
    }
    return bytes;
}

} // namespace vdx::rc
