// The file-system part of the file utilities: folder test, copying one file,
// copying and deleting the files of one folder by masks, the system folder.
//
// Every mask operation lists its folder once ("folder\*") and matches the long
// names itself (MatchesMask), so a mask never matches through an 8.3 name and
// all operations agree on what "*.*" means.

#include "support/tkUtils.h"

#include "support/Errors.h"
#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <windows.h>

#include <algorithm>
#include <memory>

namespace vdx {

namespace {

// The names of ListRegularFiles.
std::vector<std::string> ListFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (ListedFile& file : ListRegularFiles(folder))
        names.push_back(std::move(file.Name));
    return names;
}

bool MatchesAny(const std::string& name, const std::vector<std::string>& masks) {
    return std::any_of(masks.begin(), masks.end(),
                       [&](const std::string& mask) { return MatchesMask(name, mask); });
}

} // namespace

std::vector<ListedFile> ListRegularFiles(const std::string& folder) {
    std::vector<ListedFile> files;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileExW(WidePath(DirWithDelimiter(folder) + "*").c_str(),
                                     FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return files;
    constexpr DWORD skipped =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if (fd.dwFileAttributes & skipped)
            continue;
        files.push_back({Narrow(fd.cFileName),
                         (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow,
                         (static_cast<uint64_t>(fd.ftLastWriteTime.dwHighDateTime) << 32) |
                             fd.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileW(find.get(), &fd));
    return files;
}

bool DirExists(const std::string& path) {
    if (path.empty())
        return false;
    DWORD attrs = GetFileAttributesW(WidePath(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

constexpr size_t CopyBufferSize = 256 * 1024;

// Copies the bytes of `source` into a temporary file beside `target`, which
// then takes the target's place: a failed or interrupted copy leaves the old
// target intact.
void CopyThroughTemporary(const std::string& source, const std::string& target, char* buffer,
                          const TempFolder* temps = nullptr) {
    UniqueFile in(CreateFileW(WidePath(source).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in)
        throw FileError::CannotOpen(source, LastErrorMessage());

    AtomicFile out(target, temps);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.get(), buffer, static_cast<DWORD>(CopyBufferSize), &got, nullptr))
            throw FileError::CannotOpen(source, LastErrorMessage()); // `out` removes its file
        if (got == 0)
            break;
        out.Write(std::string_view(buffer, got));
    }
    in.reset(); // copying a file onto itself replaces the file we read
    out.Commit();
}

} // namespace

void CopyOneFile(const std::string& source, const std::string& target) {
    // Nothing happens when the target's folder does not exist.
    const size_t cut = target.find_last_of("\\/:");
    if (cut == std::string::npos || !DirExists(target.substr(0, cut + 1)))
        return;
    const std::unique_ptr<char[]> buffer(new char[CopyBufferSize]);
    CopyThroughTemporary(source, target, buffer.get());
}

void CopyFilesByMask(const std::string& sourceFolder, const std::string& targetFolder,
                     std::string_view masks, std::string_view exceptionMasks) {
    const std::string from = DirWithDelimiter(sourceFolder);
    const std::string to = DirWithDelimiter(targetFolder);
    // Nothing happens when the target folder does not exist, as in CopyOneFile;
    // the folder is looked at once here and again only when a copy fails.
    if (to.empty() || !DirExists(to))
        return;
    const std::vector<std::string> selected = SplitMaskList(masks);
    const std::vector<std::string> excluded = SplitMaskList(exceptionMasks);
    const std::vector<std::string> files = ListFiles(sourceFolder);
    std::vector<bool> isExcluded(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        isExcluded[i] = MatchesAny(files[i], excluded);
    const std::unique_ptr<char[]> buffer(new char[CopyBufferSize]);
    std::unique_ptr<TempFolder> temps; // made with the first copy
    // Mask by mask, as the lists are written: a file that two masks select is
    // copied twice, and the second copy replaces the first.
    for (const std::string& mask : selected) {
        for (size_t i = 0; i < files.size(); ++i) {
            if (isExcluded[i] || !MatchesMask(files[i], mask))
                continue;
            try {
                if (!temps)
                    temps = std::make_unique<TempFolder>(to);
                CopyThroughTemporary(from + files[i], to + files[i], buffer.get(), temps.get());
            } catch (const FileError&) {
                if (!DirExists(to))
                    return; // the target folder has gone: copies into it do nothing
                throw;
            }
        }
    }
}

void DeleteFilesByMask(const std::string& folder, std::string_view masks) {
    const std::vector<std::string> selected = SplitMaskList(masks);
    const std::string dir = DirWithDelimiter(folder);
    // A file that cannot be deleted (read-only, in use) stays, without a report.
    for (const std::string& name : ListFiles(folder))
        if (MatchesAny(name, selected))
            DeleteFileQuiet(dir + name);
}

void DeleteAllFilesExcept(const std::string& folder, std::string_view exceptionMasks) {
    const std::vector<std::string> kept = SplitMaskList(exceptionMasks);
    const std::string dir = DirWithDelimiter(folder);
    for (const std::string& name : ListFiles(folder))
        if (!MatchesAny(name, kept))
            DeleteFileQuiet(dir + name);
}

std::string SystemDirectory() {
    // The folder where 32-bit programs find the system DLLs, which is where the
    // 32-bit packages belong. A 64-bit process must ask for it by name.
    auto query = [](UINT(WINAPI * get)(LPWSTR, UINT)) {
        std::wstring buffer(1024, L'\0');
        UINT n = get(buffer.data(), static_cast<UINT>(buffer.size()));
        if (n >= buffer.size()) { // too small: n is the size needed
            buffer.assign(n, L'\0');
            n = get(buffer.data(), static_cast<UINT>(buffer.size()));
            if (n >= buffer.size())
                n = 0;
        }
        buffer.resize(n);
        while (buffer.size() > 3 && (buffer.back() == L'\\' || buffer.back() == L'/'))
            buffer.pop_back();
        return buffer;
    };
    std::wstring dir;
#ifdef _WIN64
    dir = query(GetSystemWow64DirectoryW);
#endif
    if (dir.empty())
        dir = query(GetSystemDirectoryW);
    return Narrow(dir);
}

} // namespace vdx
