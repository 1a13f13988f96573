// A statement in a directory of its own, as the fault tests drive it many
// times over: built, armed to meet a full disk, looked at afterwards.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FailingWrite.h"
#include "RecordingUi.h"
#include "ShownState.h"
#include "TestSupport.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "entry/ListRefresh.h"
#include "entry/RecordLayout.h"
#include "entry/Side.h"
#include "entry/TaxNumber.h"
#include "statement/GeneralData.h"
#include "statement/Statement.h"

namespace epinax::test {

constexpr TDate kFaultToday{2025, 3, 14};

struct FaultRow {
    std::string afm, name, ypovolh = "0", invoices = "1", value = "10";
};

// A valid tax number made from `n` (its first eight digits), for lists of
// any length without a repeated number.
inline std::string ValidAfm(int n)
{
    std::string base = std::to_string(10000000 + n % 90000000);
    for (char check = '0'; check <= '9'; ++check)
        if (CheckAfm(base + check)) return base + check;
    return ValidAfm(n + 90000000 / 7);  // no check digit fits this base: another one
}

// Everything the user can see of the lists, and every working file.
struct StateView {
    std::vector<std::string> window;  // labels and totals
    std::vector<std::string> lists;   // each list's rows, as its working file would hold them
    std::vector<std::string> files;   // generaldata, record2, record4, record21, record22
    bool operator==(const StateView&) const = default;
};

inline const char* const kWorkingFileNames[] = {"generaldata", "record2", "record4", "record21", "record22"};

// The first difference of two large texts, briefly.
inline std::string FirstDifference(const std::string& a, const std::string& b)
{
    size_t at = std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first - a.begin();
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at " +
           std::to_string(at);
}

inline std::string DescribeDifference(const StateView& a, const StateView& b)
{
    std::string out;
    for (size_t i = 0; i < a.window.size() && i < b.window.size(); ++i)
        if (a.window[i] != b.window[i])
            out += "window[" + std::to_string(i) + "]: " + a.window[i] + " / " + b.window[i] + "; ";
    for (size_t i = 0; i < a.lists.size() && i < b.lists.size(); ++i)
        if (a.lists[i] != b.lists[i])
            out += "list " + std::to_string(i) + ": " + FirstDifference(a.lists[i], b.lists[i]) + "; ";
    for (size_t i = 0; i < a.files.size() && i < b.files.size(); ++i)
        if (a.files[i] != b.files[i])
            out += std::string(kWorkingFileNames[i]) + ": " + FirstDifference(a.files[i], b.files[i]) + "; ";
    return out;
}

// The texts the user was shown (messages, errors, warnings), in UTF-8.
inline std::vector<std::string> Shown(const std::vector<std::string>& log)
{
    std::vector<std::string> shown;
    for (const auto& entry : log)
        if (entry.rfind("message: ", 0) == 0 || entry.rfind("error: ", 0) == 0 || entry.rfind("warning: ", 0) == 0)
            shown.push_back(entry);
    return shown;
}

inline bool HasGreekLetters(const std::string& utf8)
{
    // Greek and Coptic, U+0370 to U+03FF: lead bytes 0xCD (part), 0xCE, 0xCF.
    return std::any_of(utf8.begin(), utf8.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte == 0xCE || byte == 0xCF;
    });
}

// A message in Greek that says the disk is full.
inline bool SaysTheDiskIsFull(const std::string& entry)
{
    return HasGreekLetters(entry) && entry.find(SystemReason(ENOSPC)) != std::string::npos &&
           entry.find("Cannot") == std::string::npos;
}

// A fresh directory per session, removed afterwards: in memory (/dev/shm)
// where there is one, since these tests make thousands of small statements
// and a disk takes a hundred times longer over the files' names than over
// their bytes. The full disk is the write seam's, on any file system.
class SessionDir {
public:
    SessionDir()
    {
        for (const std::filesystem::path& base :
             {std::filesystem::path("/dev/shm"), std::filesystem::temp_directory_path()}) {
            std::string pattern = (base / "epinax-fault-XXXXXX").string();
            if (::mkdtemp(pattern.data()) == nullptr) continue;
            path_ = pattern;
            return;
        }
        ADD_FAILURE() << "no directory for a session";
    }
    ~SessionDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    SessionDir(const SessionDir&) = delete;
    SessionDir& operator=(const SessionDir&) = delete;
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

class FaultSession {
public:
    SessionDir dir;
    RecordingUi ui;
    TStatement doc{dir.Path() + "/", ui, [] { return kFaultToday; }};
    const std::string earlier = dir.File("earlier");
    const std::string other = dir.File("other");  // another statement file, to open

    void New() { ui.Completed(doc.New()); }
    void ValidHeader()
    {
        doc.SetHeaderText(TStatementField::Year, "2024");
        doc.SetHeaderText(TStatementField::TaxNumber, "123456783");
        doc.SetHeaderText(TStatementField::Installation, "E");
        doc.SelectTaxOffice(9);
        doc.SetHeaderText(TStatementField::CompanyName, "ACME");
    }
    // Appends a row as the grid does and posts it; false when the post did
    // not complete. A refusal or a failure ends with what to tell (ENotice);
    // any other error reaches the window's handler, which shows its text:
    // each is logged here as the window shows it.
    bool Add(TSide side, const FaultRow& row)
    {
        return AsTheWindowDoes(side, [&](TFixedFormatDataSet& list) {
            list.Append();
            list.Field(field::Afm).SetAsString(row.afm);
            list.Field(field::Name).SetAsString(G(row.name));
            list.Field(field::Ypovolh).SetAsString(row.ypovolh);
            list.Field(field::NoTimologion).SetAsString(row.invoices);
            list.Field(field::Value).SetAsString(row.value);
            list.Post();
        });
    }
    template <typename Edit>
    bool AsTheWindowDoes(TSide side, Edit edit)
    {
        auto& list = doc.List(side);
        try {
            edit(list);
            return true;
        } catch (const ENotice& told) {
            ui.Tell(told.Notice());
        } catch (const std::exception& error) {
            ui.Tell(TNotice::Error(error.what()));
        }
        // A row the grid still holds is given up, as the user would.
        list.Cancel();
        return false;
    }
    // Changes the value of the first row and posts it, or deletes that row,
    // as the grid does; false when it did not complete.
    bool EditFirst(TSide side, const std::string& value)
    {
        return AsTheWindowDoes(side, [&](TFixedFormatDataSet& list) {
            list.First();
            list.Edit();
            list.Field(field::Value).SetAsString(value);
            list.Post();
        });
    }
    bool DeleteFirst(TSide side)
    {
        return AsTheWindowDoes(side, [](TFixedFormatDataSet& list) {
            list.First();
            list.Delete();
        });
    }
    // Save As to `path`, "Yes" to replacing it; true when it says saved.
    bool SaveAs(const std::string& path)
    {
        return !ui.Refused(doc.CheckBeforeSave()) && ui.Completed(doc.SaveAs(path, true));
    }
    void Open(const std::string& path) { ui.Completed(doc.Open(path)); }
    std::string Working(const char* name) const { return ReadBytes(doc.WorkingFile(name)); }

    StateView View() const
    {
        StateView view;
        view.window = ShownState(doc);
        for (TSide side : {TSide::Customers, TSide::Suppliers}) view.lists.push_back(ListText(side));
        for (const char* name : kWorkingFileNames) view.files.push_back(Working(name));
        return view;
    }
    std::string ListText(TSide side) const
    {
        const auto& list = doc.List(side);
        std::string text;
        if (!list.Active()) return "(closed)";
        for (int i = 0; i < list.RecordCount(); ++i) {
            text += list.RecordTextAt(i);
            text += "\r\n";
        }
        return text;
    }

    // What the window shows is what the working files hold, and nothing is
    // left half-made beside them.
    void ExpectWindowAgreesWithFiles() const
    {
        for (TSide side : {TSide::Customers, TSide::Suppliers}) {
            SCOPED_TRACE(SideInfo(side).workingFile);
            const auto& list = doc.List(side);
            ASSERT_TRUE(list.Active());
            EXPECT_EQ(list.State(), TDataSetState::dsBrowse);
            std::string file = Working(SideInfo(side).workingFile);
            std::string shown = ListText(side);
            EXPECT_TRUE(shown == file) << "list and working file differ: " << FirstDifference(shown, file);
            EXPECT_TRUE(Working(SideInfo(side).scratchFile) == file)
                << "scratch copy and working file differ: "
                << FirstDifference(Working(SideInfo(side).scratchFile), file);
            std::vector<std::string> lines = FileLines(file);
            const bool customers = side == TSide::Customers;
            EXPECT_EQ(customers ? doc.CountText(TSide::Customers) : doc.CountText(TSide::Suppliers),
                      CountLabel(side, static_cast<int>(lines.size())));
            TListTotals totals =
                SumList(static_cast<int>(lines.size()), [&](int i) { return std::string_view(lines[i]); }).totals;
            EXPECT_EQ(doc.InvoiceTotalText(side), totals.InvoicesText());
            EXPECT_EQ(doc.ValueTotalText(side), totals.ValueText());
        }
        auto kept = ParseGeneralData(Working("generaldata"));
        ASSERT_TRUE(kept) << "generaldata damaged";
        EXPECT_TRUE(*kept ==
                    (TGeneralData{doc.Header(), doc.PublicValue(TSide::Customers), doc.PublicValue(TSide::Suppliers)}))
            << "header shown: " << cp1253::ToUtf8(HeaderLine(doc.Header()))
            << "\nheader kept: " << cp1253::ToUtf8(HeaderLine(kept->header));
        ExpectNothingLeftBeside();
    }
    void ExpectNothingLeftBeside() const
    {
        for (const auto& directory : {dir.Path(), dir.File("temp")})
            for (const auto& entry : std::filesystem::directory_iterator(directory)) {
                std::string name = entry.path().filename().string();
                bool known = name == "temp" || name == "earlier" || name == "other" ||
                             std::find(std::begin(kWorkingFileNames), std::end(kWorkingFileNames), name) !=
                                 std::end(kWorkingFileNames) ||
                             name.find(".discarded-") != std::string::npos;  // freed by a worker, later
                EXPECT_TRUE(known) << "left in " << directory << ": " << name;
            }
    }
};

}  // namespace epinax::test
