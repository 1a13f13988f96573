// The figures of the import: a 10,000-row workbook into an empty customer
// list and into one of 89,999 customers.
#pragma once

#include <memory>
#include <vector>

#include "BenchSupport.h"

namespace epinax::bench {

class ImportBench;

class ImportSuite {
public:
    ImportSuite();
    ~ImportSuite();
    ImportSuite(const ImportSuite&) = delete;
    ImportSuite& operator=(const ImportSuite&) = delete;

    std::vector<Figure> Figures();

private:
    std::unique_ptr<ImportBench> bench_;
};

}  // namespace epinax::bench
