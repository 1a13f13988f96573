// The record file: schema, reading, field conversion, writing.
#include <sys/stat.h>

#include "TestSupport.h"
#include "common/Errors.h"
#include "entry/Counterparty.h"
#include "entry/RecordLayout.h"
#include "record_store/SdfData.h"

using namespace epinax;
using namespace epinax::test;

namespace {

struct Store {
    TempDir dir;
    TFixedFormatDataSet data{"FixedFormatDataSet1"};

    explicit Store(const std::string& contents, std::vector<int> schema = CounterpartySchema())
    {
        WriteBytes(dir.File("record2"), contents);
        data.SetFileName(dir.File("record2"));
        data.SetSchema(std::move(schema));
    }
    std::string File() const { return ReadBytes(dir.File("record2")); }
};

}  // namespace

TEST(RecordFileSchema, EmptyFileStillHasTheCounterpartyFields)
{
    Store s("");
    s.data.Open();
    EXPECT_EQ(s.data.RecordCount(), 0);
    EXPECT_EQ(s.data.RecordLength(), 150);
    EXPECT_EQ(s.data.Field(field::Value).Offset(), 99);
    EXPECT_EQ(s.data.Field(field::Filler).Size(), 35);
    EXPECT_THROW(s.data.Field(kRecordFields.size()), EDatabaseError);
}

TEST(RecordFileProperties, CannotChangeWhileOpen)
{
    Store s("");
    s.data.Open();
    try {
        s.data.SetFileName("other");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "FixedFormatDataSet1: Cannot perform this operation on an open dataset");
    }
    EXPECT_THROW(s.data.SetSchema({}), EDatabaseError);
    EXPECT_EQ(s.data.FileName(), s.dir.File("record2"));
}

TEST(RecordFileProperties, MissingFile)
{
    TempDir dir;
    TFixedFormatDataSet data("FixedFormatDataSet1");
    data.SetFileName(dir.File("none"));
    try {
        data.Open();
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.File("none"));
    }
    EXPECT_FALSE(data.Active());
}

TEST(RecordFileReading, LineEndsAndNul)
{
    Store s("a\rb\nc\r\n\r\nd", {5});
    s.data.Open();
    ASSERT_EQ(s.data.RecordCount(), 5);
    std::vector<std::string> texts;
    for (int i = 0; i < 5; ++i) texts.emplace_back(s.data.RecordTextAt(i));
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "b", "c", "", "d"}));

    Store nul(std::string("one\r\ntw\0o\r\nthree\r\n", 18), {5});
    nul.data.Open();
    ASSERT_EQ(nul.data.RecordCount(), 2);
    EXPECT_EQ(nul.data.RecordTextAt(1), "tw");
}

TEST(RecordFileReading, ShortAndLongLines)
{
    std::string shortLine = CustomerLine("123456783", "ABC").substr(0, 110);
    std::string longLine = CustomerLine("123456783", "LONG") + "0123456789";
    Store s(shortLine + "\r\n" + longLine + "\r\n");
    s.data.Open();
    // FILLER starts after position 110; Value straddles it.
    EXPECT_EQ(s.data.Field(field::Filler).AsString(), "");
    EXPECT_EQ(s.data.Field(field::Value).AsString(), "");
    EXPECT_EQ(s.data.RecordTextAt(0).size(), 110u);  // not padded until posted

    s.data.Last();
    EXPECT_EQ(s.data.Field(field::Filler).AsString(), "");  // the 10 extra characters are ignored
    s.data.Edit();
    s.data.Field(field::Name).SetAsString("LONGER");
    s.data.Post();
    EXPECT_EQ(s.data.RecordTextAt(1).size(), 150u);
}

TEST(RecordFileFields, ReadingRemovesOnlyTrailingBlanks)
{
    std::string line = "AB" + std::string("  ABC  ") + std::string(5, ' ');
    Store trimmed(line + "\r\n", {2, 7, 5});
    trimmed.data.Open();
    EXPECT_EQ(trimmed.data.Field(1).AsString(), "  ABC");
    EXPECT_EQ(trimmed.data.Field(2).AsString(), "");
}

TEST(RecordFileFields, WritingPadsCutsAndFillsEarlierFields)
{
    Store s("", {3, 10, 4});
    s.data.Open();
    s.data.Append();
    TField& city = s.data.Field(1);
    city.SetAsString("\xC1\xC8\xC7\xCD\xC1");  // ΑΘΗΝΑ
    EXPECT_EQ(s.data.Field(0).AsString(), "");
    s.data.Post();
    EXPECT_EQ(s.data.RecordTextAt(0), "   \xC1\xC8\xC7\xCD\xC1     ");  // B is not reached

    s.data.Edit();

    city.SetAsString(std::string("a\r\nb\0c", 6));  // would split the line on reading
    EXPECT_EQ(city.AsString(), "a  b c");
    city.SetAsString("ABCDEFGHIJK");
    EXPECT_EQ(city.AsString(), "ABCDEFGHIJ");
    s.data.Field(2).SetAsString("xy");
    s.data.Post();
    EXPECT_EQ(s.data.RecordTextAt(0), "   ABCDEFGHIJxy  ");
}

TEST(RecordFileWriting, OnlyChangesAreWrittenAndWithCrLf)
{
    const std::string original = "one\ntwo\n";
    Store s(original, {5});
    s.data.Open();
    s.data.Close();
    EXPECT_EQ(s.File(), original);

    s.data.Open();
    s.data.Edit();
    s.data.Field(0).SetAsString("ONE");
    s.data.Post();
    s.data.Close();
    EXPECT_EQ(s.File(), "ONE  \r\ntwo\r\n");
}

TEST(RecordFileWriting, SaveAsWritesOnceAndMovesTheFile)
{
    Store s("one\r\n", {5});
    s.data.Open();
    s.data.Append();
    s.data.Field(0).SetAsString("two");
    s.data.Post();
    s.data.Edit();
    s.data.Field(0).SetAsString("pending");  // not posted: not written
    s.data.SaveAs(s.dir.File("copy"));
    EXPECT_EQ(s.data.FileName(), s.dir.File("copy"));
    EXPECT_EQ(s.data.State(), TDataSetState::dsEdit);
    EXPECT_EQ(ReadBytes(s.dir.File("copy")), "one\r\ntwo  \r\n");
    s.data.Cancel();
    s.data.Close();
    EXPECT_EQ(s.File(), "one\r\n");
    EXPECT_EQ(ReadBytes(s.dir.File("copy")), "one\r\ntwo  \r\n");
}

TEST(RecordFileWriting, EmptyListGivesEmptyFile)
{
    Store s("one\r\n", {5});
    s.data.Open();
    s.data.Delete();
    s.data.Close();
    EXPECT_EQ(s.File(), "");
}

TEST(RecordFileWriting, FailedSaveKeepsTheEarlierFileAndTheList)
{
    Store s("one\r\n", {5});
    s.data.Open();
    s.data.Append();
    s.data.Field(0).SetAsString("two");
    s.data.Post();

    WriteBytes(s.dir.File("locked"), "earlier\r\n");
    ::chmod(s.dir.File("locked").c_str(), 0444);
    try {
        s.data.SaveAs(s.dir.File("locked"));
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + s.dir.File("locked"));
    }
    EXPECT_EQ(ReadBytes(s.dir.File("locked")), "earlier\r\n");
    EXPECT_EQ(s.data.FileName(), s.dir.File("record2"));

    EXPECT_THROW(s.data.SaveAs(s.dir.File("no/such/dir/file")), EFileError);
    EXPECT_EQ(s.data.RecordCount(), 2);
    s.data.Close();
    EXPECT_EQ(s.File(), "one\r\ntwo  \r\n");
}
