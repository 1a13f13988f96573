#include "entry/RowValidation.h"
#include "entry/Side.h"

#include "common/Errors.h"
#include "common/Text.h"
#include "entry/RecordLayout.h"

namespace epinax {

// Numbers are compared as the lookup does: blanks and control characters
// trimmed, the rest byte for byte.
bool TAfmIndex::Contains(const TFixedFormatDataSet& list, const std::string& afm)
{
    const TField& field = list.Field(field::Afm);
    if (rowsIndexed_ > list.RecordCount()) *this = TAfmIndex{};
    for (; rowsIndexed_ < list.RecordCount(); ++rowsIndexed_)
        afms_.emplace(TrimBlanksAndControls(list.FieldViewAt(rowsIndexed_, field)));
    return afms_.contains(std::string(TrimBlanksAndControls(afm)));
}

bool ListHasAfm(const TFixedFormatDataSet& list, const std::string& afm)
{
    const TField& field = list.Field(field::Afm);
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

std::optional<TRowRefusal> ValidatePostedRow(TFixedFormatDataSet& list, TSide side, const TPostedRow& row)
{
    list.Field(field::Filler).SetAsString(std::string(FieldWidth(field::Filler), ' '));
    list.Field(field::RecordType).SetAsString(std::string(1, SideInfo(side).lineType));

    std::string afm = list.Field(field::Afm).AsString();
    if (afm == row.ownAfm) return TRowRefusal{SameAsOwnAfmMessage(), kAfmColumn};
    if (row.isNew) {
        bool repeated = row.index ? row.index->Contains(list, afm) : ListHasAfm(list, afm);
        if (repeated) return TRowRefusal{DuplicateAfmMessage(side, afm), kAfmColumn};
    }
    TRowValues values{afm, list.Field(field::Ypovolh).AsString(), list.Field(field::NoTimologion).AsString(),
                      list.Field(field::Value).AsString()};
    if (auto refusal = RowRuleProblem(side, values)) return refusal;

    list.Field(field::Value).SetAsString(StrToFloat(values.value).ToHashHash());
    return std::nullopt;
}

}  // namespace epinax
