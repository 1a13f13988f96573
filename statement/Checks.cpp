// The checks a statement must pass before it is written to a file.
#include <unordered_map>

#include "common/Greek.h"
#include "entry/TaxNumber.h"
#include "statement/Checks.h"
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

std::vector<THeaderRefusal> HeaderRefusals(const TStatementHeader& header, int currentYear)
{
    std::vector<THeaderRefusal> refusals;
    auto refuse = [&](const char* message, const char* control, bool beep) {
        refusals.push_back({G(kPrefix) + G(message), control, beep});
    };
    if (!YearAccepted(header.YearOfData, currentYear))
        refuse("Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία και επαναλάβετε την αποθήκευση.",
               "YearOfData", true);
    if (!CheckAfm(header.AFM))
        refuse("Έχετε δώσει λανθασμένο ΑΦΜ Υπόχρεου. Διορθώστε το και επαναλάβετε την αποθήκευση.", "AFM", false);
    if (header.Egatastash.empty())
        refuse("Συμπληρώστε το Είδος εγκατάστασης και επαναλάβετε την αποθήκευση.", "Egatastash", false);
    if (header.ComboBox1 < 0) refuse("Επιλέξτε τη ΔΟΥ και επαναλάβετε την αποθήκευση.", "ComboBox1", false);
    return refusals;
}

bool TStatement::CheckBeforeSave()
{
    auto refusals = HeaderRefusals(header, Today().year);
    if (!refusals.empty()) {
        const THeaderRefusal& first = refusals.front();
        if (first.beep) ui_.Beep();
        ui_.ShowMessage(first.message);
        ui_.SetFocus(first.control);
        return false;
    }
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
