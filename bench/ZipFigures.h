// The figure of the zip command: a full statement file packed for upload.
#pragma once

#include <memory>
#include <vector>

#include "BenchSupport.h"

namespace epinax::bench {

class ZipBench;

// Generates a statement file of about 15 MB on construction; the figures it
// hands out are valid while it lives.
class ZipSuite {
public:
    ZipSuite();
    ~ZipSuite();
    ZipSuite(const ZipSuite&) = delete;
    ZipSuite& operator=(const ZipSuite&) = delete;

    std::vector<Figure> Figures();

private:
    std::unique_ptr<ZipBench> bench_;
};

}  // namespace epinax::bench
