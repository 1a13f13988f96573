// The handlers of the two lists: the gate of a posted row, the refresh after
// every post and delete, the public-sector values, sort and find. The rules
// themselves are the entry layer's; these handlers say what to tell the user.
#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "entry/ListRefresh.h"
#include "entry/RecordLayout.h"
#include "entry/RowValidation.h"
#include "entry/Side.h"
#include "entry/SortFind.h"
#include "statement/Statement.h"

namespace epinax {

namespace {

int IndexOf(TSide side) { return SideInfo(side).index; }

}  // namespace

// ------------------------------------------------------------ posting

void TStatement::BeginBulkEntry(TSide side) { afmIndex_[IndexOf(side)].emplace(); }

void TStatement::EndBulkEntry(TSide side) { afmIndex_[IndexOf(side)].reset(); }

void TStatement::ValidateRow(TSide side)
{
    auto& index = afmIndex_[IndexOf(side)];
    TPostedRow row{header_.TaxNumber, side == TSide::Customers ? newCustomerRow_ : newSupplierRow_,
                   index ? &*index : nullptr};
    std::optional<TRowRefusal> refusal;
    try {
        refusal = ValidatePostedRow(List(side), side, row);
    } catch (const EConvertError& error) {
        TRowValues values;
        values.value = List(side).Field(field::Value).AsString();
        throw EUnreadableNumber(error, {side, ColumnOfUnreadableNumber(values)});
    }
    if (refusal) {
        TNotice told = TNotice::Message(std::move(refusal->message), true);
        told.cell = TListCell{side, refusal->column};
        throw ENotice(std::move(told));
    }
}

// ------------------------------------------------------------ refresh

void TStatement::Refresh(TSide side, const TRowChange* change)
{
    TFixedFormatDataSet& list = List(side);
    const std::string workingFile = WorkingFile(SideInfo(side).workingFile);
    try {
        if (KeepsWorkingFiles()) RewriteListFiles(list, workingFile, WorkingFile(SideInfo(side).scratchFile));
    } catch (const EFileError& error) {
        // The working file is replaced in one step, so it still holds the
        // list as it was before the change. The list is read back from it:
        // a row shown but never written would vanish with the next New,
        // Open or crash, and its totals would disagree with the file's.
        try {
            list.Reload();
        } catch (const std::exception&) {
            // Not readable either: the list keeps the change; the message
            // below still tells the user that it was not written.
        }
        SetCountLabel(side);
        UpdateTotals(side);
        Changed();
        throw EListNotWritten(TNotice::Error("Η αλλαγή " + std::string(SideInfo(side).inTheList) +
                                             " δεν κρατήθηκε: δεν ήταν δυνατή η εγγραφή του αρχείου εργασίας " +
                                             DisplayPath(workingFile) + " (" + SystemReason(error.SystemError()) +
                                             "). Η λίστα έμεινε όπως ήταν πριν από την αλλαγή."));
    }
    SetCountLabel(side);
    UpdateTotals(side, change);
    Changed();
}

// A copy: the store's own text goes when the list is read again.
void TStatement::KeepRowBefore(TSide side, bool storedRow)
{
    const TFixedFormatDataSet& list = List(side);
    auto& kept = rowBefore_[IndexOf(side)];
    if (storedRow)
        kept.emplace(list.RecordTextAt(list.CurrentIndex()));
    else
        kept.reset();
}

void TStatement::RowChanged(TSide side, bool posted)
{
    const TFixedFormatDataSet& list = List(side);
    const auto& before = rowBefore_[IndexOf(side)];
    TRowChange change;
    if (before) change.before = *before;
    if (posted) change.after = list.RecordTextAt(list.CurrentIndex());
    Refresh(side, &change);
}

// A sum that fails leaves the totals shown as they were, and the next change
// sums the whole list again.
void TStatement::UpdateTotals(TSide side, const TRowChange* change)
{
    const int index = IndexOf(side);
    TListSum& sum = sums_[index];
    if (!change || !sum.Change(*change)) {
        try {
            sum = SumList(List(side));
        } catch (...) {
            sum.countable = false;
            throw;
        }
    }
    totalsShown_[index] = true;
}

std::optional<TListTotals> TStatement::Totals(TSide side) const
{
    const int index = IndexOf(side);
    if (!totalsShown_[index]) return std::nullopt;
    return sums_[index].totals;
}

std::string TStatement::InvoiceTotalText(TSide side) const
{
    auto totals = Totals(side);
    return totals ? totals->InvoicesText() : std::string();
}

std::string TStatement::ValueTotalText(TSide side) const
{
    auto totals = Totals(side);
    return totals ? totals->ValueText() : std::string();
}

void TStatement::SetCountLabel(TSide side)
{
    (side == TSide::Customers ? customerCountText_ : supplierCountText_) = CountLabel(side, List(side).RecordCount());
}

std::optional<TNotice> TStatement::NormalisePublicValue(std::string& text)
{
    auto notKept = ChangeGeneralData([&] { text = NormalisedPublicValue(text); });
    Changed();
    return notKept;
}

// ------------------------------------------------------------ sort, find

std::optional<TNotice> TStatement::SortList(TSide side)
{
    if (auto refusal = PostPendingRow(side)) return refusal;
    TFixedFormatDataSet& list = List(side);
    if (!list.Active()) return std::nullopt;
    ui_.ShowHourglass();
    TLongWork wait(ui_);
    std::optional<std::string> failure;
    if (KeepsWorkingFiles())
        failure = SortListFile(list, WorkingFile(SideInfo(side).scratchFile));
    else
        SortListInMemory(list);
    wait.End();
    if (failure) return TNotice::Message(std::move(*failure), true);
    unsavedChanges_ = true;
    Changed();
    return std::nullopt;
}

std::optional<TNotice> TStatement::PostPendingRows()
{
    if (auto refusal = PostPendingRow(TSide::Customers)) return refusal;
    return PostPendingRow(TSide::Suppliers);
}

std::optional<TNotice> TStatement::Find(const TFindRequest& request)
{
    TSide side = activePage_ == 0 ? TSide::Customers : TSide::Suppliers;
    TFixedFormatDataSet& list = List(side);
    if (!list.Active()) return std::nullopt;
    std::optional<TNotice> notFound;
    if (!FindRow(list, request.SearchText, request.ByAFM, request.PartialMatch))
        notFound = TNotice::Warning(NotFoundMessage(request.ByAFM));
    Changed();
    return notFound;
}

}  // namespace epinax
