#include "engine/Deployment.h"

#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/tkUtils.h"

#include <windows.h>

#include <map>
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

FileStamp StampOf(const ListedFile& file) {
    return {file.Size, file.WriteTime};
}

} // namespace

bool DeployRecord::IsCurrent(const std::string& source, const FileStamp& sourceStamp,
                             const std::string& target, const FileStamp& targetStamp) const {
    auto it = copies_.find(ToLowerAscii(target));
    return it != copies_.end() && SameTextAscii(it->second.Source, source) &&
           it->second.SourceStamp == sourceStamp && it->second.TargetStamp == targetStamp;
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

void DeployFiles(const std::string& folder, const std::vector<DeployCopy>& copies,
                 DeployRecord* record) {
    const std::string from = DirWithDelimiter(folder);
    std::vector<ListedFile> files;
    bool listed = false;
    for (const DeployCopy& copy : copies) {
        if (!DirExists(copy.TargetFolder))
            continue;
        if (!listed) {
            files = ListRegularFiles(folder); // one listing serves every target
            listed = true;
        }
        const std::string to = DirWithDelimiter(copy.TargetFolder);
        // The stamps of the copies already there, from one listing of the
        // target folder rather than one query per file.
        std::map<std::string, FileStamp> present;
        if (record)
            for (const ListedFile& file : ListRegularFiles(copy.TargetFolder))
                present.emplace(ToLowerAscii(file.Name), StampOf(file));
        for (const std::string& mask : SplitMaskList(copy.Masks))
            for (const ListedFile& file : files) {
                if (!MatchesMask(file.Name, mask))
                    continue;
                const std::string source = from + file.Name;
                const std::string target = to + file.Name;
                if (record) {
                    auto it = present.find(ToLowerAscii(file.Name));
                    if (it != present.end() &&
                        record->IsCurrent(source, StampOf(file), target, it->second))
                        continue;
                }
                CopyOneFile(source, target);
                if (record)
                    record->Remember(source, StampOf(file), target);
            }
    }
}

} // namespace vdx
