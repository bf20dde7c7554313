#include "engine/FileActions.h"

#include "support/TextUtil.h"
#include "support/tkUtils.h"

#include <algorithm>
#include <string>

namespace vdx {

namespace {

bool IsYes(const std::string& value) {
    return SameTextAscii(value, "yes");
}

// Two spellings of one folder: with or without the final separator, "/" or
// "\", any letter case.
bool SameFolder(std::string a, std::string b) {
    std::replace(a.begin(), a.end(), '/', '\\');
    std::replace(b.begin(), b.end(), '/', '\\');
    return SameTextAscii(DirWithDelimiter(a), DirWithDelimiter(b));
}

} // namespace

void CopyAction(const TvdxXMLItem& action, const BuildRequest& request) {
    const std::string from = request.InstallDir + action.AttrValue("from");
    const std::string to = request.InstallDir + action.AttrValue("to");
    // Copying a folder onto itself is not something a script asks for; leave
    // such an action alone rather than touch every file of the folder.
    if (SameFolder(from, to))
        return;

    std::string exceptions;
    if (IsYes(action.AttrValue("delbackup")))
        exceptions += " " + std::string(BackupMasks);
    if (IsYes(action.AttrValue("delhppobj")))
        exceptions += " " + std::string(HeaderObjectMasks);

    const std::string kind = ToLowerAscii(action.AttrValue("kind"));
    if (kind == "all")
        CopyFilesByMask(from, to, "*.*", exceptions);
    else if (kind == "selected")
        CopyFilesByMask(from, to, action.AttrValue("files"), exceptions);
    else if (kind == "allexcept")
        CopyFilesByMask(from, to, "*.*", exceptions + " " + action.AttrValue("files"));
}

void DeleteAction(const TvdxXMLItem& action, const BuildRequest& request) {
    const std::string folder = request.InstallDir + action.AttrValue("from");

    const std::string kind = ToLowerAscii(action.AttrValue("kind"));
    if (kind == "all")
        DeleteFilesByMask(folder, "*.*");
    else if (kind == "selected")
        DeleteFilesByMask(folder, action.AttrValue("files"));
    else if (kind == "allexcept")
        DeleteAllFilesExcept(folder, action.AttrValue("files"));

    // Whatever the kind: backup, header and object files go even when the
    // exceptions above kept them.
    if (IsYes(action.AttrValue("delbackup")))
        DeleteFilesByMask(folder, BackupMasks);
    if (IsYes(action.AttrValue("delhppobj")))
        DeleteFilesByMask(folder, HeaderObjectMasks);
}

} // namespace vdx
