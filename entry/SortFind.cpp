#include "entry/SortFind.h"

#include <memory>

#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "entry/RecordLayout.h"
#include "entry/Sort.h"

namespace epinax {

namespace {

constexpr size_t kHeadLength = kSortKeyAt;  // RecordType, AA and the tax number

// The record at full field width: the fields read without trimming and
// joined, which is the stored text up to the record length.
std::string_view FullWidth(std::string_view record) { return record.substr(0, kRecordLength); }

std::vector<int> SortedOrder(const TFixedFormatDataSet& list)
{
    std::vector<std::string_view> tails;
    tails.reserve(list.RecordCount());
    for (int i = 0; i < list.RecordCount(); ++i) {
        std::string_view record = FullWidth(list.RecordTextAt(i));
        tails.push_back(record.substr(std::min(kHeadLength, record.size())));
    }
    return ExchangeSortOrder(tails);
}

}  // namespace

std::optional<std::string> SortListFile(TFixedFormatDataSet& list, const std::string& scratchFile)
{
    std::vector<int> order = SortedOrder(list);
    std::unique_ptr<FileReplacer> sorted;
    // The reason is named: a full disk is for the user to put right.
    auto failed = [&](int error) {
        sorted.reset();
        if (!list.Active()) list.Open();
        return "Η ταξινόμηση απέτυχε: δεν ήταν δυνατή η εγγραφή του αρχείου εργασίας " + DisplayPath(list.FileName()) +
               " (" + SystemReason(error) + "). Η λίστα έμεινε όπως ήταν.";
    };
    try {
        sorted = std::make_unique<FileReplacer>(list.FileName());
        for (int index : order) {
            sorted->Write(FullWidth(list.RecordTextAt(index)));
            sorted->Write("\r\n");
        }
        list.Close();
        sorted->Commit();
    } catch (const EFileError& error) {
        return failed(error.SystemError());
    } catch (const std::exception&) {
        return failed(0);
    }
    // The scratch copy follows the working file, as after every post; it
    // costs no writing (a second name), and one that cannot be made now is
    // made again by the next post.
    try {
        ReplaceWithCopy(list.FileName(), scratchFile);
    } catch (const EFileError&) {
    }
    list.Open();
    list.First();
    return std::nullopt;
}

void SortListInMemory(TFixedFormatDataSet& list)
{
    std::string sorted;
    for (int index : SortedOrder(list)) sorted.append(FullWidth(list.RecordTextAt(index))).append("\r\n");
    list.Close();
    list.OpenWithText(std::move(sorted));
    list.First();
}

bool FindRow(TFixedFormatDataSet& list, const std::string& text, bool byAfm, bool partialMatch)
{
    if (list.FindRecord(list.Field(byAfm ? field::Afm : field::Name), {text}, false, partialMatch)) return true;
    list.First();
    return false;
}

std::string NotFoundMessage(bool byAfm) { return byAfm ? "Δεν βρέθηκε ο ΑΦΜ" : "Δεν βρέθηκε η Επωνυμία"; }

}  // namespace epinax
