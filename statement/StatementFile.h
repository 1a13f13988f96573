// The statement file the authority accepts: lines of 150 characters ended by
// CR LF. Line 0 form code and date, 1 header, 2 customers, 3 customer totals,
// 4 suppliers, 5 supplier totals.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Date.h"
#include "entry/Counterparty.h"
#include "entry/ListRefresh.h"
#include "statement/Header.h"

namespace epinax {

constexpr int kLineLength = 150;
constexpr int kMaxRowsPerList = 99999;
// The largest legal statement file: form, header, both lists full with their
// totals lines, every line with CR LF. Anything larger is refused unread.
constexpr std::size_t kLargestStatementFileBytes = (2 + 2 * (kMaxRowsPerList + 1)) * (kLineLength + 2);

// ------------------------------------------------------------------ writer

std::string FormCodeLine(bool credit, TDate date);

// Line type 2 or 4 from a stored counterparty record, or nothing with the
// reason in `problem` when the row cannot be written.
std::optional<std::string> CounterpartyLine(TSide side, int position, std::string_view record, std::string& problem);
// The same, appended to `out`; false with the reason in `problem`.
bool AppendCounterpartyLine(std::string& out, TSide side, int position, std::string_view record, std::string& problem);
// Its two ways: the fast lane for records whose numbers are in the plain
// forms the row rules store (false, with nothing appended, for any other),
// and the general path for any record. Both give the same bytes wherever the
// fast lane takes a record.
bool AppendPlainCounterpartyLine(std::string& out, TSide side, int position, std::string_view record);
bool AppendGeneralCounterpartyLine(std::string& out, TSide side, int position, std::string_view record,
                                   std::string& problem);

// Line type 3 or 5 from the texts of the public-sector value, the invoice
// total and the value total of one side.
std::optional<std::string> TotalsLine(TSide side, const std::string& editPub, const std::string& editSum,
                                      const std::string& editSumValue, std::string& problem);

// The public-sector value in cents; zero when its text is no number.
Decimal PublicValueCents(const std::string& editPub);

// One list as the file takes it: its stored records in list order, its
// public-sector value as kept, and its totals as the list refresh made them.
struct TListToWrite {
    int count = 0;
    std::function<std::string_view(int)> recordAt;
    std::string publicValue, invoiceTotal, valueTotal;
};

// The whole file, lines 0 to 5 each ended by CR LF, handed to `write` a
// large piece at a time; a list without rows has a totals line only when it
// declares a public-sector value. The problem when a row or a
// totals line cannot be written; the pieces handed until then are no file.
std::optional<std::string> WriteStatementText(const TStatementHeader& header, TDate date, const TListToWrite& customers,
                                              const TListToWrite& suppliers,
                                              const std::function<void(std::string_view)>& write);

// ------------------------------------------------------------------ reader

// The first line must name the form: "0IL01", with a Latin or Greek capital
// I, in any letter case.
bool IsStatementFormLine(std::string_view firstLine);
bool IsCreditForm(std::string_view firstLine);

struct TLineProblem {
    int lineNumber;  // 1-based
    std::string message;
};

// What an Open takes from a statement file.
struct TStatementContents {
    bool credit = false;
    std::vector<std::string> headerLines;  // type 1, as read
    // The working-file texts of the two lists: converted records, each
    // ended by CR LF.
    std::string customers, suppliers;
    int customerCount = 0, supplierCount = 0;
    std::string customerPublicValue = "0", supplierPublicValue = "0";
    // The totals of the two lists, as the list refresh computes them.
    TListSum customerSum, supplierSum;
};

// Splits the bytes into lines as a text file reader does.
std::vector<std::string_view> StatementLines(std::string_view bytes);

// The problem of one line after the first, as Open sees it; nothing when the
// line is good. `line` is the whole line without its end.
std::optional<std::string> StatementLineProblem(std::string_view line);

// Positions 93-99 and 100-115 of a type 2 or 4 line in their working-file form.
std::string ToWorkingRecord(std::string_view line);

// The public-sector value of a type 3 or 5 line, in the general form.
std::optional<std::string> PublicValueOfTotalsLine(std::string_view line);

// Reads a whole statement: the contents, or the first problem. A file is
// refused as a whole, so that a refused file changes nothing: every number
// that the totals read is read here, by the totals themselves.
struct TReadOutcome {
    std::optional<TStatementContents> contents;
    std::optional<TLineProblem> problem;
    bool notAStatement = false;  // the first line has no form code
};
TReadOutcome ReadStatement(std::string_view bytes);

// Messages of the reader.
std::string InvalidFileMessage();
std::string OpenProblemMessage();
std::string LineLengthMessage();

}  // namespace epinax
