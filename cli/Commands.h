// The command line: `build`, `show`, `check` and the help.
#pragma once

namespace epinax::cli {

// Runs the tool; JSON goes to stdout, messages to stderr (UTF-8). Returns
// the exit code.
int Run(int argc, char** argv);

}  // namespace epinax::cli
