// The check of the statement being edited: every problem at once, each where
// the user corrects it.
#include <gtest/gtest.h>

#include "StatementFixture.h"
#include "statement/StatementCheck.h"

using namespace epinax;
using namespace epinax::test;

namespace {

struct Seen {
    std::string where;  // "AFM", or "customers 2/0" (row/column)
    std::string field;
    std::string message;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out) { *out << seen.where << " [" << seen.field << "] " << seen.message; }

std::vector<Seen> Described(const TStatementCheck& check)
{
    std::vector<Seen> seen;
    for (const TStatementProblem& problem : check.problems) {
        std::string where = problem.control
                                ? std::string(FieldHandle(*problem.control))
                                : std::string(problem.side == TSide::Customers ? "customers " : "suppliers ") +
                                      std::to_string(problem.row) + "/" + std::to_string(problem.column);
        seen.push_back({where, problem.field, problem.message});
    }
    return seen;
}

class StatementCheckTest : public StatementTest {
protected:
    // Rows that could never be posted, brought in as Open brings a file in:
    // the saved file's lines changed, then opened.
    void OpenWithFaultyRows()
    {
        New();
        ValidHeader();
        ASSERT_TRUE(Add(TSide::Customers, {"000000050", "A", "0", "10", "5"}));
        ASSERT_TRUE(Add(TSide::Customers, {"123456780", "B", "1", "12", "1"}));
        ASSERT_TRUE(Add(TSide::Customers, {"000000104", "C", "0", "2", "0"}));
        ASSERT_TRUE(Add(TSide::Suppliers, {"000000050", "D", "0", "2", "5"}));
        std::string path = Save("s");
        std::string edited;
        for (std::string line : FileLines(ReadBytes(path))) {
            if (line[0] == '2' && line.substr(6, 9) == "123456780") line[57] = '0';  // obliged, a bad number
            if (line[0] == '2' && line.substr(6, 9) == "000000104") line.replace(6, 9, "000000050");
            if (line[0] == '4') line.replace(6, 9, "123456783");  // the business's own
            edited += line + "\r\n";
        }
        WriteBytes(path, edited);
        ui.Completed(doc.Open(path));
        ASSERT_TRUE(doc.StatementLoaded());
        ui.Take();
    }
};

}  // namespace

TEST_F(StatementCheckTest, ASoundStatementHasNoProblem)
{
    New();
    ValidHeader();
    ASSERT_TRUE(Add(TSide::Customers, {"000000050", "A"}));
    TStatementCheck check = CheckStatementBeingEdited(doc, 1000);
    EXPECT_TRUE(check.problems.empty()) << Described(check).front().message;
    EXPECT_EQ(check.notShown, 0u);
}

TEST_F(StatementCheckTest, ListsEveryProblemOfHeaderAndRowsWhereTheUserCorrectsIt)
{
    OpenWithFaultyRows();
    doc.SetHeaderText(TStatementField::Year, "20");
    doc.SetHeaderText(TStatementField::Installation, "");
    std::vector<Seen> expected = {
        {"YearOfData", "Έτος",
         "Η αποθήκευση σε αρχείο απέτυχε: Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία και επαναλάβετε "
         "την αποθήκευση."},
        {"Egatastash", "Είδος Εγκατάστασης",
         "Η αποθήκευση σε αρχείο απέτυχε: Συμπληρώστε το Είδος εγκατάστασης και επαναλάβετε την αποθήκευση."},
        {"customers 1/0", "ΑΦΜ (*)", "Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή πελάτη"},
        {"customers 2/0", "ΑΦΜ (*)", "Ο ΑΦΜ: 000000050 έχει εισαχθεί 2 φορές στους πελάτες"},
        {"suppliers 0/0", "ΑΦΜ (*) ", "O ΑΦΜ που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου."},
    };
    EXPECT_EQ(Described(CheckStatementBeingEdited(doc, 1000)), expected);

    // Corrected and run again, the list is what is left.
    doc.SetHeaderText(TStatementField::Year, "2024");
    doc.SetHeaderText(TStatementField::Installation, "E");
    EXPECT_EQ(Described(CheckStatementBeingEdited(doc, 1000)), std::vector<Seen>(expected.begin() + 2, expected.end()));
}

TEST_F(StatementCheckTest, KeepsTheFirstProblemsAndCountsTheRest)
{
    OpenWithFaultyRows();
    TStatementCheck check = CheckStatementBeingEdited(doc, 2);
    ASSERT_EQ(check.problems.size(), 2u);
    EXPECT_EQ(check.problems[0].row, 1);
    EXPECT_EQ(check.problems[1].row, 2);
    EXPECT_EQ(check.notShown, 1u);
}

TEST(RowRuleProblem, NamesTheColumnToCorrect)
{
    auto column = [](TSide side, TRowValues row) { return RowRuleProblem(side, row)->column; };
    EXPECT_EQ(column(TSide::Customers, {"", "0", "1", "1"}), kAfmColumn);
    EXPECT_EQ(column(TSide::Customers, {"000000050", "", "1", "1"}), kYpovolhColumn);
    EXPECT_EQ(column(TSide::Customers, {"000000050", "0", "", "1"}), kInvoicesColumn);
    EXPECT_EQ(column(TSide::Customers, {"000000050", "0", "1", ""}), kValueColumn);
    EXPECT_EQ(column(TSide::Suppliers, {"000000051", "0", "1", "1"}), kAfmColumn);
    EXPECT_EQ(column(TSide::Suppliers, {"000000050", "0", "1", "0"}), kInvoicesColumn);
    EXPECT_EQ(column(TSide::Customers, {"000000050", "0", "0", "5"}), kInvoicesColumn);
    // The same verdicts as the post gives.
    TRowValues bad{"000000050", "0", "1", "0"};
    EXPECT_EQ(RowRuleProblem(TSide::Customers, bad)->message, *RowRuleRefusal(TSide::Customers, bad));
}
