// The figures of the command-line tool, run as a user runs it: a separate
// process per repetition, timed from start to end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace epinax::bench {

// Generates a statement of 99,999 customers and has the tool print it as
// JSON once, on construction; the figures are valid while it lives.
class CliSuite {
public:
    explicit CliSuite(std::string cliPath);
    ~CliSuite();
    CliSuite(const CliSuite&) = delete;
    CliSuite& operator=(const CliSuite&) = delete;

    std::vector<Figure> Figures();

private:
    class BuildBench;
    std::unique_ptr<BuildBench> build_;
};

}  // namespace epinax::bench
