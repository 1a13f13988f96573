// How the tool ends: its exit codes and the error that carries a message to
// the user (UTF-8) with the code to end with.
#pragma once

#include <stdexcept>
#include <string>

namespace epinax::cli {

constexpr int kExitSuccess = 0;
constexpr int kExitRefused = 1;  // a rule of the program refused the input
constexpr int kExitUsage = 2;    // bad usage or input that cannot be read at all

class CliError : public std::runtime_error {
public:
    CliError(int exitCode, const std::string& utf8Message) : std::runtime_error(utf8Message), exitCode_(exitCode) {}
    int ExitCode() const { return exitCode_; }

private:
    int exitCode_;
};

}  // namespace epinax::cli
