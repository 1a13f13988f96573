// The cursor, the editing states and the order of events.
#include "TestSupport.h"
#include "common/Errors.h"
#include "record_store/SdfData.h"

using namespace epinax;
using namespace epinax::test;

namespace {

// A store over lines A, B, C... with one 5-character field, recording every
// event it fires.
struct Recorded {
    TempDir dir;
    std::vector<std::string> events;  // before the store, which fires events as it closes
    TFixedFormatDataSet data{"FixedFormatDataSet1"};

    explicit Recorded(const std::string& contents = "A\r\nB\r\nC\r\n")
    {
        WriteBytes(dir.File("record2"), contents);
        data.SetFileName(dir.File("record2"));
        data.SetSchema({{"Name", 5}});
        auto record = [this](const char* name) { return [this, name](TDataSet&) { events.push_back(name); }; };
        data.BeforeInsert = record("BeforeInsert");
        data.AfterInsert = record("AfterInsert");
        data.BeforeEdit = record("BeforeEdit");
        data.AfterEdit = record("AfterEdit");
        data.BeforePost = record("BeforePost");
        data.AfterPost = record("AfterPost");
        data.BeforeCancel = record("BeforeCancel");
        data.AfterCancel = record("AfterCancel");
        data.BeforeDelete = record("BeforeDelete");
        data.AfterDelete = record("AfterDelete");
        data.BeforeScroll = record("BeforeScroll");
        data.AfterScroll = record("AfterScroll");
        data.OnNewRecord = record("OnNewRecord");
        data.BeforeClose = record("BeforeClose");
        data.AfterClose = record("AfterClose");
        data.Open();
    }
    std::vector<std::string> Names()
    {
        std::vector<std::string> out;
        for (int i = 0; i < data.RecordCount(); ++i) out.push_back(data.FieldTextAt(i, data.Fields(0)));
        return out;
    }
    std::string Current() { return data.Fields(0).AsString(); }
    using Events = std::vector<std::string>;
    Events Take() { return std::exchange(events, {}); }
};

}  // namespace

TEST(CursorEvents, AppendAndPost)
{
    Recorded r;
    r.data.Append();
    EXPECT_EQ(r.Take(),
              (Recorded::Events{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
    EXPECT_EQ(r.data.State(), TDataSetState::dsInsert);
    EXPECT_FALSE(r.data.Modified());
    r.data.Fields(0).SetAsString("D");
    r.data.Post();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforePost", "AfterPost"}));
    EXPECT_EQ(r.Names(), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(r.Current(), "D");
    EXPECT_EQ(r.data.RecNo(), 4);
}

TEST(CursorEvents, InsertGoesBeforeTheCurrentRecord)
{
    Recorded r;
    r.data.Next();
    r.data.Insert();
    r.data.Fields(0).SetAsString("X");
    r.data.Post();
    EXPECT_EQ(r.Names(), (std::vector<std::string>{"A", "X", "B", "C"}));
    EXPECT_EQ(r.Current(), "X");
}

TEST(CursorEvents, EditOnAnEmptyStoreInserts)
{
    Recorded r("");
    r.data.Edit();
    EXPECT_EQ(r.Take(),
              (Recorded::Events{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
    r.data.Fields(0).SetAsString("only");
    r.data.Post();
    EXPECT_EQ(r.Names(), (std::vector<std::string>{"only"}));
}

TEST(CursorEvents, EditEventsAndSecondEditDoesNothing)
{
    Recorded r;
    r.data.Edit();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforeEdit", "AfterEdit"}));
    r.data.Edit();
    EXPECT_TRUE(r.Take().empty());
}

TEST(CursorEvents, RefusedPostKeepsThePendingRecordAndTheCursor)
{
    Recorded r;
    bool refuse = true;
    r.data.BeforePost = [&](TDataSet&) {
        r.events.push_back("BeforePost");
        if (refuse) Abort();
    };
    r.data.Edit();
    r.data.Fields(0).SetAsString("BAD");
    r.Take();
    EXPECT_THROW(r.data.Next(), EAbort);
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforePost"}));
    EXPECT_EQ(r.data.State(), TDataSetState::dsEdit);
    EXPECT_EQ(r.Current(), "BAD");
    EXPECT_EQ(r.data.RecNo(), 1);
    EXPECT_EQ(r.Names()[0], "A");

    refuse = false;
    r.data.Next();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));
    EXPECT_EQ(r.Names()[0], "BAD");
    EXPECT_EQ(r.Current(), "B");
}

TEST(CursorEvents, UntouchedNewRecordIsDroppedWithoutValidation)
{
    Recorded r;
    r.data.Append();
    r.Take();
    r.data.First();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll", "BeforeScroll",
                                          "AfterScroll"}));
    EXPECT_EQ(r.data.RecordCount(), 3);
}

TEST(CursorEvents, EditingControlTextIsWrittenBeforeSettling)
{
    Recorded r;
    r.data.Append();
    r.data.FlushEditingControl = [&] { r.data.Fields(0).SetAsString("typed"); };
    r.data.First();
    EXPECT_EQ(r.Names().back(), "typed");
}

TEST(CursorEvents, DeleteInEditStateDropsTheChanges)
{
    Recorded r;
    r.data.Next();
    r.data.Edit();
    r.data.Fields(0).SetAsString("Z");
    r.Take();
    r.data.Delete();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(r.Names(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(r.Current(), "C");
    EXPECT_EQ(r.data.State(), TDataSetState::dsBrowse);
}

TEST(CursorEvents, DeleteInInsertStateCancels)
{
    Recorded r;
    r.data.Append();
    r.Take();
    r.data.Delete();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
    EXPECT_EQ(r.data.RecordCount(), 3);
}

TEST(CursorEvents, CloseWhileEditingDropsTheEdit)
{
    Recorded r;
    r.data.Edit();
    r.data.Fields(0).SetAsString("Q");
    r.Take();
    r.data.Close();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforeClose", "AfterClose"}));
    EXPECT_EQ(ReadBytes(r.dir.File("record2")), "A\r\nB\r\nC\r\n");
}

TEST(CursorEvents, NewRecordErrorEndsTheInsert)
{
    Recorded r;
    r.data.OnNewRecord = [](TDataSet&) { throw std::runtime_error("no"); };
    EXPECT_THROW(r.data.Append(), std::runtime_error);
    EXPECT_EQ(r.data.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(r.Current(), "A");
}

TEST(CursorDelete, CurrentAfterDeletion)
{
    Recorded r;
    r.data.Last();
    r.data.Delete();
    EXPECT_EQ(r.Current(), "B");
    r.data.First();
    r.data.Delete();
    EXPECT_EQ(r.Current(), "B");
    r.data.Delete();
    EXPECT_EQ(r.data.RecordCount(), 0);
    EXPECT_TRUE(r.data.Bof());
    EXPECT_TRUE(r.data.Eof());
    try {
        r.data.Delete();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "FixedFormatDataSet1: Cannot perform this operation on an empty dataset");
    }
}

TEST(CursorMoves, BofEofAndRecordNumbers)
{
    Recorded r;
    EXPECT_TRUE(r.data.Bof());
    EXPECT_FALSE(r.data.Eof());
    r.data.Prior();
    EXPECT_TRUE(r.data.Bof());
    r.data.Next();
    EXPECT_FALSE(r.data.Bof());
    EXPECT_FALSE(r.data.Eof());
    r.data.Last();
    EXPECT_TRUE(r.data.Eof());
    EXPECT_EQ(r.data.RecNo(), 3);
    r.Take();
    r.data.Next();
    EXPECT_TRUE(r.data.Eof());
    EXPECT_TRUE(r.Take().empty());  // a failed move does not scroll

    r.data.SetRecNo(2);
    EXPECT_EQ(r.Current(), "B");
    r.data.SetRecNo(0);
    r.data.SetRecNo(4);
    EXPECT_EQ(r.Current(), "B");

    // Ids, not positions: a record added later reads as the next id.
    r.data.First();
    r.data.Insert();
    r.data.Fields(0).SetAsString("N");
    r.data.Post();
    EXPECT_EQ(r.data.RecNo(), 4);
}

TEST(CursorMoves, EmptyStore)
{
    Recorded r("");
    EXPECT_TRUE(r.data.Bof() && r.data.Eof());
    EXPECT_EQ(r.data.RecNo(), -1);
    EXPECT_EQ(r.Current(), "");
    EXPECT_FALSE(r.data.GetBookmark());
    try {
        r.data.CurrentRecordText();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "No Records");
    }
}

TEST(CursorErrors, ClosedStoreAndBrowseWrites)
{
    Recorded r;
    try {
        r.data.Fields(0).SetAsString("x");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "FixedFormatDataSet1: Dataset not in edit or insert mode");
    }
    EXPECT_THROW(r.data.Post(), EDatabaseError);
    r.data.Fields(0).ReadOnly = true;
    r.data.Edit();
    try {
        r.data.Fields(0).SetAsString("x");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "FixedFormatDataSet1: Field 'Name' cannot be modified");
    }
    r.data.Close();
    try {
        r.data.First();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "FixedFormatDataSet1: Cannot perform this operation on a closed dataset");
    }
}

TEST(CursorBookmarks, SurviveOtherChanges)
{
    Recorded r;
    r.data.Last();
    TBookmark c = *r.data.GetBookmark();
    r.data.First();
    r.data.Insert();
    r.data.Fields(0).SetAsString("new");
    r.data.Post();
    r.data.GotoBookmark(c);
    EXPECT_EQ(r.Current(), "C");
    r.data.Delete();
    try {
        r.data.GotoBookmark(c);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Bookmark not found");
    }
}

TEST(CursorFind, WholeAndPartialKeys)
{
    Recorded r("A\r\n12345\r\n123\r\n abc \r\n");
    EXPECT_TRUE(r.data.FindRecord("Name", {"123"}, false, false));
    EXPECT_EQ(r.data.RecNo(), 3);
    EXPECT_TRUE(r.data.FindRecord("Name", {" 123 "}, false, true));
    EXPECT_EQ(r.data.RecNo(), 2);
    EXPECT_FALSE(r.data.FindRecord("Name", {"1234567"}, false, true));
    EXPECT_EQ(r.data.RecNo(), 2);  // back where it was

    EXPECT_FALSE(r.data.FindRecord("Name", {"ABC"}, false, false));
    EXPECT_TRUE(r.data.FindRecord("Name", {"ABC"}, true, false));
    EXPECT_EQ(r.data.RecNo(), 4);
    EXPECT_FALSE(r.data.FindRecord(" ", {"A"}, false, false));
    EXPECT_THROW(r.data.FindRecord("Nope", {"A"}, false, false), EDatabaseError);
}

TEST(CursorFind, CaseInsensitiveFoldsOnlyLatinLetters)
{
    Recorded r("\xD0\xC1\xD0\xC1\xD3\r\n");                                          // ΠΑΠΑΣ
    EXPECT_FALSE(r.data.FindRecord("Name", {"\xF0\xE1\xF0\xE1\xF2"}, true, false));  // παπας
    EXPECT_TRUE(r.data.FindRecord("Name", {"\xD0\xC1\xD0\xC1\xD3"}, true, false));
}

TEST(CursorFind, SeveralKeyFields)
{
    TempDir dir;
    WriteBytes(dir.File("f"), "AAxx\r\nAAyy\r\nAAAA\r\n");
    TFixedFormatDataSet data("S");
    data.SetFileName(dir.File("f"));
    data.SetSchema({{"One", 2}, {"Two", 2}});
    data.Open();
    EXPECT_TRUE(data.FindRecord("One;Two", {"AA", "yy"}, false, false));
    EXPECT_EQ(data.RecNo(), 2);
    EXPECT_TRUE(data.FindRecord("One,Two", {"A"}, false, true));  // one value for every field
    EXPECT_EQ(data.RecNo(), 3);
    EXPECT_FALSE(data.FindRecord("One,Two", {"xx"}, false, false));
}

TEST(CursorFilter, RejectedRecordsAreSkipped)
{
    Recorded r("A\r\nB\r\nC\r\n");
    r.data.Close();
    r.data.Filtered = true;
    std::vector<int> asked;
    r.data.OnFilterRecord = [&](TDataSet& d, bool& accept) {
        asked.push_back(d.RecNo());
        accept = d.Fields(0).AsString() != "B";
    };
    r.data.Open();
    r.data.Next();
    EXPECT_EQ(r.Current(), "C");
    r.data.Prior();
    EXPECT_EQ(r.Current(), "A");
    EXPECT_EQ(r.data.RecordCount(), 3);                                // the filter does not count
    EXPECT_NE(std::find(asked.begin(), asked.end(), 2), asked.end());  // asked by position

    std::string shown;
    TDataSet::ApplicationErrorDisplay = [&](const std::exception& e) { shown = e.what(); };
    r.data.OnFilterRecord = [](TDataSet&, bool&) { throw std::runtime_error("filter failed"); };
    r.data.Next();
    EXPECT_EQ(r.Current(), "B");
    EXPECT_EQ(shown, "filter failed");
    TDataSet::ApplicationErrorDisplay = nullptr;
}
