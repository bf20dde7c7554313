#pragma once
// Copying built packages into the folders where an environment looks for them.
//
// Every compile action copies every package file of its folder that matches
// the masks, not only its own, so during an "all" request the same unchanged
// files are copied into the same folders again and again (about n*n/2 copies
// for n packages). A DeployRecord, kept for one request, remembers the copies
// made; a copy is skipped when neither the package file nor the copy has
// changed since. The folders end up with the same files either way.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace vdx {

struct FileStamp {
    uint64_t Size = 0;
    uint64_t WriteTime = 0; // FILETIME as one number
    bool operator==(const FileStamp&) const = default;
};

class DeployRecord {
public:
    // True when `target` was made from `source` in its present state and has
    // not changed since.
    bool IsCurrent(const std::string& source, const FileStamp& sourceStamp,
                   const std::string& target) const;
    void Remember(const std::string& source, const FileStamp& sourceStamp,
                  const std::string& target);
    // Forgets the copies of every file whose path begins with `prefix` (the
    // files of a package that has just been built again): a rebuilt file is
    // always copied, even where the file system's time stamps are coarse.
    void ForgetSources(std::string_view prefix);

private:
    struct Copy {
        std::string Source;
        FileStamp SourceStamp;
        FileStamp TargetStamp;
    };
    std::map<std::string, Copy> copies_; // by target path in small letters
};

// Copies every regular file of `folder` that matches one of `masks` into
// `targetFolder`, replacing files of the same name; nothing when the target
// folder does not exist. Raises FileError like CopyOneFile. `record` may be
// null (every file is copied).
void DeployByMask(const std::string& folder, const std::string& targetFolder,
                  std::string_view masks, DeployRecord* record);

} // namespace vdx
