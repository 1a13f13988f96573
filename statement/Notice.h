// What the user must be told when an operation of the statement ends: the
// core shows nothing itself, it hands this to its caller, which shows it
// (the window), prints it (the command-line tool) or reads it (the tests).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Errors.h"
#include "entry/Counterparty.h"
#include "statement/StatementFields.h"

namespace epinax {

// A field of a list's row: the side and its column in the grid's order.
struct TListCell {
    TSide side;
    int column;
};

// Shown in this order: the list's cell, the beep, the box, then the focus.
struct TNotice {
    enum class TKind {
        Message,  // a plain box: no icon, one OK button, the application title
        Warning,  // the warning icon, the title "Προειδοποίηση"
        Error,    // the application's general error display
    };
    TKind kind = TKind::Message;
    std::string text;
    bool beep = false;
    std::optional<TListCell> cell;         // the refused row's field the user corrects
    std::optional<TStatementField> focus;  // the field the focus goes back to

    static TNotice Message(std::string text, bool beep = false) { return Of(TKind::Message, std::move(text), beep); }
    static TNotice Warning(std::string text) { return Of(TKind::Warning, std::move(text), false); }
    static TNotice Error(std::string text) { return Of(TKind::Error, std::move(text), false); }

private:
    static TNotice Of(TKind kind, std::string text, bool beep)
    {
        TNotice notice;
        notice.kind = kind;
        notice.text = std::move(text);
        notice.beep = beep;
        return notice;
    }
};

// How an operation ended: whether it did what it was asked, and what to tell,
// in order.
struct TOutcome {
    bool done = false;
    std::vector<TNotice> notices;
};

// An operation ended from inside a list's event (a row refused at its post, a
// working file not written) or a change not kept: the notice travels up with
// the abort to the handler that ends it, which shows it. An abort, so that
// whatever stops at an abort stops at this too.
class ENotice : public EAbort {
public:
    explicit ENotice(TNotice notice) : notice_(std::move(notice)) {}
    const char* what() const noexcept override { return notice_.text.c_str(); }
    const TNotice& Notice() const { return notice_; }

private:
    TNotice notice_;
};

// Ends the operation with the notice, when there is one.
inline void AbortWith(std::optional<TNotice> notice)
{
    if (notice) throw ENotice(std::move(*notice));
}

// A number of a posted row that is no number: the conversion error as ever,
// with the cell it stands in.
class EUnreadableNumber : public EConvertError {
public:
    EUnreadableNumber(const EConvertError& error, TListCell cell) : EConvertError(error), cell_(cell) {}
    TNotice Notice() const
    {
        TNotice notice = TNotice::Error(what());
        notice.cell = cell_;
        return notice;
    }

private:
    TListCell cell_;
};

}  // namespace epinax
