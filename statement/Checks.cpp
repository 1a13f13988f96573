// The checks a statement must pass before it is written to a file.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

#include "common/Cp1253.h"
#include "common/Numbers.h"
#include "entry/RecordLayout.h"
#include "entry/TaxNumber.h"
#include "statement/Checks.h"
#include "statement/Statement.h"

namespace epinax {

namespace {

const char* const kPrefix = "Η αποθήκευση σε αρχείο απέτυχε: ";
const char* const kRepeat = " Διορθώστε το και επαναλάβετε την αποθήκευση.";

std::string ListMessage(const std::string& afm, const char* ending)
{
    return kPrefix + ("Ο ΑΦΜ: " + cp1253::ToUtf8(afm)) + ending;
}

}  // namespace

const char* HeaderFieldLabel(TStatementField control)
{
    switch (control) {
    case TStatementField::Year: return "Έτος που αφορούν τα στοιχεία";
    case TStatementField::FolderNumber: return "Αριθμός Φακέλου";
    case TStatementField::CompanyName: return "Επωνυμία Επιχείρησης";
    case TStatementField::TaxNumber: return "ΑΦΜ";
    case TStatementField::Activity: return "Αντικείμενο Εργασιών (Επάγγελμα)";
    case TStatementField::Town: return "Διεύθυνση - Πόλη";
    case TStatementField::Street: return "Οδός";
    case TStatementField::StreetNumber: return "Αριθμός";
    case TStatementField::PostCode: return "Τ.Κ.";
    case TStatementField::Phone: return "Τηλέφωνο";
    case TStatementField::Fax: return "Φαξ";
    case TStatementField::Email: return "Email";
    case TStatementField::Installation: return "Είδος Εγκατάστασης";
    default: return "";
    }
}

namespace {

// Worded as the command line's build refuses the same character.
std::string ControlCharacterMessage(TStatementField control, char c)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp1253::ToUnicode(static_cast<unsigned char>(c))));
    return kPrefix + ("Γενικά στοιχεία, πεδίο «" + std::string(HeaderFieldLabel(control))) +
           "»: ο χαρακτήρας ελέγχου " + code + " δεν επιτρέπεται σε πεδίο." + kRepeat;
}

}  // namespace

bool IsControlCharacter(char c)
{
    const char32_t codePoint = cp1253::ToUnicode(static_cast<unsigned char>(c));
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

std::vector<THeaderRefusal> HeaderRefusals(const TStatementHeader& header, int currentYear)
{
    std::vector<THeaderRefusal> refusals;
    auto refuse = [&](const char* message, TStatementField control, bool beep) {
        refusals.push_back({kPrefix + std::string(message), control, beep});
    };
    if (!YearAccepted(header.Year, currentYear))
        refuse("Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία και επαναλάβετε την αποθήκευση.",
               TStatementField::Year, true);
    if (!CheckAfm(header.TaxNumber))
        refuse("Έχετε δώσει λανθασμένο ΑΦΜ Υπόχρεου. Διορθώστε το και επαναλάβετε την αποθήκευση.",
               TStatementField::TaxNumber, false);
    if (header.Installation.empty())
        refuse("Συμπληρώστε το Είδος εγκατάστασης και επαναλάβετε την αποθήκευση.", TStatementField::Installation,
               false);
    if (header.TaxOffice < 0)
        refuse("Επιλέξτε τη ΔΟΥ και επαναλάβετε την αποθήκευση.", TStatementField::TaxOffice, false);
    // Never typed, but a damaged file opened or a paste may bring one in.
    for (const THeaderEdit& edit : HeaderEdits()) {
        const std::string text = cp1253::FromUtf8OrThrow(header.*(edit.text));
        auto found = std::find_if(text.begin(), text.end(), IsControlCharacter);
        if (found != text.end())
            refusals.push_back({ControlCharacterMessage(edit.control, *found), edit.control, false});
    }
    return refusals;
}

std::optional<TNotice> TStatement::CheckBeforeSave()
{
    auto refusals = HeaderRefusals(header_, Today().year);
    if (!refusals.empty()) {
        THeaderRefusal& first = refusals.front();
        TNotice told = TNotice::Message(std::move(first.message), first.beep);
        told.focus = first.control;
        return told;
    }
    // A row left out for a number that is no number would be missing from a
    // file whose save said it succeeded.
    for (TSide side : {TSide::Customers, TSide::Suppliers})
        if (auto refusal = PostPendingRow(side, true)) return refusal;
    if (auto refusal = CheckListAfms(TSide::Customers)) return refusal;
    return CheckListAfms(TSide::Suppliers);
}

namespace {

// A key per text such that equal texts, and only they, share a key: a tax
// number of digits is its value with its length, any other text a number of
// its own above all of those.
class AfmKeys {
public:
    std::uint64_t KeyOf(std::string_view afm)
    {
        if (afm.size() <= 9) {
            std::uint64_t value = 0;
            bool digits = true;
            for (char c : afm) {
                digits = digits && c >= '0' && c <= '9';
                value = value * 10 + static_cast<unsigned char>(c - '0');
            }
            if (digits) return value * 16 + afm.size();
        }
        auto [it, added] = others_.emplace(afm, others_.size());
        return (std::uint64_t{1} << 35) + it->second;
    }

private:
    std::unordered_map<std::string_view, std::uint64_t> others_;
};

constexpr int kPositionBits = 28;  // keys stay below 2^36

// The position of the first row that a later row repeats, or `size` when no
// row is repeated. The keys, each with its row's position in the low bits,
// are put in order by a radix sort on the key bits (sequential passes, kind to
// the cache on a list of a hundred thousand rows); equal keys then stand
// together.
size_t FirstRepeatedRow(std::vector<std::uint64_t>& keyed, std::vector<std::uint64_t>& other)
{
    constexpr int kDigitBits = 12;
    constexpr int kPasses = 3;  // 36 key bits
    std::vector<std::uint32_t> start((1 << kDigitBits) + 1);
    for (int pass = 0; pass < kPasses; ++pass) {
        const int shift = kPositionBits + pass * kDigitBits;
        std::fill(start.begin(), start.end(), 0);
        for (std::uint64_t value : keyed) ++start[(value >> shift & ((1 << kDigitBits) - 1)) + 1];
        for (size_t d = 1; d < start.size(); ++d) start[d] += start[d - 1];
        for (std::uint64_t value : keyed) other[start[value >> shift & ((1 << kDigitBits) - 1)]++] = value;
        keyed.swap(other);
    }
    const std::uint64_t positionMask = (std::uint64_t{1} << kPositionBits) - 1;
    size_t first = keyed.size();
    for (size_t k = 1; k < keyed.size(); ++k)
        if (keyed[k] >> kPositionBits == keyed[k - 1] >> kPositionBits)
            first = std::min<size_t>(first, std::min(keyed[k] & positionMask, keyed[k - 1] & positionMask));
    return first;
}

}  // namespace

// The earliest row with a problem decides: first its equality with the own
// tax number, then a later row with the same number. Every row is compared
// with the own number, also in a list of one row. The lists are scanned in
// memory, where they equal their working files.
std::optional<std::string> ListAfmRefusal(const TFixedFormatDataSet& list, TSide side, const std::string& ownAfm)
{
    const TField& field = list.Field(field::Afm);
    // One pass over the rows: each row's key, with its position; nine digits
    // in place need no trimming, the common case read directly.
    const size_t rows = static_cast<size_t>(list.RecordCount());
    std::vector<std::uint64_t> keyed(rows), other(rows);
    AfmKeys keys;
    const std::uint64_t ownKey = keys.KeyOf(ownAfm);
    size_t own = rows;
    auto afmOf = [&](size_t i) {
        std::string_view record = list.RecordTextAt(static_cast<int>(i));
        bool nineDigits = record.size() >= 15 && std::all_of(record.begin() + 6, record.begin() + 15,
                                                             [](char c) { return c >= '0' && c <= '9'; });
        return nineDigits ? record.substr(6, 9) : list.FieldViewAt(static_cast<int>(i), field);
    };
    for (size_t i = 0; i < rows; ++i) {
        std::uint64_t key = keys.KeyOf(afmOf(i));
        if (key == ownKey && own == rows) own = i;
        keyed[i] = key << kPositionBits | i;
    }
    size_t repeated = FirstRepeatedRow(keyed, other);
    size_t row = std::min(own, repeated);
    if (row == rows) return std::nullopt;
    bool customers = side == TSide::Customers;
    const char* ending = row == own ? (customers ? " στους πελάτες είναι ίδιος με τον ΑΦΜ Υπόχρεου."
                                                 : " στους προμηθευτές είναι ίδιος με τον ΑΦΜ Υπόχρεου. ")
                                    : (customers ? " έχει εισαχθεί 2 φορές στους πελάτες."
                                                 : " έχει εισαχθεί 2 φορές στους προμηθευτές.");
    return ListMessage(std::string(afmOf(row)), ending) + kRepeat;
}

std::optional<TNotice> TStatement::CheckListAfms(TSide side)
{
    TFixedFormatDataSet& list = List(side);
    if (!list.Active()) return std::nullopt;
    auto refusal = ListAfmRefusal(list, side, header_.TaxNumber);
    if (!refusal) return std::nullopt;
    return TNotice::Message(std::move(*refusal), true);
}

}  // namespace epinax
