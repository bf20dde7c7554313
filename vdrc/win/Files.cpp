#include "vdrc/win/Files.h"

#include "vdrc/core/Failure.h"
#include "vdrc/win/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace vdx::rc {

namespace {

// The form of an absolute path to hand to the file API: paths too long for the
// classic limit get the "\\?\" prefix.
std::wstring ApiPath(const std::wstring& full) {
    if (full.size() < MAX_PATH - 12 || full.rfind(LR"(\\?\)", 0) == 0)
        return full;
    if (full.rfind(LR"(\\)", 0) == 0)
        return LR"(\\?\UNC\)" + full.substr(2);
    return LR"(\\?\)" + full;
}

std::string LastErrorMessage() {
    return SysErrorMessage(GetLastError());
}

} // namespace

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size())
        return path;
    full.resize(n);
    return full;
}

std::string SysErrorMessage(unsigned long code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<LPWSTR>(&buf), 0, nullptr);
    std::wstring text = n ? std::wstring(buf, n) : std::wstring();
    if (buf)
        LocalFree(buf);
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.'))
        text.pop_back();
    if (text.empty())
        return "System error " + std::to_string(code);
    return Narrow(text);
}

InputFile::InputFile(const std::wstring& fullPath) {
    const std::wstring path = ApiPath(fullPath);
    auto fail = [&] { return Failure::CannotOpen(Narrow(fullPath), LastErrorMessage()); };
    bool shared = false;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (f == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION) {
        shared = true;
        f = CreateFileW(path.c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    }
    if (f == INVALID_HANDLE_VALUE)
        throw fail();
    file_ = f;
    try {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(f, &size))
            throw fail();
        if (static_cast<uint64_t>(size.QuadPart) >= PTRDIFF_MAX / 4)
            throw std::bad_alloc();
        if (size.QuadPart == 0)
            return;
        if (!shared) {
            HANDLE mapping = CreateFileMappingW(f, nullptr, PAGE_READONLY, 0, 0, nullptr);
            if (!mapping)
                throw fail();
            view_ = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
            const DWORD err = GetLastError();
            CloseHandle(mapping); // the view keeps the mapping alive
            if (!view_) {
                SetLastError(err);
                throw fail();
            }
            bytes_ = std::string_view(static_cast<const char*>(view_),
                                      static_cast<size_t>(size.QuadPart));
            return;
        }
        // Read up to the end, also if the file grows meanwhile.
        copy_.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        for (;;) {
            if (done == copy_.size())
                copy_.resize(done + 64 * 1024);
            const DWORD want = static_cast<DWORD>(std::min<size_t>(copy_.size() - done, 1u << 24));
            DWORD got = 0;
            if (!ReadFile(f, copy_.data() + done, want, &got, nullptr))
                throw fail();
            if (got == 0)
                break;
            done += got;
        }
        copy_.resize(done);
        bytes_ = copy_;
    } catch (...) {
        CloseHandle(f);
        throw;
    }
}

InputFile::~InputFile() {
    if (view_)
        UnmapViewOfFile(view_);
    if (file_)
        CloseHandle(file_);
}

UnitFile::UnitFile(const std::wstring& fullPath)
    : target_(ApiPath(fullPath)), shown_(fullPath), file_(INVALID_HANDLE_VALUE) {
    // Windows refuses to replace a read-only file (Wine does not): refuse it
    // here too, and a folder of that name as well.
    const DWORD attrs = GetFileAttributesW(target_.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES &&
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        Fail(ERROR_ACCESS_DENIED);

    const size_t slash = fullPath.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? L"" : fullPath.substr(0, slash + 1);
    const std::wstring stem = folder + L"~vdrc" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned attempt = 0; file_ == INVALID_HANDLE_VALUE; ++attempt) {
        temp_ = ApiPath(stem + std::to_wstring(attempt) + L".tmp");
        file_ = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) {
            const DWORD err = GetLastError();
            if ((err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) || attempt >= 100) {
                temp_.clear();
                Fail(err);
            }
        }
    }
}

UnitFile::~UnitFile() {
    Discard();
}

void UnitFile::Discard() {
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (!temp_.empty())
        DeleteFileW(temp_.c_str());
    temp_.clear();
}

void UnitFile::Fail(unsigned long error) {
    Discard();
    throw Failure::CannotCreate(Narrow(shown_), SysErrorMessage(error));
}

void UnitFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 24));
        DWORD wrote = 0;
        if (!WriteFile(file_, bytes.data(), chunk, &wrote, nullptr))
            Fail(GetLastError());
        if (wrote == 0)
            Fail(ERROR_WRITE_FAULT);
        bytes.remove_prefix(wrote);
    }
}

void UnitFile::Commit() {
    HANDLE f = file_;
    file_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(f))
        Fail(GetLastError());
    if (!MoveFileExW(temp_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(GetLastError());
    temp_.clear();
}

} // namespace vdx::rc
