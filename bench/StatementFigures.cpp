#include "StatementFigures.h"

#include "statement/UserInterface.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <optional>
#include <string_view>

#include "StatementGenerator.h"
#include "common/Date.h"
#include "entry/RecordLayout.h"
#include "statement/Statement.h"
#include "statement/UserInterface.h"

extern char** environ;

namespace epinax::bench {

namespace {

constexpr int kRows = 99'999;
constexpr size_t kTailStart = 15;  // a record's tail: everything after the tax number
constexpr TDate kToday{2025, 3, 14};

// A program directory with a statement open in it, as the user has it after
// File > Open.
class Session {
public:
    Session() : doc(programDir.Path() + "/", ui, [] { return kToday; }) {}

    // Open through the menu; the seconds of the Open alone.
    Seconds Open(const std::string& statementFile)
    {
        TOutcome opened;
        const Seconds spent = Timed([&] { opened = doc.Open(statementFile); });
        Require(opened.notices.empty(), "Open showed a message: the generated statement was refused");
        return spent;
    }

    TempDir programDir;
    TUnwatched ui;
    TStatement doc;
};

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

}  // namespace

// ---------------------------------------------------------------------------
// Open, Save As and a post, on a statement with both lists full.

class FullStatementBench {
public:
    FullStatementBench() : statementFile_(data_.Path() + "/statement.txt"), savedFile_(data_.Path() + "/saved.txt")
    {
        GenerateStatementFile(statementFile_, {kRows, kRows, Tails::Distinct});
        session_.Open(statementFile_);
        RequireFullLists();
        CheckSaveRoundTrip();
    }

    Seconds Open()
    {
        const Seconds spent = session_.Open(statementFile_);
        RequireFullLists();
        return spent;
    }

    Seconds SaveAs()
    {
        TStatement& doc = session_.doc;
        TOutcome saved;
        const Seconds spent = Timed([&] {
            if (!doc.CheckBeforeSave()) saved = doc.SaveAs(savedFile_, true);
        });
        Require(saved.done && saved.notices.back().text == SaveAsSuccessText(), "Save As did not complete");
        return spent;
    }

    // The row is deleted again afterwards, untimed, so every repetition
    // posts into the same list.
    Seconds PostNewCustomer()
    {
        TFixedFormatDataSet& list = session_.doc.List(TSide::Customers);
        const Seconds spent = Timed([&] {
            list.Append();
            list.Field(field::Afm).SetAsString(ValidAfm(30'000'000));
            list.Field(field::Name).SetAsString(CapitalsToCp1253("ΝΕΟΣ ΠΕΛΑΤΗΣ"));
            list.Field(field::Ypovolh).SetAsString("0");
            list.Field(field::NoTimologion).SetAsString("3");
            list.Field(field::Value).SetAsString("10,5");
            list.Post();
        });
        Require(list.RecordCount() == kRows + 1, "the new row was not posted");
        list.Delete();
        Require(list.RecordCount() == kRows, "the posted row was not deleted");
        return spent;
    }

    Seconds CopyStatement() { return TimedCopy(statementFile_); }
    Seconds CopyStatementDurably() { return TimedCopy(statementFile_, true); }
    Seconds CopyCustomerWorkingFile() { return TimedCopy(session_.doc.WorkingFile("record2")); }

private:
    void RequireFullLists()
    {
        Require(session_.doc.List(TSide::Customers).RecordCount() == kRows &&
                    session_.doc.List(TSide::Suppliers).RecordCount() == kRows,
                "the opened statement does not hold both lists whole");
    }

    // Once, untimed: what Save As writes of an unchanged statement must be
    // the file it was opened from, or the figures time something else.
    void CheckSaveRoundTrip()
    {
        SaveAs();
        if (PlainRead(savedFile_) != PlainRead(statementFile_))
            std::fprintf(stderr, "save-statement: the saved file differs from the opened one\n");
    }

    // A plain copy into a new file beside the source.
    Seconds TimedCopy(const std::string& source, bool durable = false)
    {
        const std::string copy = source + ".copy-" + std::to_string(++copies_);
        const Seconds spent = Timed([&] { durable ? PlainDurableCopy(source, copy) : PlainCopy(source, copy); });
        std::filesystem::remove(copy);
        return spent;
    }

    TempDir data_;
    std::string statementFile_;
    std::string savedFile_;
    Session session_;
    int copies_ = 0;
};

// ---------------------------------------------------------------------------
// The customer list sorted by its record tails, against GNU sort.

class SortBench {
public:
    explicit SortBench(Tails tails)
        : statementFile_(data_.Path() + "/statement.txt"),
          linesFile_(data_.Path() + "/lines.txt"),
          sortedFile_(data_.Path() + "/sorted.txt")
    {
        GenerateStatementFile(statementFile_, {kRows, 0, tails});
        session_.Open(statementFile_);
        Require(List().RecordCount() == kRows, "the sort statement does not hold its list whole");
        randomOrder_ = PlainRead(session_.doc.WorkingFile("record2"));
        WriteLinesForGnuSort();
        CheckTails(tails);
    }

    // The list is put back in its random order first, untimed.
    Seconds Sort()
    {
        RestoreRandomOrder();
        const Seconds spent = Timed([&] { session_.doc.SortList(TSide::Customers); });
        Require(List().Active() && List().RecordCount() == kRows, "the sorted list is not whole");
        return spent;
    }

    Seconds GnuSort()
    {
        const Seconds spent = Timed([&] { RunGnuSort(); });
        std::filesystem::remove(sortedFile_);
        return spent;
    }

    // Once, untimed: equal tails may stand in either order, so only the
    // sequences of tails are compared.
    void CheckOrderAgainstGnuSort(const char* figure)
    {
        Sort();
        RunGnuSort();
        const std::string sorted = PlainRead(sortedFile_);
        const std::vector<std::string_view> lines = Lines(sorted);
        bool same = static_cast<int>(lines.size()) == List().RecordCount();
        for (int i = 0; same && i < List().RecordCount(); ++i)
            same = TailOf(List().RecordTextAt(i)) == TailOf(lines[static_cast<size_t>(i)]);
        if (!same) std::fprintf(stderr, "%s: the program's order of tails differs from GNU sort's\n", figure);
        std::filesystem::remove(sortedFile_);
    }

private:
    TFixedFormatDataSet& List() { return session_.doc.List(TSide::Customers); }

    static std::string_view TailOf(std::string_view record)
    {
        record = record.substr(0, kRecordLength);
        return record.substr(std::min(kTailStart, record.size()));
    }

    void RestoreRandomOrder()
    {
        List().Close();
        PlainWrite(session_.doc.WorkingFile("record2"), randomOrder_);
        List().Open();
    }

    void WriteLinesForGnuSort()
    {
        std::string lines;
        lines.reserve(static_cast<size_t>(kRows) * (kRecordLength + 1));
        for (int i = 0; i < List().RecordCount(); ++i) {
            lines += List().RecordTextAt(i);
            lines += '\n';
        }
        PlainWrite(linesFile_, lines);
    }

    // The generated lists must be what the figure names: all tails distinct,
    // or about one record in ten sharing its tail.
    void CheckTails(Tails tails)
    {
        std::vector<std::string_view> all;
        for (int i = 0; i < List().RecordCount(); ++i) all.push_back(TailOf(List().RecordTextAt(i)));
        std::sort(all.begin(), all.end());
        int sharing = 0;
        for (size_t i = 0; i < all.size(); ++i)
            sharing += (i > 0 && all[i] == all[i - 1]) || (i + 1 < all.size() && all[i] == all[i + 1]);
        if (tails == Tails::Distinct)
            Require(sharing == 0, "the distinct tails are not distinct");
        else
            Require(sharing > kRows / 12 && sharing < kRows / 8, "about one record in ten should share its tail");
    }

    // LC_ALL=C sort -s -t TAB -k1.16 LINES -o SORTED, spawned without a shell.
    void RunGnuSort()
    {
        std::vector<std::string> args{"sort", "-s", "-t", "\t", "-k1.16", linesFile_, "-o", sortedFile_};
        std::vector<std::string> env{"LC_ALL=C"};
        for (char** entry = environ; *entry != nullptr; ++entry)
            if (!std::string_view(*entry).starts_with("LC_ALL=")) env.emplace_back(*entry);
        std::vector<char*> argv = Pointers(args), envp = Pointers(env);
        pid_t pid = 0;
        Require(::posix_spawnp(&pid, "sort", nullptr, nullptr, argv.data(), envp.data()) == 0, "cannot run sort");
        int status = 0;
        Require(::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0, "GNU sort failed");
    }

    static std::vector<char*> Pointers(std::vector<std::string>& texts)
    {
        std::vector<char*> pointers;
        for (std::string& text : texts) pointers.push_back(text.data());
        pointers.push_back(nullptr);
        return pointers;
    }

    TempDir data_;
    std::string statementFile_;
    std::string linesFile_;
    std::string sortedFile_;
    Session session_;
    std::string randomOrder_;  // the working file as opened
};

// ---------------------------------------------------------------------------

StatementSuite::StatementSuite()
    : full_(std::make_unique<FullStatementBench>()),
      sortDistinct_(std::make_unique<SortBench>(Tails::Distinct)),
      sortTies_(std::make_unique<SortBench>(Tails::OneInTenRepeated))
{
    sortDistinct_->CheckOrderAgainstGnuSort("sort-99999");
    sortTies_->CheckOrderAgainstGnuSort("sort-99999-ties");
}

StatementSuite::~StatementSuite() = default;

std::vector<Figure> StatementSuite::Figures()
{
    FullStatementBench& full = *full_;
    SortBench& distinct = *sortDistinct_;
    SortBench& ties = *sortTies_;
    const char* copy = "a plain copy of the same file";
    const char* gnuSort = "GNU sort -s -k1.16 of the same lines";
    return {
        {"open-statement", copy, 9, [&full] { return full.Open(); }, [&full] { return full.CopyStatement(); }},
        {"save-statement", "a plain copy of the same file, synced to the disk as Save As syncs", 9,
         [&full] { return full.SaveAs(); }, [&full] { return full.CopyStatementDurably(); }},
        {"post-into-99999", "a plain copy of the list's working file", 11, [&full] { return full.PostNewCustomer(); },
         [&full] { return full.CopyCustomerWorkingFile(); }},
        {"sort-99999", gnuSort, 7, [&distinct] { return distinct.Sort(); }, [&distinct] { return distinct.GnuSort(); }},
        {"sort-99999-ties", gnuSort, 7, [&ties] { return ties.Sort(); }, [&ties] { return ties.GnuSort(); }},
    };
}

}  // namespace epinax::bench
