// The figures of the statement as the user works on it: Open and Save As of
// a full statement, a row posted into a full list, and the list sort.
#pragma once

#include <memory>
#include <vector>

#include "BenchSupport.h"

namespace epinax::bench {

class FullStatementBench;
class SortBench;

// Generates its statement files and opens them on construction; the figures
// it hands out are valid while it lives.
class StatementSuite {
public:
    StatementSuite();
    ~StatementSuite();
    StatementSuite(const StatementSuite&) = delete;
    StatementSuite& operator=(const StatementSuite&) = delete;

    std::vector<Figure> Figures();

private:
    std::unique_ptr<FullStatementBench> full_;
    std::unique_ptr<SortBench> sortDistinct_;
    std::unique_ptr<SortBench> sortTies_;
};

}  // namespace epinax::bench
