// The working file "generaldata": everything of the statement being edited
// that is not in its lists (the header, the kind, the public-sector values),
// kept beside the lists so that the working files always hold the whole
// statement and a statement lost to a crash can be taken back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "statement/Header.h"

namespace epinax {

struct TGeneralData {
    TStatementHeader header;
    std::string customerPublicValue, supplierPublicValue;
    bool operator==(const TGeneralData&) const = default;
};

// The text of the file: a line per value, "name=text", Windows-1253.
std::string GeneralDataText(const TGeneralData& data);

// The values of the file's text; nothing when the text is damaged. An empty
// file is a statement just begun; a file of one header line, as the program
// kept it before the values were kept by name, gives that header.
std::optional<TGeneralData> ParseGeneralData(std::string_view text);

// Whether every header value is one its edit could hold: within the edit's
// length, every character one its key filter lets in. A number may end in
// the blanks a statement file fills it with, which Open keeps.
bool HeaderAsTyped(const TStatementHeader& header);

}  // namespace epinax
