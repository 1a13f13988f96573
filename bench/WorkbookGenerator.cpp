#include "WorkbookGenerator.h"

#include <zip.h>

#include <stdexcept>

#include "BenchSupport.h"
#include "StatementGenerator.h"

namespace epinax::bench {

namespace {

// A sheet of counterparties as a bookkeeping program exports it: texts as
// inline strings, numbers as numbers.
std::string SheetXml(int rows)
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
    for (int row = 1; row <= rows; ++row) {
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

}  // namespace

void WriteCounterpartyWorkbook(const std::string& path, int rows)
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
    const std::string sheet = SheetXml(rows);
    AddMember(archive, "[Content_Types].xml", types);
    AddMember(archive, "_rels/.rels", rels);
    AddMember(archive, "xl/workbook.xml", workbook);
    AddMember(archive, "xl/_rels/workbook.xml.rels", workbookRels);
    AddMember(archive, "xl/worksheets/sheet1.xml", sheet);
    Require(zip_close(archive) == 0, "cannot write the workbook");
}

}  // namespace epinax::bench
