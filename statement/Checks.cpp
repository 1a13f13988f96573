// The checks a statement must pass before it is written to a file.
#include <unordered_map>

#include "common/Greek.h"
#include "entry/TaxNumber.h"
#include "statement/Statement.h"

namespace epinax {

namespace {

const char* const kPrefix = "Η αποθήκευση σε αρχείο απέτυχε: ";
const char* const kRepeat = " Διορθώστε το και επαναλάβετε την αποθήκευση.";

std::string ListMessage(const std::string& afm, const char* ending)
{
    return G(kPrefix) + G("Ο ΑΦΜ: ") + afm + G(ending);
}

}  // namespace

bool TStatement::CheckBeforeSave()
{
    auto fail = [&](const char* message, const char* control, bool beep) {
        if (beep) ui_.Beep();
        ui_.ShowMessage(G(kPrefix) + G(message));
        ui_.SetFocus(control);
        return false;
    };
    if (!YearAccepted(header.YearOfData, Today().year))
        return fail("Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία και επαναλάβετε την αποθήκευση.",
                    "YearOfData", true);
    if (!CheckAfm(header.AFM))
        return fail("Έχετε δώσει λανθασμένο ΑΦΜ Υπόχρεου. Διορθώστε το και επαναλάβετε την αποθήκευση.", "AFM",
                    false);
    if (header.Egatastash.empty())
        return fail("Συμπληρώστε το Είδος εγκατάστασης και επαναλάβετε την αποθήκευση.", "Egatastash", false);
    if (header.ComboBox1 < 0)
        return fail("Επιλέξτε τη ΔΟΥ και επαναλάβετε την αποθήκευση.", "ComboBox1", false);

    if (!SettlePendingRow(TSide::Customers)) return false;
    if (!SettlePendingRow(TSide::Suppliers)) return false;
    return CheckListAfms(TSide::Customers) && CheckListAfms(TSide::Suppliers);
}

// The earliest row with a problem decides: first its equality with the own
// tax number, then a later row with the same number. Every row is compared
// with the own number, also in a list of one row. The lists are scanned in
// memory, where they equal their working files; a hash of the last position
// of each number keeps large lists fast.
bool TStatement::CheckListAfms(TSide side)
{
    TFixedFormatDataSet& list = List(side);
    if (!list.Active()) return true;
    const TField& field = list.FieldByName(AfmFieldName(side));
    std::vector<std::string> afms;
    afms.reserve(list.RecordCount());
    for (int i = 0; i < list.RecordCount(); ++i) afms.push_back(list.FieldTextAt(i, field));

    std::unordered_map<std::string_view, size_t> lastPosition;
    for (size_t i = 0; i < afms.size(); ++i) lastPosition[afms[i]] = i;

    bool customers = side == TSide::Customers;
    for (size_t i = 0; i < afms.size(); ++i) {
        const char* ending = nullptr;
        if (afms[i] == header.AFM)
            ending = customers ? " στους πελάτες είναι ίδιος με τον ΑΦΜ Υπόχρεου."
                               : " στους προμηθευτές είναι ίδιος με τον ΑΦΜ Υπόχρεου. ";
        else if (lastPosition[afms[i]] > i)
            ending = customers ? " έχει εισαχθεί 2 φορές στους πελάτες." : " έχει εισαχθεί 2 φορές στους προμηθευτές.";
        if (ending) {
            ui_.Beep();
            ui_.ShowMessage(ListMessage(afms[i], ending) + G(kRepeat));
            return false;
        }
    }
    return true;
}

}  // namespace epinax
