#pragma once
// The copy and delete actions of the action scripts. Both work on one folder
// level, named relative to the installation folder, and select files by masks.

#include "engine/BuildRequest.h"
#include "support/vdxXML.h"

#include <string_view>

namespace vdx {

// Masks of the editors' backup and settings files, and of C++ headers and
// object files, as the attributes delbackup and delhppobj name them.
inline constexpr std::string_view BackupMasks = "*.bak *.~* *.cfg *.dof *.dsk *.ddp";
inline constexpr std::string_view HeaderObjectMasks = "*.hpp *.obj";

// Copies the files that `kind` ("all", "selected", "allexcept"), `files`,
// `delbackup` and `delhppobj` select from the folder `from` into the folder
// `to`. Nothing is copied when the two name the same folder, when the target
// folder is missing, or for any other kind. Raises FileError when a file cannot
// be copied; files copied before it stay.
void CopyAction(const TvdxXMLItem& action, const BuildRequest& request);

// Deletes the files that `kind` and `files` select in the folder `from`, then
// the backup masks (delbackup="yes") and the header and object masks
// (delhppobj="yes"). Files that cannot be deleted stay; nothing is raised.
void DeleteAction(const TvdxXMLItem& action, const BuildRequest& request);

} // namespace vdx
