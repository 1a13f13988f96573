// The index of tax numbers a list keeps while rows go into it in bulk (the
// import; the command-line build keeps one of its own): every post must be taken or refused exactly as the row-by-row
// lookup of the window takes or refuses it, with the same message.
#include <random>

#include "StatementFixture.h"

namespace epinax::test {

namespace {

// Numbers that the lookup takes as equal or not: blanks and control
// characters at either end are trimmed, nothing else.
const char* const kNumbers[] = {"1", " 1", "1 ", "\t1", "1\x01", "11", "12", " 12 ", "", " ", "123456789", "X1"};

class TwoStatements : public ::testing::Test {
protected:
    TempDir dirs[2];
    RecordingUi uis[2];
    TStatement window{dirs[0].Path() + "/", uis[0], [] { return kToday; }};
    TStatement bulk{dirs[1].Path() + "/", uis[1], [] { return kToday; }};

    void SetUp() override
    {
        for (int i = 0; i < 2; ++i) {
            uis[i].Completed((i == 0 ? window : bulk).New());
            uis[i].Take();
        }
    }

    // Posts the row into `doc`; what the user saw, empty when it was taken.
    static std::vector<std::string> Post(TStatement& doc, RecordingUi& ui, TSide side, const std::string& afm)
    {
        auto& list = doc.List(side);
        list.Append();
        list.Field(field::Afm).SetAsString(afm);
        list.Field(field::Ypovolh).SetAsString("1");  // no tax number check: any text is a number
        list.Field(field::NoTimologion).SetAsString("1");
        list.Field(field::Value).SetAsString("10");
        try {
            list.Post();
        } catch (const ENotice& refused) {
            ui.Tell(refused.Notice());
            list.Cancel();
        }
        return ui.Take();
    }
};

TEST_F(TwoStatements, TheBulkIndexTakesAndRefusesAsTheLookupDoes)
{
    std::mt19937 random(1253);
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        bulk.BeginBulkEntry(side);
        for (int i = 0; i < 200; ++i) {
            std::string afm = kNumbers[random() % std::size(kNumbers)];
            EXPECT_EQ(Post(bulk, uis[1], side, afm), Post(window, uis[0], side, afm)) << i << " «" << afm << "»";
        }
        bulk.EndBulkEntry(side);
        EXPECT_EQ(bulk.List(side).RecordCount(), window.List(side).RecordCount());
        EXPECT_GT(window.List(side).RecordCount(), 3);  // some were taken, the repeats refused
    }
}

}  // namespace

}  // namespace epinax::test
