// The user interface of the statements the benchmarks open and save: files
// and answers from queues, the messages counted.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "statement/UserInterface.h"

namespace epinax::bench {

// Answers from queues and keeps only what the figures check: the messages
// shown. Anything not queued is refused, so a question the figure did not
// expect cancels rather than overwrites.
class BenchUi : public IUserInterface {
public:
    std::deque<int> answers;
    std::deque<std::string> files;
    int messages = 0;
    std::string lastMessage;

    void Beep() override {}
    void ShowMessage(const std::string& text) override
    {
        ++messages;
        lastMessage = text;
    }
    void ShowError(const std::string& text) override { ShowMessage(text); }
    int AskConfirmation(const std::string&, const std::vector<TMsgDlgBtn>&, const std::vector<std::string>&) override
    {
        if (answers.empty()) return mrCancel;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void SetFocus(TStatementField) override {}
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return NextFile(); }
    std::optional<std::string> ChooseOpenFile(const std::string&) override { return NextFile(); }
    void ShowHourglass() override {}
    void BeginLongWork() override {}
    void EndLongWork() override {}

private:
    std::optional<std::string> NextFile()
    {
        if (files.empty()) return std::nullopt;
        std::string path = files.front();
        files.pop_front();
        return path;
    }
};

}  // namespace epinax::bench
