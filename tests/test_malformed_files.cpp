// Files that no program of ours wrote must never crash the store.
#include "TestSupport.h"
#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

using namespace epinax;
using namespace epinax::test;

namespace {

// Opens the bytes, reads every field, edits and posts, saves and reopens.
void Exercise(const std::string& bytes)
{
    TempDir dir;
    WriteBytes(dir.File("f"), bytes);
    TFixedFormatDataSet data("S");
    data.SetFileName(dir.File("f"));
    const std::vector<int> schema = CounterpartySchema();
    data.SetSchema(schema);
    data.Open();
    size_t total = 0;
    for (int row = 0; row < data.RecordCount(); ++row)
        for (size_t i = 0; i < schema.size(); ++i) total += data.FieldTextAt(row, data.Field(i)).size();
    data.First();
    data.Edit();
    data.Field(schema.size() - 1).SetAsString("\xFF\x80 end");
    data.Post();
    data.SaveAs(dir.File("g"));
    int count = data.RecordCount();
    data.Close();
    data.Open();
    EXPECT_EQ(data.RecordCount(), count);
    (void)total;
}

}  // namespace

TEST(MalformedRecordFiles, NeverCrash)
{
    const std::vector<std::string> inputs = {
        std::string("\0\0\0", 3), std::string("abc\0def\r\nghi", 12),
        std::string(100000, 'x'), std::string(100000, 'x') + "\r\n" + std::string(5, '\xE1'),
        std::string(300, '\xFF'), "a\rb\rc\r",
        "\r\r\r\n\n\n",           "no line end at all",
    };
    for (const auto& bytes : inputs) {
        SCOPED_TRACE(bytes.substr(0, 20));
        EXPECT_NO_THROW(Exercise(bytes));
    }
}
