// A user interface that answers from a script and records, in order, what
// the core showed; texts are kept in UTF-8 so that tests read naturally.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Cp1253.h"
#include "statement/UserInterface.h"

namespace epinax::test {

class ScriptedUi : public IUserInterface {
public:
    std::vector<std::string> log;                   // "beep", "message: ...", "ask: ...", "focus: AFM", ...
    std::deque<int> answers;                        // for AskConfirmation; mrYes when empty
    std::deque<std::optional<std::string>> files;   // for the file dialogs; cancel when empty
    std::deque<std::optional<TFindRequest>> finds;  // for the find window; cancel when empty

    void Beep() override { log.push_back("beep"); }
    void ShowMessage(const std::string& text) override { log.push_back("message: " + cp1253::ToUtf8(text)); }
    void ShowError(const std::string& text) override { log.push_back("error: " + cp1253::ToUtf8(text)); }
    int AskConfirmation(const std::string& text, const std::vector<TMsgDlgBtn>&,
                        const std::vector<std::string>& captions) override
    {
        std::string entry = "ask: " + cp1253::ToUtf8(text) + " [";
        for (size_t i = 0; i < captions.size(); ++i) entry += (i ? "|" : "") + cp1253::ToUtf8(captions[i]);
        log.push_back(entry + "]");
        return Next(answers, mrYes);
    }
    void SetFocus(TStatementField control) override { log.push_back("focus: " + std::string(FieldHandle(control))); }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string& proposed) override
    {
        log.push_back("save dialog: " + cp1253::ToUtf8(proposed));
        return Next(files, std::optional<std::string>());
    }
    std::optional<std::string> ChooseOpenFile(const std::string&) override
    {
        log.push_back("open dialog");
        return Next(files, std::optional<std::string>());
    }
    void ShowWarning(const std::string& text) override { log.push_back("warning: " + cp1253::ToUtf8(text)); }
    std::optional<TFindRequest> AskFind() override
    {
        log.push_back("find window");
        return Next(finds, std::optional<TFindRequest>());
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

private:
    template <typename T>
    static T Next(std::deque<T>& queue, T fallback)
    {
        if (queue.empty()) return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

}  // namespace epinax::test
