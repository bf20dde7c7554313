#include "vdrc/core/Failure.h"

namespace vdx::rc {

Failure::Failure(std::string typeName, const std::string& message)
    : std::runtime_error(message), typeName_(std::move(typeName)) {}

std::string Failure::Line() const {
    return typeName_ + ": " + what();
}

Failure Failure::CannotOpen(std::string_view path, std::string_view reason) {
    return Failure("EFOpenError",
                   "Cannot open file \"" + std::string(path) + "\". " + std::string(reason));
}

Failure Failure::CannotCreate(std::string_view path, std::string_view reason) {
    return Failure("EFCreateError",
                   "Cannot create file \"" + std::string(path) + "\". " + std::string(reason));
}

Failure Failure::NoMapping() {
    return Failure(
        "EEncodingError",
        "No mapping for the Unicode character exists in the target multi-byte code page");
}

} // namespace vdx::rc
