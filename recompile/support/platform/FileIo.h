#pragma once
// Whole-file reads and writes for the shell, with the wizard's error texts.
// Paths are UTF-8; long paths (over 260 characters) are handled here.

#include <memory>
#include <string>
#include <string_view>

namespace vdx {

// UTF-16 form of a path for file APIs; paths near or over MAX_PATH get the
// "\\?\" prefix so that long folders work.
std::wstring WidePath(std::string_view utf8Path);

// The system's text for an error code, without the trailing line break.
std::string SysErrorMessage(unsigned long code);
// SysErrorMessage(GetLastError()).
std::string LastErrorMessage();

// Full path of the running program.
std::string ModuleFileName();

bool FileExists(const std::string& path); // a file, not a folder
bool DeleteFileQuiet(const std::string& path);

// Reads the whole file (shared read, write and delete access, so a file still
// held by a console host can be read). Raises FileError "Cannot open file".
std::string ReadFileBytes(const std::string& path);

// Replaces the file's content in one step: the bytes go to a temporary file in
// the same folder, which then takes the file's place. On any failure the old
// file keeps its content, the temporary file is removed, and FileError
// "Cannot create file" is raised. The new file has plain attributes.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// A file replaced in one step, written in pieces: the bytes go to a temporary
// file in the target's folder, and Commit puts it in the target's place. An
// object destroyed without Commit removes the temporary file and leaves the
// target as it was; so does a process that is ended by force while it writes
// (a temporary file beside the target goes with its handle, one in a
// TempFolder with that folder). Every failure raises FileError
// "Cannot create file" naming the target; a read-only target is refused (as
// Windows does, and Wine does not), and so are a folder of that name and a
// target in use. The target is examined only when Commit finds it there: a new
// file costs no lookup of a missing name, which on Wine means a search through
// the whole folder.
class TempFolder;

class AtomicFile {
public:
    // Creates the temporary file: in `temps` when one is given and usable,
    // otherwise beside the target.
    explicit AtomicFile(std::string path, const TempFolder* temps = nullptr);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(std::string_view bytes);
    void Commit(); // the new file gets plain attributes and its own time stamps

private:
    struct State;
    [[noreturn]] void Fail(unsigned long code); // removes the temporary file, then raises
    std::unique_ptr<State> state_;
};

// A hidden folder of its own, inside a target folder, for the temporary files
// of many AtomicFiles into that folder. On Wine every new name costs a search
// through its whole folder, and every request to the Wine server a round
// trip: a temporary file beside its target costs one such search more than
// the copy itself, a temporary file in this small folder next to nothing, and
// it needs no delete-on-close mark of its own. Instead the folder is held
// open without delete sharing while it is in use. A folder left by a wizard
// that was ended by force is held by nobody; the next TempFolder in the same
// place removes it with the temporary files in it. A file that a running
// wizard is writing is never removed (it is open without sharing). Never
// raises: when the folder cannot be made, Path() is empty and AtomicFile
// works beside its target.
class TempFolder {
public:
    explicit TempFolder(const std::string& targetFolder);
    ~TempFolder(); // removes the folder
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; } // with a trailing backslash, or empty

private:
    struct Held;
    std::string path_;
    std::unique_ptr<Held> held_;
};

// Makes a temporary file name in the folder of `path` for WriteFileAtomic-like
// operations (hidden while it is written).
std::string TempNameBeside(const std::string& path);

} // namespace vdx
