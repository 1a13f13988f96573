#include "ImportFigures.h"

#include <zip.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "BenchUi.h"
#include "StatementGenerator.h"
#include "common/Date.h"
#include "import/Import.h"
#include "statement/Statement.h"
#include "statement/UserInterface.h"

namespace epinax::bench {

namespace {

constexpr int kImportRows = 10'000;
constexpr int kListRows = 89'999;
constexpr TDate kToday{2025, 3, 14};

// A sheet of counterparties as a bookkeeping program exports it: texts as
// inline strings, numbers as numbers.
std::string SheetXml()
{
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                      R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)";
    auto text = [](const char* column, int row, const std::string& value) {
        return std::string("<c r=\"") + column + std::to_string(row) + "\" t=\"inlineStr\"><is><t>" + value +
               "</t></is></c>";
    };
    auto number = [](const char* column, int row, const std::string& value) {
        return std::string("<c r=\"") + column + std::to_string(row) + "\"><v>" + value + "</v></c>";
    };
    for (int row = 1; row <= kImportRows; ++row) {
        xml += "<row r=\"" + std::to_string(row) + "\">";
        xml += text("A", row, ValidAfm(50'000'000 + row));
        xml += text("B", row, "ΠΕΛΑΤΗΣ " + std::to_string(row));
        xml += text("C", row, "ΕΜΠΟΡΙΟ");
        xml += number("D", row, "0");
        xml += text("E", row, "ΑΘΗΝΑ");
        xml += text("F", row, "ΣΤΑΔΙΟΥ");
        xml += number("G", row, std::to_string(row % 200 + 1));
        xml += text("H", row, "10564");
        xml += number("I", row, std::to_string(row % 50 + 1));
        xml += number("J", row, std::to_string(row * 3) + ".5");
        xml += "</row>";
    }
    return xml + "</sheetData></worksheet>";
}

void AddMember(zip_t* archive, const char* name, const std::string& text)
{
    zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
    if (!source || zip_file_add(archive, name, source, ZIP_FL_OVERWRITE) < 0) {
        zip_source_free(source);
        throw std::runtime_error(std::string("cannot add ") + name);
    }
}

void WriteWorkbook(const std::string& path)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    Require(archive != nullptr, "cannot create the workbook");
    // The buffers must outlive zip_close, which writes them.
    const std::string types =
        R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
        R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
        R"(<Default Extension="xml" ContentType="application/xml"/>)"
        R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
        R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>)";
    const std::string rels =
        R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
    const std::string workbook =
        R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
        R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
        R"(<sheet name="Πελάτες" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    const std::string workbookRels =
        R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)";
    const std::string sheet = SheetXml();
    AddMember(archive, "[Content_Types].xml", types);
    AddMember(archive, "_rels/.rels", rels);
    AddMember(archive, "xl/workbook.xml", workbook);
    AddMember(archive, "xl/_rels/workbook.xml.rels", workbookRels);
    AddMember(archive, "xl/worksheets/sheet1.xml", sheet);
    Require(zip_close(archive) == 0, "cannot write the workbook");
}

}  // namespace

// A statement with 89,999 customers and an empty one, each brought back
// between repetitions, untimed, by opening its file again.
class ImportBench {
public:
    ImportBench()
        : workbook_(data_.Path() + "/counterparties.xlsx"),
          emptyFile_(data_.Path() + "/empty.txt"),
          fullFile_(data_.Path() + "/full.txt"),
          doc_(programDir_.Path() + "/", ui_, [] { return kToday; })
    {
        WriteWorkbook(workbook_);
        GenerateStatementFile(emptyFile_, {0, 0, Tails::Distinct});
        GenerateStatementFile(fullFile_, {kListRows, 0, Tails::Distinct});
        Require(ReadFirstSheet(workbook_).rows == kImportRows, "the workbook does not hold its rows");
    }

    Seconds ReadBlock()
    {
        return Timed([&] { Require(ReadFirstSheet(workbook_).rows == kImportRows, "the block was not read"); });
    }

    Seconds ImportInto(const std::string& statementFile, int rowsBefore)
    {
        doc_.MarkSaved();
        doc_.Open(statementFile);
        Require(doc_.List(TSide::Customers).RecordCount() == rowsBefore, "the statement did not open");
        ui_.messages = 0;
        bool imported = false;
        const Seconds spent = Timed([&] {
            imported =
                ImportWorkbook(doc_, TSide::Customers, workbook_, ReadFirstSheet).result == TImportResult::Imported;
        });
        Require(imported && ui_.messages == 0 && doc_.List(TSide::Customers).RecordCount() == rowsBefore + kImportRows,
                "the import did not take every row");
        return spent;
    }

    const std::string& EmptyFile() const { return emptyFile_; }
    const std::string& FullFile() const { return fullFile_; }

private:
    TempDir data_, programDir_;
    std::string workbook_, emptyFile_, fullFile_;
    BenchUi ui_;
    TStatement doc_;
};

ImportSuite::ImportSuite() : bench_(std::make_unique<ImportBench>()) {}
ImportSuite::~ImportSuite() = default;

std::vector<Figure> ImportSuite::Figures()
{
    ImportBench& bench = *bench_;
    const char* reference = "reading the same workbook's block alone";
    return {
        {"import-10000", reference, 5, [&bench] { return bench.ImportInto(bench.EmptyFile(), 0); },
         [&bench] { return bench.ReadBlock(); }},
        {"import-10000-into-89999", reference, 5, [&bench] { return bench.ImportInto(bench.FullFile(), kListRows); },
         [&bench] { return bench.ReadBlock(); }},
    };
}

}  // namespace epinax::bench
