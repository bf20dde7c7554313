#pragma once
// Copying built packages into the folders where an environment looks for them.
//
// Every compile action copies every package file of its folder that matches
// the masks, not only its own, so during an "all" request the same unchanged
// files are copied into the same folders again and again (about n*n/2 copies
// for n packages). A DeployRecord, kept for one request, remembers the copies
// made; a copy is skipped when neither the package file nor the copy has
// changed since. The folders end up with the same files either way.

#include "engine/CompilePlan.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

struct FileStamp {
    uint64_t Size = 0;
    uint64_t WriteTime = 0; // FILETIME as one number
    bool operator==(const FileStamp&) const = default;
};

class DeployRecord {
public:
    // True when `target` (whose present stamp is `targetStamp`) was made from
    // `source` in its present state and has not changed since.
    bool IsCurrent(const std::string& source, const FileStamp& sourceStamp,
                   const std::string& target, const FileStamp& targetStamp) const;
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

// For each copy in order: every regular file of `folder` that matches one of
// its masks goes into its target folder, replacing a file of the same name;
// nothing goes into a target folder that does not exist. Raises FileError
// like CopyOneFile (copies made before stay). `record` may be null: then
// every file is copied.
void DeployFiles(const std::string& folder, const std::vector<DeployCopy>& copies,
                 DeployRecord* record);

} // namespace vdx
