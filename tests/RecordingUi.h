// A user interface that records, in order, what the core showed; texts are
// kept in UTF-8 so that tests read naturally.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/Cp1253.h"
#include "statement/UserInterface.h"

namespace epinax::test {

class RecordingUi : public IUserInterface {
public:
    std::vector<std::string> log;  // "beep", "message: ...", "focus: AFM", ...

    void Beep() override { log.push_back("beep"); }
    void ShowMessage(const std::string& text) override { log.push_back("message: " + cp1253::ToUtf8(text)); }
    void ShowError(const std::string& text) override { log.push_back("error: " + cp1253::ToUtf8(text)); }
    void SetFocus(TStatementField control) override { log.push_back("focus: " + std::string(FieldHandle(control))); }
    void ShowWarning(const std::string& text) override { log.push_back("warning: " + cp1253::ToUtf8(text)); }
    // Long work: the user stops it at the call numbered `stopAtProgress` (from 0).
    int stopAtProgress = -1;
    int progressCalls = 0;
    bool Progress(const std::string&, int, int) override { return progressCalls++ != stopAtProgress; }
    void ProgressDone() override { log.push_back("progress done"); }
    void ShowHourglass() override { log.push_back("hourglass"); }
    void BeginLongWork() override { log.push_back("wait shown"); }
    void EndLongWork() override { log.push_back("wait hidden"); }

    std::vector<std::string> Take() { return std::exchange(log, {}); }
};

}  // namespace epinax::test
