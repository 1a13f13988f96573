// What tells the two lists apart, in one table a side: the working files,
// the statement file's line types and the Greek words of the messages and
// labels that name the list. Every place that depends on the side reads it
// here.
#pragma once

#include "entry/Counterparty.h"

namespace epinax {

struct TSideInfo {
    TSide side;
    int index;                // 0 customers, 1 suppliers: the tab, the slot of per-list state
    const char* workingFile;  // the list's working file under temp/
    const char* scratchFile;  // its scratch copy
    char lineType;            // of the rows in the statement file
    char totalsLineType;      // of the totals line
    const char* totalsCode;   // positions 1-10 of the totals line
    // Greek words.
    const char* countLabel;  // after the row count: " Εγγραφές (Πελάτες)"
    const char* inTheList;   // "στους πελάτες"
    const char* ofTheList;   // "των πελατών"
    const char* ofARow;      // "πελάτη", as in "εγγραφή πελάτη"
    const char* title;       // "Πελάτες"
};

inline constexpr TSideInfo kCustomersInfo{.side = TSide::Customers,
                                          .index = 0,
                                          .workingFile = "record2",
                                          .scratchFile = "record21",
                                          .lineType = '2',
                                          .totalsLineType = '3',
                                          .totalsCode = "3999999011",
                                          .countLabel = " Εγγραφές (Πελάτες)",
                                          .inTheList = "στους πελάτες",
                                          .ofTheList = "των πελατών",
                                          .ofARow = "πελάτη",
                                          .title = "Πελάτες"};
inline constexpr TSideInfo kSuppliersInfo{.side = TSide::Suppliers,
                                          .index = 1,
                                          .workingFile = "record4",
                                          .scratchFile = "record22",
                                          .lineType = '4',
                                          .totalsLineType = '5',
                                          .totalsCode = "5999999011",
                                          .countLabel = " Εγγραφές (Προμηθευτές)",
                                          .inTheList = "στους προμηθευτές",
                                          .ofTheList = "των προμηθευτών",
                                          .ofARow = "προμηθευτή",
                                          .title = "Προμηθευτές"};

constexpr const TSideInfo& SideInfo(TSide side) { return side == TSide::Customers ? kCustomersInfo : kSuppliersInfo; }

inline constexpr TSide kSides[] = {TSide::Customers, TSide::Suppliers};

}  // namespace epinax
