// The counterparty record of both lists, the grid columns over it, and the
// row rules a record must pass when it is posted.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Numbers.h"

namespace epinax {

enum class TSide { Customers, Suppliers };

constexpr int kRecordLength = 150;

// The widths of the record's fields, from the record layout table; the
// same for both sides.
std::vector<int> CounterpartySchema();

// The ten grid columns: field (its place in the record, field::), title,
// width in pixels (0: the view's own).
struct TGridColumn {
    std::size_t field;
    std::string title;
    int width;
};
std::vector<TGridColumn> GridColumns(TSide side);

// The keystroke filter of a grid column (the unsaved-changes flag and the
// beep are the caller's).
std::optional<char> GridColumnKeyFilter(int column, char key, std::string_view editorText);

// The values of a row as the row rules read them (trailing blanks removed).
struct TRowValues {
    std::string afm, ypovolh, noTimologion, value;
};

// The verdict of the row rules that look at one row alone: nothing when the
// row passes, else the refusal message. A value or invoice
// count that is no number throws EConvertError, as the conversion does.
std::optional<std::string> RowRuleRefusal(TSide side, const TRowValues& row);

// The grid columns the row rules read.
enum TRuleColumn { kAfmColumn = 0, kYpovolhColumn = 3, kInvoicesColumn = 8, kValueColumn = 9 };

// The same verdict, with the grid column where the user would correct it.
struct TRowRefusal {
    std::string message;
    int column;
};
std::optional<TRowRefusal> RowRuleProblem(TSide side, const TRowValues& row);
// Where a number that the conversion refuses is corrected: the value when it
// is no number, else the invoice count.
int ColumnOfUnreadableNumber(const TRowValues& row);
std::string SameAsOwnAfmMessage();
std::string DuplicateAfmMessage(TSide side, const std::string& afm);

// Number conversions of the row rules, with the platform's error texts.

Decimal StrToFloat(const std::string& text);
int StrToInt(const std::string& text);

}  // namespace epinax
