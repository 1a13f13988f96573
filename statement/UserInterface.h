// What the statement core reports while it works: the hourglass, the wait
// window, the progress of long work with the user's wish to stop it, and
// that the statement changed. The main window implements it, the
// command-line tool and the tests by recording or ignoring it. The core asks
// nothing (its callers ask first and pass the answers) and tells nothing: what
// the user must be told it returns (statement/Notice.h). All texts are UTF-8.
#pragma once

#include <string>
#include <utility>

namespace epinax {

// What the user asked the find window for, with "ΟΚ".
struct TFindRequest {
    std::string SearchText;  // as typed, not trimmed
    bool ByAFM = true;
    bool PartialMatch = false;
};

class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    // The hourglass over the whole application.
    virtual void ShowHourglass() {}
    // Long work: hide the grids and navigators and show the wait window,
    // painted at once; and back again, with the normal cursor.
    virtual void BeginLongWork() {}
    virtual void EndLongWork() {}
    // The statement's values changed (header, totals, labels, tabs, menus):
    // whatever shows them reads them again.
    virtual void StatementChanged() {}
    // Long work that the user may stop (an import): told now and then how far
    // it has got; false when the user asked to stop. ProgressDone ends it.
    virtual bool Progress(const std::string& /*what*/, int /*done*/, int /*total*/) { return true; }
    virtual void ProgressDone() {}
};

// A statement no one watches (the command line, benchmarks): what it reports
// while it works goes nowhere; what it tells, it returns.
class TUnwatched final : public IUserInterface {};

// The wait window for the life of a scope: hidden again on every way out,
// or earlier by End() (before a message, which must not sit under it).
class TLongWork {
public:
    explicit TLongWork(IUserInterface& ui) : ui_(&ui) { ui.BeginLongWork(); }
    ~TLongWork() { End(); }
    TLongWork(const TLongWork&) = delete;
    TLongWork& operator=(const TLongWork&) = delete;
    void End()
    {
        if (ui_) std::exchange(ui_, nullptr)->EndLongWork();
    }

private:
    IUserInterface* ui_;
};

// Ends the progress shown by long work on every way out of it.
class TProgressScope {
public:
    explicit TProgressScope(IUserInterface& ui) : ui_(ui) {}
    ~TProgressScope() { ui_.ProgressDone(); }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

private:
    IUserInterface& ui_;
};

}  // namespace epinax
