#pragma once
// Registry entries of a sample machine: the root folders of the development
// environments and the machine-wide shell folders, both in the 32-bit view of
// HKEY_LOCAL_MACHINE where the wizard looks for them. Writing there needs a
// process that may write HKLM (under Wine any process can).
//
// Calls made after RegOverridePredefKey(HKEY_LOCAL_MACHINE, ...) in the same
// process go to the substitute key, like the wizard's own reads.

#include <optional>
#include <string>
#include <string_view>

namespace vdx::sample {

inline constexpr std::string_view ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The key below HKLM under which the environment with package version `ver`
// (7, 9 to 12, 14 to 28) registers itself, e.g. "SOFTWARE\Embarcadero\BDS\22.0"
// for 28. Throws std::invalid_argument for any other number.
std::string CompilerRegistryKey(int ver);

// The environment's version folder: "22.0" for 28, "7.0" for Delphi 7 and for
// RAD Studio 2010 (14). The RAD Studio package folders under the public
// documents use the same number.
std::string CompilerKeyVersion(int ver);

// Writes the value "RootDir" of the environment's key, exactly as given.
void RegisterCompiler(int ver, const std::string& rootDir);
// Removes the value "RootDir" (the key stays); nothing happens when it is absent.
void UnregisterCompiler(int ver);

// Writes or removes one string value ("Personal", "Common Documents") of the
// machine-wide shell-folders key.
void WriteShellFolder(std::string_view valueName, const std::string& path);
void DeleteShellFolder(std::string_view valueName);

// A string value in the 32-bit view of HKLM, as the wizard reads it; nullopt
// when the key or value is missing or not a string.
std::optional<std::string> ReadMachineString32(std::string_view key, std::string_view valueName);

} // namespace vdx::sample
