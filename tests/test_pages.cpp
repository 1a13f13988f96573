// The printed statement as pages: the PDF read back as a reader sees it.
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <filesystem>

#include "TestSupport.h"
#include "common/Greek.h"
#include "entry/RecordLayout.h"
#include "pages/ReportPages.h"
#include "record_store/SdfData.h"

using namespace epinax;
using namespace epinax::test;

namespace {

// A customer list of `rows` rows in a record store over its own file; every
// tenth name fills its field with the widest letters.
class List {
public:
    explicit List(int rows) : store_("FixedFormatDataSet1")
    {
        std::string text;
        for (int row = 1; row <= rows; ++row) text += Record(row) + "\r\n";
        WriteBytes(dir_.File("record2"), text);
        store_.SetFileName(dir_.File("record2"));
        store_.SetSchema(CounterpartySchema());
        store_.Open();
    }
    TFixedFormatDataSet& Store() { return store_; }

private:
    static std::string Field(std::string text, size_t index)
    {
        text.resize(FieldWidth(index), ' ');
        return text;
    }
    static std::string Record(int row)
    {
        const std::string number = std::to_string(100000000 + row);
        const std::string name = row % 10 == 0 ? std::string(27, G("Ω")[0]) : G("ΠΕΛΑΤΗΣ ") + number;
        return Field("2", field::RecordType) + Field("", field::AA) + Field(number, field::Afm) +
               Field(name, field::Name) + Field("", field::Prof) + Field("1", field::Ypovolh) +
               Field(G("ΑΘΗΝΑ"), field::City) + Field(G("ΣΤΑΔΙΟΥ"), field::Street) + Field("12", field::StreetNo) +
               Field("10564", field::TK) + Field("3", field::NoTimologion) + Field("1500", field::Value) +
               Field("", field::Filler);
    }

    TempDir dir_;
    TFixedFormatDataSet store_;
};

TReportInput Input(TFixedFormatDataSet& list)
{
    TReportInput input;
    input.header.year = "2024";
    input.header.afm = "123456783";
    input.header.companyName = G("ΕΤΑΙΡΕΙΑ ΔΟΚΙΜΩΝ");
    input.list = &list;
    input.publicValue = "1500";
    input.invoiceTotal = "999";
    input.valueTotal = "2500,5";
    return input;
}

QString OutputOf(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

// Every row exactly once and in order, the column heads and the page number
// on every page, the closing rows on the last, the title in the metadata.
TEST(Pages, PdfHoldsEveryRowOnceInOrderWithHeadsAndPageNumbers)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    constexpr int kRows = 250;
    List list(kRows);
    TempDir dir;
    const std::string pdf = dir.File("Pelates.pdf");
    TReportPages pages(Input(list.Store()));
    ASSERT_TRUE(WritePdf(pages, pdf));

    const QString text = OutputOf(QStringLiteral("pdftotext"),
                                  {QStringLiteral("-layout"), QString::fromStdString(pdf), QStringLiteral("-")});
    QStringList sheets = text.split(QLatin1Char('\f'));
    if (sheets.last().trimmed().isEmpty()) sheets.removeLast();
    ASSERT_EQ(sheets.size(), pages.PageCount());
    ASSERT_GE(pages.PageCount(), 4);

    static const QRegularExpression row(
        QStringLiteral("^\\s*(\\d+)\\s+(1\\d{8})\\s+(\\S.*\\S)\\s+1\\s+ΑΘΗΝΑ, "
                       "ΣΤΑΔΙΟΥ 12\\s+3\\s+1500\\s*$"));
    int expected = 1;
    for (int page = 0; page < sheets.size(); ++page) {
        const QString& sheet = sheets[page];
        EXPECT_TRUE(sheet.contains(QStringLiteral(u"ΥΠΟΥΡΓΕΙΟ ΣΤΑΘΜΙΣ - ΚΕΦΥΣ"))) << page;
        EXPECT_TRUE(sheet.contains(QStringLiteral(u"Καθαρή αξία"))) << page;
        EXPECT_TRUE(sheet.contains(QStringLiteral(u"Σελίδα %1 από %2").arg(page + 1).arg(sheets.size()))) << page;
        for (const QString& line : sheet.split(QLatin1Char('\n'))) {
            const auto match = row.match(line);
            if (!match.hasMatch()) continue;
            EXPECT_EQ(match.captured(1).toInt(), expected) << line.toStdString();
            EXPECT_EQ(match.captured(2).toInt(), 100000000 + expected);
            EXPECT_EQ(match.captured(3), expected % 10 == 0 ? QString(27, QChar(u'Ω'))
                                                            : QStringLiteral(u"ΠΕΛΑΤΗΣ %1").arg(100000000 + expected));
            ++expected;
        }
    }
    EXPECT_EQ(expected, kRows + 1);
    EXPECT_TRUE(sheets.first().contains(QStringLiteral(u"ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ ΠΕΛΑΤΩΝ")));
    static const QRegularExpression publicRow(QStringLiteral(u"99999011\\s+Πωλήσεις στο Δημόσιο κ.λ.π.\\s+1500\\n"));
    static const QRegularExpression totalRow(QStringLiteral(u"99999999\\s+ΣΥΝΟΛΟ\\s+999\\s+4000,5\\n"));
    EXPECT_TRUE(sheets.last().contains(publicRow)) << sheets.last().toStdString();
    EXPECT_TRUE(sheets.last().contains(totalRow));

    const QString info = OutputOf(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf)});
    EXPECT_TRUE(info.contains(QStringLiteral(u"ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ ΠΕΛΑΤΩΝ 2024 ΑΦΜ 123456783")))
        << info.toStdString();
}

// Stopped half-way, a PDF leaves no file of its own and the earlier one whole.
TEST(Pages, StoppedPdfLeavesTheEarlierFileWhole)
{
    List list(400);
    TempDir dir;
    const std::string pdf = dir.File("Pelates.pdf");
    WriteBytes(pdf, "earlier");
    TReportPages pages(Input(list.Store()));
    EXPECT_FALSE(WritePdf(pages, pdf, [](int page, int) { return page < 3; }));
    EXPECT_EQ(ReadBytes(pdf), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
