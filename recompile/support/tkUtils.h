#pragma once
// File and path utilities of the wizard: list splitting, folder paths, copying
// and deleting the files of one folder by masks, the system folder, and running
// a program while the window stays responsive. Paths are UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

// --- text only (functional core) ---

// Clears `list`, then adds the tokens between separators; empty tokens are
// kept, a trailing separator adds none.
void SplitText(std::string_view text, char separator, std::vector<std::string>& list);

// Completes a folder path with a separator ("d" -> "d:\", "src" -> "src\",
// "C:" and "" unchanged).
std::string DirWithDelimiter(std::string_view path);

// A mask list trimmed and split at blanks (two blanks give an empty mask,
// which matches nothing).
std::vector<std::string> SplitMaskList(std::string_view masks);

// Case-insensitive "*"/"?" match of a file name against one mask; "*.*"
// matches every name, with or without a dot.
bool MatchesMask(std::string_view name, std::string_view mask);

// --- file system (Win32 shell) ---

bool DirExists(const std::string& path);

// A regular file of a folder as the folder's listing shows it.
struct ListedFile {
    std::string Name;
    uint64_t Size = 0;
    uint64_t WriteTime = 0; // FILETIME as one number
};

// The regular files of one folder level, in the order the file system lists
// them: no folders, no hidden or system files. A missing folder has none.
// The mask operations match their masks against these long names.
std::vector<ListedFile> ListRegularFiles(const std::string& folder);

void CopyOneFile(const std::string& source, const std::string& target);
void CopyFilesByMask(const std::string& sourceFolder, const std::string& targetFolder,
                     std::string_view masks, std::string_view exceptionMasks);
void DeleteFilesByMask(const std::string& folder, std::string_view masks);
void DeleteAllFilesExcept(const std::string& folder, std::string_view exceptionMasks);
std::string SystemDirectory();

// Runs a command line with its standard output in `outputFile` (created anew)
// and returns when it has ended, dispatching the window's messages meanwhile.
// With `captureErrors` the standard error goes into the same file. Reports
// nothing: the caller judges the run by the output file.
void RunAndWait(const std::string& commandLine, const std::string& outputFile,
                bool captureErrors = false);

} // namespace vdx
