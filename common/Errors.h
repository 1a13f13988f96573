// Exceptions shared by the whole core. Texts are UTF-8.
#pragma once

#include <stdexcept>
#include <string>

namespace epinax {

// An error of a record store. When raised on behalf of a named store the
// message already reads "Name: message".
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be opened, created, read or written; `SystemError` is the
// system's reason (an errno value), 0 when the program itself refused.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const std::string& message, int systemError = 0)
        : std::runtime_error(message), systemError_(systemError)
    {
    }
    int SystemError() const { return systemError_; }

private:
    int systemError_;
};

// A text that is not the number it should be: "'%s' is not a valid
// floating point value", "'%s' is not a valid integer value".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An abort: the operation stops, and whoever ends it tells nothing more than
// what the abort carries (a refused row's notice, for one).
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// Replaces the first "%s" of a message pattern.
inline std::string FormatMessage(const std::string& pattern, const std::string& arg)
{
    std::string out = pattern;
    if (auto at = out.find("%s"); at != std::string::npos) out.replace(at, 2, arg);
    return out;
}

}  // namespace epinax
