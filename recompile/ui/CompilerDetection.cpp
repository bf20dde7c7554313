#include "ui/CompilerDetection.h"

#include "engine/BuildRequest.h"
#include "ui/Registry.h"

#include <array>

namespace vdx {

namespace {

// The join of the compiler rows and the environments' registry keys: the key
// numbers skip 13.0, the version numbers skip 8 and 13.
constexpr std::array<std::string_view, CompilerCount> kKeys = {
    "Software\\Borland\\Delphi\\7.0",   "Software\\Borland\\BDS\\3.0",
    "Software\\Borland\\BDS\\4.0",      "Software\\Borland\\BDS\\5.0",
    "SOFTWARE\\CodeGear\\BDS\\6.0",     "SOFTWARE\\CodeGear\\BDS\\7.0",
    "SOFTWARE\\Embarcadero\\BDS\\8.0",  "SOFTWARE\\Embarcadero\\BDS\\9.0",
    "SOFTWARE\\Embarcadero\\BDS\\10.0", "SOFTWARE\\Embarcadero\\BDS\\11.0",
    "SOFTWARE\\Embarcadero\\BDS\\12.0", "SOFTWARE\\Embarcadero\\BDS\\14.0",
    "SOFTWARE\\Embarcadero\\BDS\\15.0", "SOFTWARE\\Embarcadero\\BDS\\16.0",
    "SOFTWARE\\Embarcadero\\BDS\\17.0", "SOFTWARE\\Embarcadero\\BDS\\18.0",
    "SOFTWARE\\Embarcadero\\BDS\\19.0", "SOFTWARE\\Embarcadero\\BDS\\20.0",
    "SOFTWARE\\Embarcadero\\BDS\\21.0", "SOFTWARE\\Embarcadero\\BDS\\22.0",
};

constexpr char kShellFoldersKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

} // namespace

std::string_view CompilerRegistryKey(int row) {
    return row >= 0 && row < CompilerCount ? kKeys[static_cast<size_t>(row)] : std::string_view();
}

void ReadInstalledCompilers(std::vector<std::string>& installed, HKEY root) {
    for (int row = 0; row < CompilerCount; ++row) {
        std::string rootDir;
        if (UniqueKey key =
                OpenKeyForReading(root, kKeys[static_cast<size_t>(row)], KEY_WOW64_32KEY))
            rootDir = ReadStringValue(key.get(), "RootDir");
        if (!rootDir.empty() && rootDir.back() == '\\')
            rootDir.pop_back(); // one separator only
        installed.push_back("delphi" + std::to_string(CompilerList[static_cast<size_t>(row)].Ver) +
                            "=" + rootDir);
    }
}

ShellFolders ReadShellFolders(HKEY root) {
    ShellFolders folders;
    if (UniqueKey key = OpenKeyForReading(root, kShellFoldersKey, KEY_WOW64_32KEY)) {
        folders.Personal = ReadStringValue(key.get(), "Personal");
        folders.CommonDocuments = ReadStringValue(key.get(), "Common Documents");
    }
    return folders;
}

} // namespace vdx
