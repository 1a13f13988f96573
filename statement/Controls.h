// The edits of the main window that the statement speaks of: a key pressed
// in one, the focus sent back to one. The window finds its edit by the name.
#pragma once

#include <optional>
#include <string_view>

namespace epinax {

enum class TControl {
    YearOfData,
    ComboBox1,
    Edit1,
    CompanyName,
    AFM,
    AntikeimenoErgasion,
    Town,
    Street,
    Number,
    TK,
    Tel,
    Fax,
    email,
    Egatastash,
    EditPub1,
    EditPub2,
    EditSum,
    EditSumValue,
    EditSum2,
    EditSumValue2,
};

inline constexpr std::string_view kControlNames[] = {
    "YearOfData", "ComboBox1",    "Edit1",    "CompanyName",   "AFM",   "AntikeimenoErgasion", "Town",     "Street",
    "Number",     "TK",           "Tel",      "Fax",           "email", "Egatastash",          "EditPub1", "EditPub2",
    "EditSum",    "EditSumValue", "EditSum2", "EditSumValue2",
};

constexpr std::string_view ControlName(TControl control) { return kControlNames[static_cast<int>(control)]; }

constexpr std::optional<TControl> ControlNamed(std::string_view name)
{
    for (int i = 0; i < static_cast<int>(std::size(kControlNames)); ++i)
        if (kControlNames[i] == name) return static_cast<TControl>(i);
    return std::nullopt;
}

static_assert(ControlName(TControl::EditSumValue2) == "EditSumValue2", "a name for every control, in order");

}  // namespace epinax
