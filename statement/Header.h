// The statement header as the header controls hold it, its limits, and its
// line in the statement file (line type 1).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "statement/StatementFields.h"
namespace epinax {

// The texts are UTF-8; the file's line and the working file hold them in
// Windows-1253, which every edit limits them to.
struct TStatementHeader {
    std::string Year, FolderNumber, CompanyName, TaxNumber, Activity, Town, Street, StreetNumber, PostCode, Phone, Fax,
        Email, Installation;
    int TaxOffice = -1;   // position of the chosen tax office; -1 for none
    bool Credit = false;  // credit balances rather than debit invoices

    bool operator==(const TStatementHeader&) const = default;
};

// One header edit: its name, its text in the header, its maximum length and
// the key filter it types through.
enum class TKeyRule { Any, Digits, Installation, Amount, None };

struct THeaderEdit {
    TStatementField control;
    std::string TStatementHeader::*text;
    int maxLength;
    TKeyRule keys;

    // The edit's stable handle: its object name and its key in files.
    std::string Name() const { return std::string(FieldHandle(control)); }
};

// The header edits in tab order (the tax office and the kind excepted).
const std::vector<THeaderEdit>& HeaderEdits();
const THeaderEdit* FindHeaderEdit(std::string_view name);
const THeaderEdit* FindHeaderEdit(TStatementField control);

// The key filter of a key rule: the key to let in, perhaps changed, or
// nothing when the edit refuses it.
std::optional<char> HeaderKeyFilter(TKeyRule keys, char key, std::string_view textSoFar);

// Public-sector value edits and the key rules of the other edits of the window.
constexpr int kEditPubMaxLength = 16;

// The year check: not empty, an integer from 1900 to the current year.
bool YearAccepted(std::string_view year, int currentYear);

// Fills the header from a header line. Throws on a slice it cannot take.
void FillHeaderFromLine(TStatementHeader& header, std::string_view line);

// Line type 1: exactly 150 characters, each field at its width, in
// Windows-1253.
std::string HeaderLine(const TStatementHeader& header);

}  // namespace epinax
