#include "support/Errors.h"

namespace vdx {

FileError FileError::CannotOpen(std::string_view path, std::string_view reason) {
    return FileError("Cannot open file \"" + std::string(path) + "\". " + std::string(reason));
}

FileError FileError::CannotCreate(std::string_view path, std::string_view reason) {
    return FileError("Cannot create file \"" + std::string(path) + "\". " + std::string(reason));
}

ConvertError::ConvertError(std::string_view text)
    : Error("'" + std::string(text) + "' is not a valid integer value") {}

} // namespace vdx
