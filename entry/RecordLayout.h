// The counterparty record field by field: names, widths and the places that
// follow from them. The schema given to the record stores, the statement
// file's line maker and reader, the totals and the sort all take their
// offsets from this one table.
#pragma once

#include <array>
#include <cstddef>

namespace epinax {

struct TRecordField {
    const char* customerName;
    const char* supplierName;  // the same, but for the three fields that differ
    int width;
};

inline constexpr std::array<TRecordField, 13> kRecordFields{{
    {"RecordType", "RecordType", 1},
    {"AA", "AA", 5},
    {"AFMCust", "AFMProm", 9},
    {"NameCust", "NameProm", 27},
    {"ProfCust", "ProfProm", 15},
    {"Ypovolh", "Ypovolh", 1},
    {"City", "City", 10},
    {"Street", "Street", 16},
    {"StreetNo", "StreetNo", 3},
    {"TK", "TK", 5},
    {"NoTimologion", "NoTimologion", 7},
    {"Value", "Value", 16},
    {"FILLER", "FILLER", 35},
}};

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
