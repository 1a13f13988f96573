// The gate every counterparty row passes when it is posted.
#include "common/Errors.h"
#include "common/Greek.h"
#include "common/Text.h"
#include "statement/Statement.h"

namespace epinax {

void TStatement::Refuse(const std::string& message)
{
    ui_.Beep();
    ui_.ShowMessage(message);
    PostSucceeded = false;
    Abort();
}

namespace {

int IndexOf(TSide side) { return side == TSide::Customers ? 0 : 1; }

}  // namespace

void TStatement::BeginBulkEntry(TSide side) { afmIndex_[IndexOf(side)] = TAfmIndex{}; }

void TStatement::EndBulkEntry(TSide side) { afmIndex_[IndexOf(side)].reset(); }

// A bulk entry only appends, so the rows posted since the last look are the
// ones after those already indexed. Numbers are compared as the lookup does:
// blanks and control characters trimmed, the rest byte for byte.
bool TStatement::IndexedDuplicateAfm(TSide side, TAfmIndex& index, const std::string& afm)
{
    TFixedFormatDataSet& list = List(side);
    const TField& field = list.FieldByName(AfmFieldName(side));
    if (index.rowsIndexed > list.RecordCount()) index = TAfmIndex{};
    for (; index.rowsIndexed < list.RecordCount(); ++index.rowsIndexed)
        index.afms.emplace(TrimBlanksAndControls(list.FieldViewAt(index.rowsIndexed, field)));
    return index.afms.contains(std::string(TrimBlanksAndControls(afm)));
}

// The other rows are the ones stored in the list: the pending row is not
// among them, and the working file holds exactly these rows.
bool TStatement::HasDuplicateAfm(TSide side, const std::string& afm)
{
    if (auto& index = afmIndex_[IndexOf(side)]) return IndexedDuplicateAfm(side, *index, afm);
    TFixedFormatDataSet& list = List(side);
    const TField& field = list.FieldByName(AfmFieldName(side));
    // A key that fills the field exactly, with no blank or control character
    // at either end, matches only the same bytes in place.
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    bool filling = afm.size() == static_cast<size_t>(field.Size()) && !blank(afm.front()) && !blank(afm.back());
    if (filling) {
        const size_t at = field.Offset();
        for (int i = 0; i < list.RecordCount(); ++i) {
            std::string_view record = list.RecordTextAt(i);
            if (record.size() >= at + afm.size() && record.compare(at, afm.size(), afm) == 0) return true;
        }
        return false;
    }
    for (int i = 0; i < list.RecordCount(); ++i) {
        if (KeyValueMatches(list.FieldViewAt(i, field), afm, false, false)) return true;
    }
    return false;
}

void TStatement::ValidateRow(TSide side)
{
    TFixedFormatDataSet& list = List(side);
    list.FieldByName("FILLER").SetAsString(std::string(35, ' '));
    list.FieldByName("RecordType").SetAsString(side == TSide::Customers ? "2" : "4");

    std::string afm = list.FieldByName(AfmFieldName(side)).AsString();
    if (afm == header.AFM) Refuse(SameAsOwnAfmMessage());

    bool isNew = side == TSide::Customers ? NewCustomerRow : NewSupplierRow;
    if (isNew && HasDuplicateAfm(side, afm)) Refuse(DuplicateAfmMessage(side, afm));

    TRowValues row{afm, list.FieldByName("Ypovolh").AsString(), list.FieldByName("NoTimologion").AsString(),
                   list.FieldByName("Value").AsString()};
    if (auto refusal = RowRuleRefusal(side, row)) Refuse(*refusal);

    list.FieldByName("Value").SetAsString(StrToFloat(row.value).ToHashHash());
    PostSucceeded = true;
}

}  // namespace epinax
