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
    std::vector<std::string> events;
    TFixedFormatDataSet data{"FixedFormatDataSet1"};

    explicit Recorded(const std::string& contents = "A\r\nB\r\nC\r\n")
    {
        WriteBytes(dir.File("record2"), contents);
        data.SetFileName(dir.File("record2"));
        data.SetSchema({5});
        auto record = [this](const char* name) {
            return [this, name](TFixedFormatDataSet&) { events.push_back(name); };
        };
        data.AfterEdit = record("AfterEdit");
        data.BeforePost = record("BeforePost");
        data.AfterPost = record("AfterPost");
        data.BeforeDelete = record("BeforeDelete");
        data.AfterDelete = record("AfterDelete");
        data.OnNewRecord = record("OnNewRecord");
        data.Open();
    }
    TField& Field() { return data.Field(0); }
    std::vector<std::string> Names()
    {
        std::vector<std::string> out;
        for (int i = 0; i < data.RecordCount(); ++i) out.push_back(data.FieldTextAt(i, Field()));
        return out;
    }
    std::string Current() { return Field().AsString(); }
    // As a grid moves to the row the user clicks.
    void GoTo(int index) { data.GotoBookmark(data.RecordIdAt(index)); }
    using Events = std::vector<std::string>;
    Events Take() { return std::exchange(events, {}); }
};

}  // namespace

TEST(CursorEvents, AppendAndPost)
{
    Recorded r;
    r.data.Append();
    EXPECT_EQ(r.Take(), (Recorded::Events{"OnNewRecord"}));
    EXPECT_EQ(r.data.State(), TDataSetState::dsInsert);
    EXPECT_FALSE(r.data.Modified());
    r.Field().SetAsString("D");
    r.data.Post();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforePost", "AfterPost"}));
    EXPECT_EQ(r.Names(), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(r.Current(), "D");
    EXPECT_EQ(r.data.CurrentIndex(), 3);
}

TEST(CursorEvents, InsertGoesBeforeTheCurrentRecord)
{
    Recorded r;
    r.GoTo(1);
    r.data.Insert();
    r.Field().SetAsString("X");
    r.data.Post();
    EXPECT_EQ(r.Names(), (std::vector<std::string>{"A", "X", "B", "C"}));
    EXPECT_EQ(r.Current(), "X");
}

TEST(CursorEvents, EditOnAnEmptyStoreInserts)
{
    Recorded r("");
    r.data.Edit();
    EXPECT_EQ(r.Take(), (Recorded::Events{"OnNewRecord"}));
    r.Field().SetAsString("only");
    r.data.Post();
    EXPECT_EQ(r.Names(), (std::vector<std::string>{"only"}));
}

TEST(CursorEvents, EditEventsAndSecondEditDoesNothing)
{
    Recorded r;
    r.data.Edit();
    EXPECT_EQ(r.Take(), (Recorded::Events{"AfterEdit"}));
    r.data.Edit();
    EXPECT_TRUE(r.Take().empty());
}

TEST(CursorEvents, RefusedPostKeepsThePendingRecordAndTheCursor)
{
    Recorded r;
    bool refuse = true;
    r.data.BeforePost = [&](TFixedFormatDataSet&) {
        r.events.push_back("BeforePost");
        if (refuse) throw EAbort();
    };
    r.data.Edit();
    r.Field().SetAsString("BAD");
    r.Take();
    EXPECT_THROW(r.GoTo(1), EAbort);
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforePost"}));
    EXPECT_EQ(r.data.State(), TDataSetState::dsEdit);
    EXPECT_EQ(r.Current(), "BAD");
    EXPECT_EQ(r.data.CurrentIndex(), 0);
    EXPECT_EQ(r.Names()[0], "A");

    refuse = false;
    r.GoTo(1);
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforePost", "AfterPost"}));
    EXPECT_EQ(r.Names()[0], "BAD");
    EXPECT_EQ(r.Current(), "B");
}

TEST(CursorEvents, UntouchedNewRecordIsDroppedWithoutValidation)
{
    Recorded r;
    r.data.Append();
    r.Take();
    r.data.First();
    EXPECT_TRUE(r.Take().empty());
    EXPECT_EQ(r.data.RecordCount(), 3);
}

TEST(CursorEvents, EditingControlTextIsWrittenBeforeSettling)
{
    Recorded r;
    r.data.Append();
    r.data.FlushEditingControl = [&] { r.Field().SetAsString("typed"); };
    r.data.First();
    EXPECT_EQ(r.Names().back(), "typed");
}

TEST(CursorEvents, DeleteInEditStateDropsTheChanges)
{
    Recorded r;
    r.GoTo(1);
    r.data.Edit();
    r.Field().SetAsString("Z");
    r.Take();
    r.data.Delete();
    EXPECT_EQ(r.Take(), (Recorded::Events{"BeforeDelete", "AfterDelete"}));
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
    EXPECT_TRUE(r.Take().empty());
    EXPECT_EQ(r.data.RecordCount(), 3);
}

TEST(CursorEvents, CloseWhileEditingDropsTheEdit)
{
    Recorded r;
    r.data.Edit();
    r.Field().SetAsString("Q");
    r.Take();
    r.data.Close();
    EXPECT_TRUE(r.Take().empty());
    EXPECT_EQ(ReadBytes(r.dir.File("record2")), "A\r\nB\r\nC\r\n");
}

TEST(CursorEvents, NewRecordErrorEndsTheInsert)
{
    Recorded r;
    r.data.OnNewRecord = [](TFixedFormatDataSet&) { throw std::runtime_error("no"); };
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
    try {
        r.data.Delete();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "FixedFormatDataSet1: Cannot perform this operation on an empty dataset");
    }
}

TEST(CursorMoves, FirstLastAndRecordIds)
{
    Recorded r;
    r.data.Last();
    EXPECT_EQ(r.Current(), "C");
    EXPECT_EQ(r.data.CurrentIndex(), 2);

    // Ids, not positions: a record added later takes the next id.
    r.data.First();
    r.data.Insert();
    r.Field().SetAsString("N");
    r.data.Post();
    EXPECT_EQ(r.data.CurrentIndex(), 0);
    EXPECT_EQ(r.data.GetBookmark(), 4);
}

TEST(CursorMoves, EmptyStore)
{
    Recorded r("");
    EXPECT_EQ(r.data.CurrentIndex(), -1);
    EXPECT_EQ(r.Current(), "");
    EXPECT_FALSE(r.data.GetBookmark());
}

TEST(CursorErrors, ClosedStoreAndBrowseWrites)
{
    Recorded r;
    try {
        r.Field().SetAsString("x");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "FixedFormatDataSet1: Dataset not in edit or insert mode");
    }
    EXPECT_THROW(r.data.Post(), EDatabaseError);
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
    r.Field().SetAsString("new");
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
    EXPECT_TRUE(r.data.FindRecord(r.Field(), "123", false, false));
    EXPECT_EQ(r.data.CurrentIndex(), 2);
    EXPECT_TRUE(r.data.FindRecord(r.Field(), " 123 ", false, true));
    EXPECT_EQ(r.data.CurrentIndex(), 1);
    EXPECT_FALSE(r.data.FindRecord(r.Field(), "1234567", false, true));
    EXPECT_EQ(r.data.CurrentIndex(), 1);  // back where it was

    EXPECT_FALSE(r.data.FindRecord(r.Field(), "ABC", false, false));
    EXPECT_TRUE(r.data.FindRecord(r.Field(), "ABC", true, false));
    EXPECT_EQ(r.data.CurrentIndex(), 3);
}

TEST(CursorFind, CaseInsensitiveFoldsOnlyLatinLetters)
{
    Recorded r("\xD0\xC1\xD0\xC1\xD3\r\n");                                           // ΠΑΠΑΣ
    EXPECT_FALSE(r.data.FindRecord(r.Field(), "\xF0\xE1\xF0\xE1\xF2", true, false));  // παπας
    EXPECT_TRUE(r.data.FindRecord(r.Field(), "\xD0\xC1\xD0\xC1\xD3", true, false));
}
