#include "engine/IncludeFiles.h"

#include "engine/IncludeEdits.h"
#include "support/TextUtil.h"
#include "support/platform/FileIo.h"

namespace vdx {

namespace {

template <typename Edit> void EditLines(const std::string& path, Edit edit) {
    Lines lines = SplitLines(ReadFileBytes(path));
    edit(lines);
    WriteFileAtomic(path, JoinLines(lines));
}

} // namespace

void SetLattixDefine(const std::string& path) {
    if (FileExists(path))
        EditLines(path, [](Lines& lines) { ApplyLattixDefine(lines); });
}

void SetTeeDefines(const std::string& path, std::string_view teeName, std::string_view teeVariant) {
    if (FileExists(path))
        EditLines(path, [&](Lines& lines) { ApplyTeeDefines(lines, teeName, teeVariant); });
}

void EditMakeFile(const std::string& path, std::string_view defines, std::string_view searchPaths) {
    EditLines(path, [&](Lines& lines) { ApplyMakeFileEdits(lines, defines, searchPaths); });
}

} // namespace vdx
