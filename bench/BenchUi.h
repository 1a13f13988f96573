// The user interface of the statements the benchmarks open and save: what
// the statement reports while it works is not timed.
#pragma once

#include "statement/UserInterface.h"

namespace epinax::bench {

class BenchUi : public IUserInterface {
public:
    void ShowHourglass() override {}
    void BeginLongWork() override {}
    void EndLongWork() override {}
};

}  // namespace epinax::bench
