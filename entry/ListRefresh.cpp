#include "entry/ListRefresh.h"
#include "entry/Side.h"

#include <cstdint>
#include <optional>

#include "common/Errors.h"
#include "common/Files.h"
#include "common/Text.h"
#include "entry/RecordLayout.h"

namespace epinax {

namespace {

struct TPlainNumbers {
    std::int64_t invoices = 0, cents = 0;
};

// A row's invoice count and value in the plain forms, read in one pass;
// nothing when either is in another form.
std::optional<TPlainNumbers> PlainNumbers(std::string_view record)
{
    if (record.size() < kValueEnd) return std::nullopt;
    auto invoices = PaddedDigits(record.substr(kInvoicesAt, kInvoicesWidth));
    auto cents = PaddedAmountCents(record.substr(kValueAt, kValueWidth));
    if (!invoices || !cents) return std::nullopt;
    return TPlainNumbers{*invoices, *cents};
}

}  // namespace

// Plain counts and cents are added as such; a list of them never goes out of
// range. One row's numbers fit 64 bits, so the difference of two does too.
bool TListSum::Change(const TRowChange& change)
{
    if (!countable) return false;
    auto before = change.before ? PlainNumbers(*change.before) : TPlainNumbers{};
    auto after = change.after ? PlainNumbers(*change.after) : TPlainNumbers{};
    if (!before || !after) return false;
    totals.invoices += Decimal::FromCents(TInt128(after->invoices - before->invoices) * 100);
    totals.value += Decimal::FromCents(TInt128(after->cents) - before->cents);
    return true;
}

// Amounts in the forms the program writes are summed as whole cents;
// anything else is read the long way, with the same result.
TListSum SumList(int count, const std::function<std::string_view(int)>& recordAt, int* failedAt)
{
    constexpr size_t invoicesAt = kInvoicesAt, invoicesWidth = kInvoicesWidth, valueAt = kValueAt,
                     valueWidth = kValueWidth;
    auto field = [](std::string_view record, size_t at, size_t width) {
        return at < record.size() ? std::string(TrimTrailingBlanks(record.substr(at, width))) : std::string();
    };
    TInt128 plainInvoices = 0, plainCents = 0;
    Decimal otherInvoices, otherValues;
    bool countable = true;
    int i = 0, lastOther = 0;  // a sum out of range is laid at the last number read the long way
    try {
        for (; i < count; ++i) {
            std::string_view record = recordAt(i);
            bool whole = record.size() >= valueAt + valueWidth;
            auto invoices = whole ? PaddedDigits(record.substr(invoicesAt, invoicesWidth)) : std::nullopt;
            auto cents = whole ? PaddedAmountCents(record.substr(valueAt, valueWidth)) : std::nullopt;
            if (!invoices || !cents) {
                lastOther = i;
                countable = false;
            }
            if (invoices)
                plainInvoices += *invoices;
            else
                otherInvoices += StrToFloat(field(record, invoicesAt, invoicesWidth));
            if (cents)
                plainCents += *cents;
            else
                otherValues += StrToFloat(field(record, valueAt, valueWidth));
        }
        i = lastOther;
        Decimal invoiceSum = Decimal::FromCents(plainInvoices * 100) + otherInvoices;
        Decimal valueSum = Decimal::FromCents(plainCents) + otherValues;
        return {{invoiceSum, valueSum}, countable};
    } catch (...) {
        if (failedAt) *failedAt = i;
        throw;
    }
}

// The list in memory holds exactly what its files hold, so the sums are taken
// from it rather than read back from the scratch file.
TListSum SumList(const TFixedFormatDataSet& list)
{
    return SumList(list.RecordCount(), [&](int i) { return list.RecordTextAt(i); });
}

// Written once; the scratch file is then made its copy, which costs no
// second write (see ReplaceWithCopy).
void RewriteListFiles(TFixedFormatDataSet& list, const std::string& workingFile, const std::string& scratchFile)
{
    list.SaveAs(workingFile);
    ReplaceWithCopy(list.FileName(), scratchFile);
}

std::string CountLabel(TSide side, int count) { return std::to_string(count) + SideInfo(side).countLabel; }

// Every number keeps its value, a single digit too (a declared 7 must not
// become 0 in the file); only a text that is no number becomes "0".
std::string NormalisedPublicValue(const std::string& text)
{
    try {
        return StrToFloat(text).ToHashHash();
    } catch (const EConvertError&) {
        return std::string(1, '0');
    }
}

}  // namespace epinax
