#pragma once
// Reading the input file and putting the unit in place.

#include <string>
#include <string_view>

namespace vdx::rc {

// The absolute form of path (relative to the current folder).
std::wstring FullPath(const std::wstring& path);

// The system's text for an error code, without the trailing period and line
// break (UTF-8).
std::string SysErrorMessage(unsigned long code);

// The whole content of a file, mapped into memory (read into it when another
// program has the file open for writing, since a mapped file must not shrink
// under the reader). Throws Failure::CannotOpen.
class InputFile {
public:
    explicit InputFile(const std::wstring& fullPath);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    std::string_view Bytes() const { return bytes_; }

private:
    void* file_ = nullptr;
    void* view_ = nullptr;
    std::string copy_;
    std::string_view bytes_;
};

// A file written whole or not at all. The bytes go to a new file beside the
// target; Commit() puts it in the target's place in one step. Without Commit()
// (an error, a kill) the target keeps its content. A read-only target is
// refused, as Windows would refuse it (Wine would replace it). Every error
// throws Failure::CannotCreate with the target's path.
class UnitFile {
public:
    explicit UnitFile(const std::wstring& fullPath);
    ~UnitFile(); // discards the new file unless committed
    UnitFile(const UnitFile&) = delete;
    UnitFile& operator=(const UnitFile&) = delete;
    void Write(std::string_view bytes);
    void Commit();

private:
    [[noreturn]] void Fail(unsigned long error);
    void Discard();

    std::wstring target_; // as given to the file API
    std::wstring shown_;  // as shown in messages
    std::wstring temp_;
    void* file_;
};

} // namespace vdx::rc
