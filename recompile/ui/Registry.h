#pragma once
// Registry access of the wizard's front end: keys opened with the least access
// that the task needs, string values read and written as UTF-8.

#include "support/platform/Handles.h"

#include <string>
#include <string_view>

namespace vdx {

// Opens `path` below `root` for reading (KEY_READ plus `extraAccess`, for
// example KEY_WOW64_32KEY). A leading separator is allowed. Empty when the key
// is missing or access is refused.
UniqueKey OpenKeyForReading(HKEY root, std::string_view path, REGSAM extraAccess = 0);

// Opens `path` below `root` for reading and writing, creating it when it is
// missing. Empty on failure.
UniqueKey CreateKeyForWriting(HKEY root, std::string_view path);

// A string value (REG_SZ or REG_EXPAND_SZ, not expanded), up to its first NUL
// character. A missing value and a value of any other type read as empty.
std::string ReadStringValue(HKEY key, std::string_view name);

// Writes a REG_SZ value; false on failure.
bool WriteStringValue(HKEY key, std::string_view name, std::string_view value);

} // namespace vdx
