#pragma once
// The errors that end a conversion. Each carries the type name and the
// message that make up the converter's one console line.

#include <stdexcept>
#include <string>
#include <string_view>

namespace vdx::rc {

class Failure : public std::runtime_error {
public:
    Failure(std::string typeName, const std::string& message);

    const std::string& TypeName() const { return typeName_; }
    // "<type name>: <message>"
    std::string Line() const;

    // EFOpenError: "Cannot open file "<path>". <reason>"
    static Failure CannotOpen(std::string_view path, std::string_view reason);
    // EFCreateError: "Cannot create file "<path>". <reason>"
    static Failure CannotCreate(std::string_view path, std::string_view reason);
    // EEncodingError: input bytes that are not UTF-8.
    static Failure NoMapping();

private:
    std::string typeName_;
};

} // namespace vdx::rc
