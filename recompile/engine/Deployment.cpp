#include "engine/Deployment.h"

#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"

#include <windows.h>

#include <vector>

namespace vdx {

namespace {

uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

bool StampOf(const std::string& path, FileStamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp = {Join(data.nFileSizeHigh, data.nFileSizeLow),
             Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
    return true;
}

struct ListedFile {
    std::string Name;
    FileStamp Stamp;
};

// The regular files of one folder level (no folders, hidden or system files).
std::vector<ListedFile> ListFolder(const std::string& folder) {
    std::vector<ListedFile> files;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileExW(WidePath(DirWithDelimiter(folder) + "*").c_str(),
                                     FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return files;
    constexpr DWORD skipped =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if (!(fd.dwFileAttributes & skipped))
            files.push_back(
                {Narrow(fd.cFileName),
                 {Join(fd.nFileSizeHigh, fd.nFileSizeLow),
                  Join(fd.ftLastWriteTime.dwHighDateTime, fd.ftLastWriteTime.dwLowDateTime)}});
    } while (FindNextFileW(find.get(), &fd));
    return files;
}

} // namespace

bool DeployRecord::IsCurrent(const std::string& source, const FileStamp& sourceStamp,
                             const std::string& target) const {
    auto it = copies_.find(ToLowerAscii(target));
    if (it == copies_.end() || !SameTextAscii(it->second.Source, source) ||
        !(it->second.SourceStamp == sourceStamp))
        return false;
    FileStamp now;
    return StampOf(target, now) && now == it->second.TargetStamp;
}

void DeployRecord::Remember(const std::string& source, const FileStamp& sourceStamp,
                            const std::string& target) {
    FileStamp targetStamp;
    if (StampOf(target, targetStamp))
        copies_[ToLowerAscii(target)] = {source, sourceStamp, targetStamp};
    else
        copies_.erase(ToLowerAscii(target));
}

void DeployRecord::ForgetSources(std::string_view prefix) {
    for (auto it = copies_.begin(); it != copies_.end();) {
        const std::string& source = it->second.Source;
        if (source.size() >= prefix.size() &&
            SameTextAscii(std::string_view(source).substr(0, prefix.size()), prefix))
            it = copies_.erase(it);
        else
            ++it;
    }
}

void DeployByMask(const std::string& folder, const std::string& targetFolder,
                  std::string_view masks, DeployRecord* record) {
    if (!DirExists(targetFolder))
        return;
    const std::string from = DirWithDelimiter(folder);
    const std::string to = DirWithDelimiter(targetFolder);
    const std::vector<ListedFile> files = ListFolder(folder);
    for (const std::string& mask : SplitMaskList(masks))
        for (const ListedFile& file : files) {
            if (!MatchesMask(file.Name, mask))
                continue;
            const std::string source = from + file.Name;
            const std::string target = to + file.Name;
            if (record && record->IsCurrent(source, file.Stamp, target))
                continue;
            CopyOneFile(source, target);
            if (record)
                record->Remember(source, file.Stamp, target);
        }
}

} // namespace vdx
