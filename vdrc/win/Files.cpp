#include "vdrc/win/Files.h"

#include "vdrc/core/Failure.h"
#include "vdrc/win/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace vdx::rc {

namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    bool Close() {
        bool ok = true;
        if (h_ != INVALID_HANDLE_VALUE)
            ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

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

std::string ReadWholeFile(const std::wstring& fullPath) {
    FileHandle f(CreateFileW(ApiPath(fullPath).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f)
        throw Failure::CannotOpen(Narrow(fullPath), LastErrorMessage());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.Get(), &size))
        throw Failure::CannotOpen(Narrow(fullPath), LastErrorMessage());
    if (static_cast<uint64_t>(size.QuadPart) >= PTRDIFF_MAX / 4)
        throw std::bad_alloc();
    // Read up to the end, also if the file grows meanwhile.
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(done + 64 * 1024);
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD got = 0;
        if (!ReadFile(f.Get(), bytes.data() + done, want, &got, nullptr))
            throw Failure::CannotOpen(Narrow(fullPath), LastErrorMessage());
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

void ReplaceFileAtomic(const std::wstring& fullPath, std::string_view bytes) {
    const std::wstring target = ApiPath(fullPath);
    auto fail = [&](std::string reason) { return Failure::CannotCreate(Narrow(fullPath), reason); };

    // Windows refuses to replace a read-only file (Wine does not): refuse it
    // here too, and a folder of that name as well.
    const DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES &&
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        throw fail(SysErrorMessage(ERROR_ACCESS_DENIED));

    const size_t slash = fullPath.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? L"" : fullPath.substr(0, slash + 1);
    const std::wstring stem = folder + L"~vdrc" + std::to_wstring(GetCurrentProcessId()) + L"-";
    std::wstring temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = ApiPath(stem + std::to_wstring(attempt) + L".tmp");
        h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = GetLastError();
            if ((err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) || attempt >= 100)
                throw fail(SysErrorMessage(err));
        }
    }
    FileHandle f(h);
    auto discard = [&](DWORD err) {
        f.Close();
        DeleteFileW(temp.c_str());
        return fail(SysErrorMessage(err));
    };
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD wrote = 0;
        if (!WriteFile(f.Get(), bytes.data() + done, chunk, &wrote, nullptr))
            throw discard(GetLastError());
        if (wrote == 0)
            throw discard(ERROR_WRITE_FAULT);
        done += wrote;
    }
    if (!f.Close()) {
        const DWORD err = GetLastError();
        DeleteFileW(temp.c_str());
        throw fail(SysErrorMessage(err));
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD err = GetLastError();
        DeleteFileW(temp.c_str());
        throw fail(SysErrorMessage(err));
    }
}

} // namespace vdx::rc
