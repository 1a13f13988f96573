// Sorting a list by its record tails, and finding a row by tax number or name.
#pragma once

#include <optional>
#include <string>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace epinax {

// Rewrites the list's working file in the order the exchange sort of the
// record tails gives, makes the scratch file its copy again, and opens the
// list on it again. The sorted file is written whole beside the working file
// before the list lets go of it, so a failure leaves list, files and screen
// as they were: the message that says so.
std::optional<std::string> SortListFile(TFixedFormatDataSet& list, const std::string& scratchFile);
// The same order for a list that lives in memory alone, without a file.
void SortListInMemory(TFixedFormatDataSet& list);

// Moves the list's cursor to the first row whose tax number (or name) matches
// `text`, whole or as its beginning; false when none does, the cursor then on
// the first row.
bool FindRow(TFixedFormatDataSet& list, const std::string& text, bool byAfm, bool partialMatch);
std::string NotFoundMessage(bool byAfm);

}  // namespace epinax
