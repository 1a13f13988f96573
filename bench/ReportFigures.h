// The figure of the printed statement: the report of a full customer list.
#pragma once

#include <memory>
#include <vector>

#include "BenchSupport.h"

namespace epinax::bench {

class ReportBench;

// Generates a statement with a full customer list and opens it on
// construction; the figures it hands out are valid while it lives.
class ReportSuite {
public:
    ReportSuite();
    ~ReportSuite();
    ReportSuite(const ReportSuite&) = delete;
    ReportSuite& operator=(const ReportSuite&) = delete;

    std::vector<Figure> Figures();

private:
    std::unique_ptr<ReportBench> bench_;
};

}  // namespace epinax::bench
