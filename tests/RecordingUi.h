// A user interface that records, in order, what the core reported, and what
// it returned to tell, as the window shows it; texts are kept in UTF-8 so
// that tests read naturally.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Cp1253.h"
#include "statement/Notice.h"
#include "statement/UserInterface.h"

namespace epinax::test {

class RecordingUi : public IUserInterface {
public:
    std::vector<std::string> log;  // "beep", "message: ...", "focus: AFM", "wait shown", ...

    void Tell(const TNotice& notice)
    {
        static const char* const kKinds[] = {"message: ", "warning: ", "error: "};
        if (notice.beep) log.push_back("beep");
        log.push_back(kKinds[static_cast<int>(notice.kind)] + notice.text);
        if (notice.focus) log.push_back("focus: " + std::string(FieldHandle(*notice.focus)));
    }
    void Tell(const std::optional<TNotice>& notice)
    {
        if (notice) Tell(*notice);
    }
    // As the window: true when there was a refusal.
    bool Refused(const std::optional<TNotice>& refusal)
    {
        Tell(refusal);
        return refusal.has_value();
    }
    // As the window: true when the operation was done.
    bool Completed(const TOutcome& outcome)
    {
        for (const TNotice& notice : outcome.notices) Tell(notice);
        return outcome.done;
    }

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
