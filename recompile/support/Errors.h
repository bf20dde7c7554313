#pragma once
// Errors raised by the wizard's file and format operations. Their messages are
// the texts the user sees in the error box.

#include <stdexcept>
#include <string>
#include <string_view>

namespace vdx {

// Base of every error the wizard raises on purpose.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened, created or replaced.
class FileError : public Error {
public:
    using Error::Error;
    // "Cannot open file "<path>". <reason>"
    static FileError CannotOpen(std::string_view path, std::string_view reason);
    // "Cannot create file "<path>". <reason>"
    static FileError CannotCreate(std::string_view path, std::string_view reason);
};

// A folder that cannot be entered or created.
class InOutError : public Error {
public:
    using Error::Error;
};

// "Invalid file format": a script text that does not parse.
class FormatError : public Error {
public:
    FormatError() : Error("Invalid file format") {}
};

// "'<text>' is not a valid integer value"
class ConvertError : public Error {
public:
    explicit ConvertError(std::string_view text);
};

} // namespace vdx
