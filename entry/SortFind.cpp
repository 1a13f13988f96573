// Sorting a list by its record tails, and finding a row by tax number or name.
#include <memory>

#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "entry/RecordLayout.h"
#include "entry/Sort.h"
#include "statement/Statement.h"

namespace epinax {

namespace {

constexpr size_t kHeadLength = kSortKeyAt;  // RecordType, AA and the tax number

// The record at full field width: the fields read without trimming and
// joined, which is the stored text up to the record length.
std::string_view FullWidth(std::string_view record) { return record.substr(0, kRecordLength); }

}  // namespace

void TStatement::SortList(TSide side)
{
    if (!SettlePendingRow(side)) return;
    TFixedFormatDataSet& list = List(side);
    if (!list.Active()) return;
    ui_.ShowHourglass();
    TLongWork wait(ui_);

    std::vector<std::string_view> tails;
    tails.reserve(list.RecordCount());
    for (int i = 0; i < list.RecordCount(); ++i) {
        std::string_view record = FullWidth(list.RecordTextAt(i));
        tails.push_back(record.substr(std::min(kHeadLength, record.size())));
    }
    std::vector<int> order = ExchangeSortOrder(tails);

    // The sorted file is written whole beside the working file before the
    // list lets go of it, so a failure leaves list, file and screen as they were.
    std::unique_ptr<FileReplacer> sorted;
    try {
        sorted = std::make_unique<FileReplacer>(list.FileName());
        for (int index : order) {
            sorted->Write(FullWidth(list.RecordTextAt(index)));
            sorted->Write("\r\n");
        }
        list.Close();
        sorted->Commit();
    } catch (const std::exception&) {
        sorted.reset();
        if (!list.Active()) list.Open();
        wait.End();
        ui_.Beep();
        ui_.ShowMessage(G("Η ταξινόμηση απέτυχε: δεν ήταν δυνατή η εγγραφή του αρχείου εργασίας ") +
                        DisplayPath(list.FileName()) + G(". Η λίστα έμεινε όπως ήταν."));
        return;
    }
    list.Open();
    wait.End();
    list.First();
    UnsavedChanges = true;
    Changed();
}

void TStatement::N17Click()
{
    if (!SettlePendingRow(TSide::Customers) || !SettlePendingRow(TSide::Suppliers)) return;
    auto request = ui_.AskFind();
    if (!request) return;
    TSide side = ActivePage == 0 ? TSide::Customers : TSide::Suppliers;
    TFixedFormatDataSet& list = List(side);
    if (!list.Active()) return;
    const char* field = request->ByAFM ? AfmFieldName(side) : NameFieldName(side);
    if (!list.FindRecord(field, {request->SearchText}, false, request->PartialMatch)) {
        ui_.ShowWarning(G(request->ByAFM ? "Δεν βρέθηκε ο ΑΦΜ" : "Δεν βρέθηκε η Επωνυμία"));
        list.First();
    }
    Changed();
}

}  // namespace epinax
