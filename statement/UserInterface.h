// Everything the statement core shows to the user goes through this
// interface: the main window implements it with real dialogs, the
// command-line tool and the tests by recording. The core asks nothing: its
// callers ask first and pass the answers. All texts are Windows-1253 bytes.
#pragma once

#include <string>
#include <utility>

#include "entry/Counterparty.h"
#include "statement/StatementFields.h"

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

    virtual void Beep() = 0;
    // A plain message box: no icon, one OK button, the application title.
    virtual void ShowMessage(const std::string& text) = 0;
    // The application's general error display, for errors no handler foresees.
    virtual void ShowError(const std::string& text) = 0;
    // Moves the input focus to a control of the window.
    virtual void SetFocus(TStatementField control) = 0;
    // The hourglass over the whole application.
    virtual void ShowHourglass() = 0;
    // Long work: hide the grids and navigators and show the wait window,
    // painted at once; and back again, with the normal cursor.
    virtual void BeginLongWork() = 0;
    virtual void EndLongWork() = 0;
    // A warning box: warning icon, title "Προειδοποίηση", one OK button.
    virtual void ShowWarning(const std::string& text) { ShowMessage(text); }
    // The statement's values changed (header, totals, labels, tabs, menus):
    // whatever shows them reads them again.
    virtual void StatementChanged() {}
    // A row of the list was refused when posted: `column`, in the grid's
    // order, holds the first field the refusal names. Called before the
    // message is shown.
    virtual void RowRefused(TSide /*side*/, int /*column*/) {}
    // Long work that the user may stop (an import): told now and then how far
    // it has got; false when the user asked to stop. ProgressDone ends it.
    virtual bool Progress(const std::string& /*what*/, int /*done*/, int /*total*/) { return true; }
    virtual void ProgressDone() {}
};

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
