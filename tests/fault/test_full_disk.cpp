// A disk that fills at any byte of Save As, of the rewrite of a list's
// working files after a post or a delete, of a sort, of an Open and of a
// header change: whatever byte it is, the earlier statement file stays whole,
// the working files hold the state before the operation or the whole state
// after it, the window shows what they hold, the user is told in Greek when
// the operation did not complete, and the same operation completes once
// there is room again.
#include <functional>
#include <set>

#include "FaultSession.h"

using namespace epinax;
using namespace epinax::test;

namespace {

struct Scenario {
    std::function<void(FaultSession&)> build;  // the statement before the operation
    std::function<bool(FaultSession&)> run;    // the operation; true when it says it completed
};

// What the operation gives with room enough, on a statement built alike.
struct Reference {
    size_t bytes = 0;  // written by the operation
    StateView after;
    std::string earlierAfter;
};

Reference Measure(const Scenario& scenario)
{
    FaultSession session;
    scenario.build(session);
    session.ui.Take();
    const StateView before = session.View();
    const std::string earlierBefore = ReadBytes(session.earlier);
    Reference reference;
    bool done = false;
    {
        WriteCounter count;
        done = scenario.run(session);
        reference.bytes = count.Bytes();
    }
    EXPECT_TRUE(done) << ::testing::PrintToString(session.ui.log);
    EXPECT_TRUE(Shown(session.ui.Take()).size() <= 1);  // Save As says it saved; nothing else speaks
    session.ExpectWindowAgreesWithFiles();
    reference.after = session.View();
    reference.earlierAfter = ReadBytes(session.earlier);
    // Else a failure that changed nothing could not be told from success.
    EXPECT_FALSE(reference.after == before && reference.earlierAfter == earlierBefore)
        << "the operation changes nothing";
    return reference;
}

// The operation once with the disk filling after `bytes`; false when it
// completed (nothing more to try on this session).
bool FailAt(const Scenario& scenario, FaultSession& session, size_t bytes, const Reference& reference)
{
    SCOPED_TRACE("the disk full after " + std::to_string(bytes) + " of " + std::to_string(reference.bytes) + " bytes");
    StateView before = session.View();
    std::string earlierBefore = ReadBytes(session.earlier);
    session.ui.Take();
    bool done = false;
    {
        WriteFailure full(bytes);
        done = scenario.run(session);
    }
    std::vector<std::string> shown = Shown(session.ui.Take());
    StateView now = session.View();
    std::string earlierNow = ReadBytes(session.earlier);

    session.ExpectWindowAgreesWithFiles();
    const bool unchanged = now == before && earlierNow == earlierBefore;
    const bool complete = now == reference.after && earlierNow == reference.earlierAfter;
    EXPECT_TRUE(unchanged || complete) << "before: " << DescribeDifference(now, before)
                                       << "\nafter: " << DescribeDifference(now, reference.after)
                                       << "\nearlier statement file: " << FirstDifference(earlierNow, earlierBefore);
    if (done) {
        EXPECT_TRUE(complete) << "completion reported over a partial state";
        for (const auto& text : shown) EXPECT_FALSE(SaysTheDiskIsFull(text)) << text;
    } else {
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), SaysTheDiskIsFull))
            << "not told in Greek that the disk is full: " << ::testing::PrintToString(shown);
        for (const auto& text : shown) EXPECT_TRUE(HasGreekLetters(text)) << text;
        EXPECT_EQ(shown.size(), 1u) << ::testing::PrintToString(shown);
    }
    return !done;
}

// Every byte at which the disk can fill, each on a statement of its own; the
// operation is tried again with room after each failure.
void EveryByte(const Scenario& scenario)
{
    Reference reference = Measure(scenario);
    ASSERT_GT(reference.bytes, 0u);
    for (size_t bytes = 0; bytes <= reference.bytes; ++bytes) {
        FaultSession session;
        scenario.build(session);
        bool failed = FailAt(scenario, session, bytes, reference);
        if (bytes == reference.bytes) {
            EXPECT_FALSE(failed) << "all the bytes it needs were not enough";
        }
        if (failed) {
            SCOPED_TRACE("again with room, after the disk filled at " + std::to_string(bytes));
            session.ui.Take();
            EXPECT_TRUE(scenario.run(session)) << ::testing::PrintToString(session.ui.log);
            EXPECT_TRUE(session.View() == reference.after) << DescribeDifference(session.View(), reference.after);
            EXPECT_EQ(ReadBytes(session.earlier), reference.earlierAfter);
            session.ExpectWindowAgreesWithFiles();
        }
        if (::testing::Test::HasFailure()) return;  // one byte's report is enough to read
    }
}

// A sample of the bytes of a long operation, the edges of its write chunks
// among them, on one statement: each failure must leave it as it was, ready
// for the next; the last, with room for every byte, completes.
void SampledBytes(const Scenario& scenario)
{
    Reference reference = Measure(scenario);
    const size_t total = reference.bytes;
    ASSERT_GT(total, 2u << 20);
    std::set<size_t> samples{0, 1, 151, 152, 153, total - 1};
    for (size_t chunk : {size_t{1} << 20, size_t{2} << 20})
        for (size_t at : {chunk - 1, chunk, chunk + 1}) samples.insert(at);
    for (size_t k = 1; k < 32; ++k) samples.insert(total * k / 32);
    FaultSession session;
    scenario.build(session);
    for (size_t bytes : samples) {
        EXPECT_TRUE(FailAt(scenario, session, bytes, reference)) << "completed with " << bytes << " bytes";
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_FALSE(FailAt(scenario, session, total, reference));
}

// ------------------------------------------------------------- statements

const FaultRow kCustomers[] = {{ValidAfm(3), "ΓΑΜΜΑ", "0", "3", "30,5"},
                               {ValidAfm(1), "ΑΛΦΑ", "0", "1", "10"},
                               {ValidAfm(2), "ΒΗΤΑ", "0", "2", "7"}};
const FaultRow kSuppliers[] = {{ValidAfm(11), "ΠΡΩΤΟΣ", "0", "4", "100"}, {ValidAfm(12), "ΔΕΥΤΕΡΟΣ", "0", "5", "0,5"}};
const FaultRow kPosted{ValidAfm(4), "ΔΕΛΤΑ", "0", "6", "12,34"};

// New, a valid header, customers out of order and suppliers: the file Save
// As makes of them, made once.
const std::string& SmallStatementBytes()
{
    static const std::string bytes = [] {
        FaultSession session;
        session.New();
        session.ValidHeader();
        for (const auto& row : kCustomers) EXPECT_TRUE(session.Add(TSide::Customers, row));
        for (const auto& row : kSuppliers) EXPECT_TRUE(session.Add(TSide::Suppliers, row));
        session.doc.SetPublicValueText(TSide::Suppliers, "7");
        EXPECT_TRUE(session.SaveAs(session.earlier));
        return ReadBytes(session.earlier);
    }();
    return bytes;
}

// The small statement saved, and open from its file, which is thus the
// earlier statement file; each session opens its own copy, since a Save As
// waits for the disk (and thousands of sessions are made).
void SmallStatement(FaultSession& session)
{
    WriteBytes(session.earlier, SmallStatementBytes());
    session.Open(session.earlier);
    ASSERT_EQ(session.doc.List(TSide::Customers).RecordCount(), 3) << ::testing::PrintToString(session.ui.log);
}

// A statement file of `customers` rows, made from the lines of the small one.
std::string LargeStatementBytes(int customers)
{
    std::vector<std::string> lines;
    const std::string& saved = SmallStatementBytes();
    for (size_t at = 0; at < saved.size();) {
        size_t end = saved.find("\r\n", at);
        lines.push_back(saved.substr(at, end - at));
        at = end + 2;
    }
    // form, header, 3 customers, their totals, 2 suppliers, their totals
    EXPECT_EQ(lines.size(), 9u);
    std::string bytes = lines[0] + "\r\n" + lines[1] + "\r\n";
    for (int i = 0; i < customers; ++i) {
        std::string line = lines[2];
        std::string number = std::to_string(i + 1);
        line.replace(1, 5, std::string(5 - number.size(), '0') + number);
        line.replace(6, 9, ValidAfm(1000 + i));
        bytes += line + "\r\n";
    }
    for (size_t i = 5; i < lines.size(); ++i) bytes += lines[i] + "\r\n";
    return bytes;
}

void LargeStatement(FaultSession& session)
{
    WriteBytes(session.earlier, LargeStatementBytes(20000));
    session.Open(session.earlier);
    ASSERT_EQ(session.doc.List(TSide::Customers).RecordCount(), 20000) << ::testing::PrintToString(session.ui.log);
}

// ------------------------------------------------------------- operations

// Save As over the earlier statement file, after a row was added.
Scenario SaveAsOver(void (*statement)(FaultSession&))
{
    return {[statement](FaultSession& session) {
                statement(session);
                ASSERT_TRUE(session.Add(TSide::Suppliers, {ValidAfm(13), "ΤΡΙΤΟΣ", "0", "1", "1"}));
            },
            [](FaultSession& session) { return session.SaveAs(session.earlier); }};
}

Scenario PostRefresh(void (*statement)(FaultSession&))
{
    return {statement, [](FaultSession& session) { return session.Add(TSide::Customers, kPosted); }};
}

Scenario EditRefresh(void (*statement)(FaultSession&))
{
    return {statement, [](FaultSession& session) { return session.EditFirst(TSide::Suppliers, "99,99"); }};
}

Scenario DeleteRefresh(void (*statement)(FaultSession&))
{
    return {statement, [](FaultSession& session) { return session.DeleteFirst(TSide::Customers); }};
}

Scenario Sort(void (*statement)(FaultSession&))
{
    return {statement, [](FaultSession& session) {
                size_t from = session.ui.log.size();
                session.ui.Tell(session.doc.SortList(TSide::Customers));
                return Shown({session.ui.log.begin() + from, session.ui.log.end()}).empty();
            }};
}

// Another statement opened over the one being edited (saved, so nothing is
// asked): its working files are written before any replaces its predecessor.
Scenario OpenAnother(void (*statement)(FaultSession&))
{
    return {[statement](FaultSession& session) {
                statement(session);
                std::string bytes = ReadBytes(session.earlier);
                // Lines of 150 bytes and CR LF: the first customer goes last.
                std::string moved = bytes.substr(2 * 152, 152);
                bytes.erase(2 * 152, 152);
                bytes.insert(4 * 152, moved);
                WriteBytes(session.other, bytes);
            },
            [](FaultSession& session) {
                size_t from = session.ui.log.size();
                session.Open(session.other);
                return Shown({session.ui.log.begin() + from, session.ui.log.end()}).empty();
            }};
}

// A pending row, posted as the user leaves its tab for the suppliers'.
Scenario PostOnLeavingTheTab(void (*statement)(FaultSession&))
{
    return {statement, [](FaultSession& session) {
                if (session.doc.ActivePage() != 0) session.ui.Tell(session.doc.ChangeTab(0));
                auto& list = session.doc.List(TSide::Customers);
                list.Append();
                list.Field(field::Afm).SetAsString(kPosted.afm);
                list.Field(field::Name).SetAsString(G(kPosted.name));
                list.Field(field::Ypovolh).SetAsString(kPosted.ypovolh);
                list.Field(field::NoTimologion).SetAsString(kPosted.invoices);
                list.Field(field::Value).SetAsString(kPosted.value);
                session.ui.Tell(session.doc.ChangeTab(1));
                if (session.doc.ActivePage() == 1) return true;
                list.Cancel();
                return false;
            }};
}

// The header, the kind and the public-sector values are kept in
// temp/generaldata as well, rewritten at every change.
Scenario HeaderChange(void (*statement)(FaultSession&), std::function<void(TStatement&)> change)
{
    return {statement, [change](FaultSession& session) {
                size_t from = session.ui.log.size();
                try {
                    change(session.doc);
                } catch (const ENotice& notKept) {
                    session.ui.Tell(notKept.Notice());
                }
                return Shown({session.ui.log.begin() + from, session.ui.log.end()}).empty();
            }};
}

}  // namespace

TEST(FullDisk, SaveAsOverTheEarlierStatementFileAtEveryByte) { EveryByte(SaveAsOver(SmallStatement)); }

TEST(FullDisk, PostRefreshAtEveryByte) { EveryByte(PostRefresh(SmallStatement)); }

TEST(FullDisk, EditedRowRefreshAtEveryByte) { EveryByte(EditRefresh(SmallStatement)); }

TEST(FullDisk, DeletedRowRefreshAtEveryByte) { EveryByte(DeleteRefresh(SmallStatement)); }

TEST(FullDisk, SortAtEveryByte) { EveryByte(Sort(SmallStatement)); }

TEST(FullDisk, PostOnLeavingTheTabAtEveryByte) { EveryByte(PostOnLeavingTheTab(SmallStatement)); }

TEST(FullDisk, OpenAtEveryByte) { EveryByte(OpenAnother(SmallStatement)); }

TEST(FullDisk, SaveAsOfALargeStatementAtSampledBytes) { SampledBytes(SaveAsOver(LargeStatement)); }

TEST(FullDisk, PostRefreshOfALargeStatementAtSampledBytes) { SampledBytes(PostRefresh(LargeStatement)); }

TEST(FullDisk, HeaderChangeAtEveryByte)
{
    EveryByte(HeaderChange(SmallStatement,
                           [](TStatement& doc) { doc.SetHeaderText(TStatementField::CompanyName, "ACME AND SONS"); }));
}

TEST(FullDisk, KindChangeAtEveryByte)
{
    EveryByte(HeaderChange(SmallStatement, [](TStatement& doc) { doc.ChooseKind(true); }));
}
