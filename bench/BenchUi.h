// The user interface of the statements the benchmarks open and save: the
// messages counted.
#pragma once

#include <string>

#include "statement/UserInterface.h"

namespace epinax::bench {

// Keeps only what the figures check: the messages shown.
class BenchUi : public IUserInterface {
public:
    int messages = 0;
    std::string lastMessage;

    void Beep() override {}
    void ShowMessage(const std::string& text) override
    {
        ++messages;
        lastMessage = text;
    }
    void ShowError(const std::string& text) override { ShowMessage(text); }
    void SetFocus(TStatementField) override {}
    void ShowHourglass() override {}
    void BeginLongWork() override {}
    void EndLongWork() override {}
};

}  // namespace epinax::bench
