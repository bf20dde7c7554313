#include "support/platform/FileIo.h"

#include "support/Errors.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace vdx {

std::wstring WidePath(std::string_view utf8Path) {
    std::wstring w = Widen(utf8Path);
    if (w.size() < MAX_PATH - 12 || w.rfind(LR"(\\?\)", 0) == 0)
        return w;
    if (w.rfind(LR"(\\)", 0) == 0)
        return LR"(\\?\UNC\)" + w.substr(2);
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return w;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
    full.resize(n);
    if (full.size() >= 2 && full[1] == L':')
        return LR"(\\?\)" + full;
    return w;
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

std::string LastErrorMessage() {
    return SysErrorMessage(GetLastError());
}

std::string ModuleFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return Narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesW(WidePath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFileQuiet(const std::string& path) {
    return DeleteFileW(WidePath(path).c_str()) != 0;
}

std::string ReadFileBytes(const std::string& path) {
    UniqueFile f(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f)
        throw FileError::CannotOpen(path, LastErrorMessage());
    std::string bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f.get(), &size) && size.QuadPart > 0)
        bytes.reserve(static_cast<size_t>(size.QuadPart));
    char buf[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f.get(), buf, sizeof buf, &got, nullptr))
            throw FileError::CannotOpen(path, LastErrorMessage());
        if (got == 0)
            break;
        bytes.append(buf, got);
    }
    return bytes;
}

std::string TempNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    size_t slash = path.find_last_of("\\/:");
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return folder + "~vdx" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(counter++) + ".tmp";
}

struct AtomicFile::State {
    std::string path;
    std::wstring widePath;
    std::wstring wideTemp;
    UniqueFile file;
    bool deleteOnClose = false; // the system removes the temporary file with its handle
    bool hidden = false;        // written beside the target, where masks must not see it
    bool finished = false;      // committed, or the temporary file is gone
};

namespace {

// Marks an open file to be deleted when its handle is closed, or takes the
// mark back. A handle is also closed when its process is ended by force, so a
// marked temporary file never outlives a wizard that was killed.
bool SetDeleteOnClose(HANDLE file, bool remove) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info) != 0;
}

// A new file opened for writing and for renaming (DELETE access: Commit
// renames the file through this handle).
HANDLE CreateTemporary(const std::wstring& path, bool hidden) {
    return CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                       hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

AtomicFile::AtomicFile(std::string path, const TempFolder* temps)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.path = std::move(path);
    s.widePath = WidePath(s.path);
    if (temps && !temps->Path().empty()) {
        // No mask operation looks into that folder, so the file needs no
        // hiding there and has plain attributes from the start. Where it
        // cannot be made, it goes beside its target.
        s.wideTemp = WidePath(TempNameBeside(temps->Path() + "*"));
        s.file.reset(CreateTemporary(s.wideTemp, false));
    }
    if (!s.file) {
        s.wideTemp = WidePath(TempNameBeside(s.path));
        s.hidden = true;
        s.file.reset(CreateTemporary(s.wideTemp, true));
    }
    if (!s.file)
        throw FileError::CannotCreate(s.path, LastErrorMessage());
    // Beside the target the file goes with its handle, also when the process
    // is ended by force (where the file system cannot do this, the destructor
    // removes it). In a TempFolder the next TempFolder removes such a file.
    if (s.hidden)
        s.deleteOnClose = SetDeleteOnClose(s.file.get(), true);
}

AtomicFile::~AtomicFile() {
    state_->file.reset();
    if (!state_->finished)
        DeleteFileW(state_->wideTemp.c_str());
}

void AtomicFile::Fail(unsigned long code) {
    std::string reason = SysErrorMessage(code);
    state_->file.reset();
    DeleteFileW(state_->wideTemp.c_str());
    state_->finished = true;
    throw FileError::CannotCreate(state_->path, reason);
}

void AtomicFile::Write(std::string_view bytes) {
    State& s = *state_;
    if (!s.file)
        Fail(ERROR_INVALID_HANDLE);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD wrote = 0;
        if (!WriteFile(s.file.get(), bytes.data() + done, chunk, &wrote, nullptr))
            Fail(GetLastError());
        if (wrote == 0)
            Fail(ERROR_WRITE_FAULT);
        done += wrote;
    }
}

namespace {

// Gives the open file `file` the name `path`, replacing a file of that name
// or not.
bool RenameOpenFile(HANDLE file, const std::wstring& path, bool replace) {
    // The structure ends in the name, passed with its terminating zero.
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    std::copy(path.c_str(), path.c_str() + path.size() + 1, info->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size())) != 0;
}

} // namespace

void AtomicFile::Commit() {
    State& s = *state_;
    if (!s.file)
        Fail(ERROR_INVALID_HANDLE);
    if (s.deleteOnClose && !SetDeleteOnClose(s.file.get(), false))
        Fail(GetLastError());
    // The target's name, through the handle that wrote the file, so that the
    // temporary file is not looked up by name again. A file beside its target
    // is still hidden here: a wizard ended between these steps leaves at
    // worst a hidden temporary file, which no mask operation sees, never a
    // visible one.
    // A rename that replaces nothing succeeds for a new file. When something
    // is in the way it is examined: Windows refuses to replace a read-only
    // file and Wine would replace it, so refuse it the same way everywhere,
    // and a folder as well. Otherwise the rename replaces the target in one
    // step; a target held open by someone (without delete sharing) is not
    // replaced, the rename fails and the old file stays.
    if (!RenameOpenFile(s.file.get(), s.widePath, false)) {
        const DWORD refused = GetLastError();
        const DWORD attrs = GetFileAttributesW(s.widePath.c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES)
            Fail(refused);
        if (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            Fail(ERROR_ACCESS_DENIED);
        if (!RenameOpenFile(s.file.get(), s.widePath, true))
            Fail(GetLastError());
    }
    s.finished = true;
    // Then plain attributes for a file that was hidden; the times stay those
    // of the new file. The file is in place already, so a failure here leaves
    // it hidden rather than undoing the replacement.
    if (s.hidden) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (!SetFileInformationByHandle(s.file.get(), FileBasicInfo, &basic, sizeof basic))
            SetFileAttributesW(s.widePath.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    s.file.reset();
}

struct TempFolder::Held {
    UniqueFile folder; // shares reading and writing, not deleting
};

namespace {

// The names TempNameBeside makes: "~vdx<digits>-<digits>.tmp".
bool IsTemporaryName(std::wstring_view name) {
    constexpr std::wstring_view prefix = L"~vdx", suffix = L".tmp";
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix))
        return false;
    name = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const size_t dash = name.find(L'-');
    if (dash == 0 || dash == std::wstring_view::npos || dash + 1 == name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (i != dash && (name[i] < L'0' || name[i] > L'9'))
            return false;
    return true;
}

// A folder opened with `access`; FILE_FLAG_BACKUP_SEMANTICS opens folders.
HANDLE OpenFolder(const std::wstring& path, DWORD access, DWORD share) {
    return CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Removes the temporary folders that nobody holds from `folder` (with a
// trailing separator), with the temporary files in them. A running wizard
// holds its folder without delete sharing, so opening it for deleting fails.
void RemoveLeftoverFolders(const std::string& folder) {
    const std::wstring wideFolder = WidePath(folder);
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileExW((wideFolder + L"~vdx*.tmp").c_str(), FindExInfoBasic, &fd,
                                     FindExSearchLimitToDirectories, nullptr, 0));
    if (!find)
        return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTemporaryName(fd.cFileName))
            continue;
        const std::wstring leftover = wideFolder + fd.cFileName + L"\\";
        if (!UniqueFile(OpenFolder(leftover, DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)))
            continue; // in use
        WIN32_FIND_DATAW inner;
        UniqueFind files(FindFirstFileExW((leftover + L"*").c_str(), FindExInfoBasic, &inner,
                                          FindExSearchNameMatch, nullptr, 0));
        if (files) {
            do {
                if (!(inner.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    IsTemporaryName(inner.cFileName))
                    DeleteFileW((leftover + inner.cFileName).c_str());
            } while (FindNextFileW(files.get(), &inner));
        }
        files.reset();
        RemoveDirectoryW(leftover.c_str()); // fails when something else is in it
    } while (FindNextFileW(find.get(), &fd));
}

} // namespace

TempFolder::TempFolder(const std::string& targetFolder) {
    std::string folder = targetFolder;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    RemoveLeftoverFolders(folder);
    const std::string path = TempNameBeside(folder + "*");
    const std::wstring wide = WidePath(path);
    if (!CreateDirectoryW(wide.c_str(), nullptr))
        return;
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN);
    auto held = std::make_unique<Held>();
    // Held without delete sharing, so that the clean-up of another wizard
    // leaves the folder alone. Wine counts this handle in its sharing checks;
    // Windows does not count a handle that only reads attributes, and there a
    // folder removed between two files sends the next file beside its target.
    // A handle with an access to the contents would count everywhere; on
    // Wine it looked slower in the copy benchmark (not settled).
    held->folder.reset(OpenFolder(wide, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE));
    if (!held->folder) { // cannot be marked as in use: not used at all
        RemoveDirectoryW(wide.c_str());
        return;
    }
    held_ = std::move(held);
    path_ = path + "\\";
}

TempFolder::~TempFolder() {
    if (!held_)
        return;
    held_->folder.reset();
    // Someone who lists the folder just now (a virus scanner, a file manager;
    // on Wine without delete sharing) holds it for a moment: try again a few
    // times. A folder that stays is removed by the next TempFolder here.
    const std::wstring wide = WidePath(path_);
    for (int attempt = 0; attempt < 20 && !RemoveDirectoryW(wide.c_str()); ++attempt) {
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)
            break;
        Sleep(5);
    }
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    file.Write(bytes);
    file.Commit();
}

} // namespace vdx
