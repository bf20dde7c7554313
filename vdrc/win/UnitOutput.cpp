#include "vdrc/win/UnitOutput.h"

#include <windows.h>

#include <algorithm>

namespace vdx::rc {

CodePageFileSink::CodePageFileSink(UnitFile& file, unsigned codePage)
    : file_(file), codePage_(codePage), maxCharSize_(4) {
    CPINFO info{};
    if (GetCPInfo(codePage, &info) && info.MaxCharSize > 0)
        maxCharSize_ = info.MaxCharSize;
}

void CodePageFileSink::Write(std::u16string_view piece) {
    // In blocks whose lengths fit an int, none ending between the two halves
    // of a surrogate pair.
    constexpr size_t kBlock = size_t{1} << 20;
    while (!piece.empty()) {
        size_t len = std::min(kBlock, piece.size());
        if (len < piece.size() && len > 1 && piece[len] >= 0xDC00 && piece[len] <= 0xDFFF)
            --len;
        const size_t need = len * maxCharSize_ + 8;
        if (buffer_.size() < need)
            buffer_.resize(need);
        const auto* src = reinterpret_cast<const wchar_t*>(piece.data());
        int n = WideCharToMultiByte(codePage_, 0, src, static_cast<int>(len), buffer_.data(),
                                    static_cast<int>(buffer_.size()), nullptr, nullptr);
        if (n <= 0) {
            // Not expected with a buffer of this size; ask for the exact size.
            n = WideCharToMultiByte(codePage_, 0, src, static_cast<int>(len), nullptr, 0, nullptr,
                                    nullptr);
            buffer_.resize(static_cast<size_t>(std::max(n, 0)) + 8);
            n = WideCharToMultiByte(codePage_, 0, src, static_cast<int>(len), buffer_.data(),
                                    static_cast<int>(buffer_.size()), nullptr, nullptr);
        }
        if (n > 0)
            file_.Write(std::string_view(buffer_.data(), static_cast<size_t>(n)));
        piece.remove_prefix(len);
    }
}

} // namespace vdx::rc
