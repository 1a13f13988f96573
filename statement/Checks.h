// The header checks made before a statement is saved.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"
#include "statement/Header.h"

namespace epinax {

struct THeaderRefusal {
    std::string message;      // the whole text the user sees
    TStatementField control;  // where the focus goes
    bool beep;
};

// C0 controls, DEL, and the C1 controls the code page's unassigned bytes
// stand for: no edit lets one in, and a line end would split the line of the
// file it is written into.
// The label of a header field as the window shows it (UTF-8); empty for a
// control that is no header field.
const char* HeaderFieldLabel(TStatementField control);

bool IsControlCharacter(char c);

// Every header check that fails, in the order the save checks make them;
// the save reports the first.
std::vector<THeaderRefusal> HeaderRefusals(const TStatementHeader& header, int currentYear);

// The save check of a list's tax numbers: the whole message
// when a stored row repeats the business's own number or an earlier row's,
// naming the earliest such row.
std::optional<std::string> ListAfmRefusal(const TFixedFormatDataSet& list, TSide side, const std::string& ownAfm);

}  // namespace epinax
