// What tells the two lists apart, in one table a side: the working files,
// the field names that differ, the statement file's line types and the Greek
// words of the messages and labels that name the list. Every place that
// depends on the side reads it here.
#pragma once

#include "entry/Counterparty.h"

namespace epinax {

struct TSideInfo {
    TSide side;
    int index;                // 0 customers, 1 suppliers: the tab, the slot of per-list state
    const char* workingFile;  // the list's working file under temp/
    const char* scratchFile;  // its scratch copy
    const char* afmField;
    const char* nameField;
    const char* profField;
    char lineType;           // of the rows in the statement file
    char totalsLineType;     // of the totals line
    const char* totalsCode;  // positions 1-10 of the totals line
    // Greek words, UTF-8 (G() gives the bytes).
    const char* countLabel;  // after the row count: " Εγγραφές (Πελάτες)"
    const char* inTheList;   // "στους πελάτες"
    const char* ofTheList;   // "των πελατών"
    const char* ofARow;      // "πελάτη", as in "εγγραφή πελάτη"
    const char* title;       // "Πελάτες"
};

inline constexpr TSideInfo kCustomersInfo{TSide::Customers,
                                          0,
                                          "record2",
                                          "record21",
                                          "AFMCust",
                                          "NameCust",
                                          "ProfCust",
                                          '2',
                                          '3',
                                          "3999999011",
                                          " Εγγραφές (Πελάτες)",
                                          "στους πελάτες",
                                          "των πελατών",
                                          "πελάτη",
                                          "Πελάτες"};
inline constexpr TSideInfo kSuppliersInfo{TSide::Suppliers,
                                          1,
                                          "record4",
                                          "record22",
                                          "AFMProm",
                                          "NameProm",
                                          "ProfProm",
                                          '4',
                                          '5',
                                          "5999999011",
                                          " Εγγραφές (Προμηθευτές)",
                                          "στους προμηθευτές",
                                          "των προμηθευτών",
                                          "προμηθευτή",
                                          "Προμηθευτές"};

constexpr const TSideInfo& SideInfo(TSide side) { return side == TSide::Customers ? kCustomersInfo : kSuppliersInfo; }

inline constexpr TSide kSides[] = {TSide::Customers, TSide::Suppliers};

}  // namespace epinax
