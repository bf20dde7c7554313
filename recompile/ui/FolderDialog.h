#pragma once
// The system's modal folder-selection dialog.

#include <windows.h>

#include <optional>
#include <string>

namespace vdx {

// Opens the dialog with no start folder and without a button for creating a
// new folder. The chosen folder's path as the dialog returns it, or nothing
// when the user cancels.
std::optional<std::string> BrowseForFolder(HWND owner);

} // namespace vdx
