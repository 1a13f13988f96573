// The counterparty record field by field: widths and the places that follow
// from them. The schema given to the record stores, the statement file's line
// maker and reader, the totals and the sort all take their offsets from this
// one table.
#pragma once

#include <array>
#include <cstddef>

namespace epinax {

namespace field {
enum : std::size_t {
    RecordType,
    AA,
    Afm,
    Name,
    Prof,
    Ypovolh,
    City,
    Street,
    StreetNo,
    TK,
    NoTimologion,
    Value,
    Filler
};
}

struct TRecordField {
    std::size_t field;  // for the reader: the table's order is the record's, as checked below
    int width;
};

inline constexpr std::array<TRecordField, 13> kRecordFields{{
    {field::RecordType, 1},
    {field::AA, 5},
    {field::Afm, 9},
    {field::Name, 27},
    {field::Prof, 15},
    {field::Ypovolh, 1},
    {field::City, 10},
    {field::Street, 16},
    {field::StreetNo, 3},
    {field::TK, 5},
    {field::NoTimologion, 7},
    {field::Value, 16},
    {field::Filler, 35},
}};

constexpr bool InRecordOrder()
{
    for (std::size_t i = 0; i < kRecordFields.size(); ++i)
        if (kRecordFields[i].field != i) return false;
    return true;
}
static_assert(InRecordOrder(), "the table lists the fields in the order of field::");

// The ten fields of a row that the user types, in the order of the grid's
// columns (the import's, the report's and the workbook's too).
inline constexpr std::array<std::size_t, 10> kTypedFields{
    field::Afm,    field::Name,     field::Prof, field::Ypovolh,      field::City,
    field::Street, field::StreetNo, field::TK,   field::NoTimologion, field::Value};

// Where a field starts in the record, counted from 0.
constexpr std::size_t FieldOffset(std::size_t index)
{
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i) offset += static_cast<std::size_t>(kRecordFields[i].width);
    return offset;
}
constexpr std::size_t FieldWidth(std::size_t index) { return static_cast<std::size_t>(kRecordFields[index].width); }
constexpr std::size_t FieldEnd(std::size_t index) { return FieldOffset(index) + FieldWidth(index); }

// The places the statement file and the fast lanes use.
inline constexpr std::size_t kAfmAt = FieldOffset(field::Afm);
inline constexpr std::size_t kInvoicesAt = FieldOffset(field::NoTimologion);
inline constexpr std::size_t kInvoicesWidth = FieldWidth(field::NoTimologion);
inline constexpr std::size_t kValueAt = FieldOffset(field::Value);
inline constexpr std::size_t kValueWidth = FieldWidth(field::Value);
inline constexpr std::size_t kValueEnd = FieldEnd(field::Value);
// RecordType, AA and the tax number: what the sort leaves out of its key.
inline constexpr std::size_t kSortKeyAt = FieldEnd(field::Afm);

static_assert(FieldEnd(field::Filler) == 150, "a counterparty record is 150 characters");
static_assert(kAfmAt == 6 && kInvoicesAt == 92 && kValueAt == 99 && kValueEnd == 115 && kSortKeyAt == 15,
              "the statement file's positions 7, 93, 100, 116 and the sort key's start at 16");

}  // namespace epinax
