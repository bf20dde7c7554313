#pragma once
// Sinks that take the converter's unit piece by piece into the unit file.

#include "vdrc/core/ResourceUnit.h"
#include "vdrc/win/Files.h"

#include <string>

namespace vdx::rc {

// UTF-8 pieces, written as they are.
class Utf8FileSink : public UnitSink<char> {
public:
    explicit Utf8FileSink(UnitFile& file) : file_(file) {}
    void Write(std::string_view piece) override { file_.Write(piece); }

private:
    UnitFile& file_;
};

// UTF-16 pieces, written in a code page through the system's default
// conversion: characters the code page cannot hold become its default
// character (or a best-fit look-alike), exactly as WideCharToMultiByte does it.
class CodePageFileSink : public UnitSink<char16_t> {
public:
    CodePageFileSink(UnitFile& file, unsigned codePage);
    void Write(std::u16string_view piece) override;

private:
    UnitFile& file_;
    unsigned codePage_;
    unsigned maxCharSize_; // bytes per UTF-16 code unit at most
    std::string buffer_;
};

} // namespace vdx::rc
