// The figure of the lists' export: a full customer list as .xlsx.
#pragma once

#include <memory>
#include <vector>

#include "BenchSupport.h"

namespace epinax::bench {

class ExportBench;

// Generates a statement with a full customer list and opens it on
// construction; the figures it hands out are valid while it lives.
class ExportSuite {
public:
    ExportSuite();
    ~ExportSuite();
    ExportSuite(const ExportSuite&) = delete;
    ExportSuite& operator=(const ExportSuite&) = delete;

    std::vector<Figure> Figures();

private:
    std::unique_ptr<ExportBench> bench_;
};

}  // namespace epinax::bench
