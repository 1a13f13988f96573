#include "outputs/ListWorkbook.h"

#include <libxml/xmlwriter.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <cerrno>
#include <charconv>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "entry/RecordLayout.h"

namespace epinax {

namespace {

bool EndsWithIgnoringCase(const std::string& text, std::string_view tail)
{
    return text.size() >= tail.size() && cp1253::SameTextIgnoringCase(text.substr(text.size() - tail.size()), tail);
}

// ------------------------------------------------------------- the cells

// One cell of a row: nothing, a text (UTF-8), or a number given both as the
// formats' decimal text ("1234.5") and as a double.
struct TOutCell {
    enum class Kind { Empty, Text, Whole, Amount };
    Kind kind = Kind::Empty;
    std::string text;   // Text: UTF-8; Whole, Amount: "1234.5", as XML writes numbers
    std::string shown;  // Amount: "1234,50" (Windows-1253 = ASCII), as the .csv writes it
    double number = 0;  // Whole, Amount
};
using TOutRow = std::array<TOutCell, kWorkbookColumns>;

// Every byte of Windows-1253 as UTF-8, looked up rather than decoded.
class TUtf8Table {
public:
    TUtf8Table()
    {
        for (int byte = 0; byte < 256; ++byte) bytes_[byte] = cp1253::ToUtf8(std::string(1, static_cast<char>(byte)));
    }
    void Assign(std::string& out, std::string_view text) const
    {
        out.clear();
        for (unsigned char c : text) {
            if (c < 0x80)
                out.push_back(static_cast<char>(c));
            else
                out.append(bytes_[c]);
        }
    }

private:
    std::array<std::string, 256> bytes_;
};

const TUtf8Table& Utf8Table()
{
    static const TUtf8Table table;
    return table;
}

double ParseDouble(const std::string& text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The fields of a row, found once for the list, in the heading's order.
class TRowReader {
public:
    explicit TRowReader(TFixedFormatDataSet& list)
        : list_(list), recordLength_(static_cast<size_t>(list.RecordLength()))
    {
        static_assert(kTypedFields.size() == kWorkbookColumns);
        for (size_t i = 0; i < kTypedFields.size(); ++i) {
            const TField& field = list.Field(kTypedFields[i]);
            places_[i] = {static_cast<size_t>(field.Offset()), static_cast<size_t>(field.Size())};
        }
    }

    int Count() const { return list_.RecordCount(); }

    void Read(int index, TOutRow& row) const
    {
        const std::string_view record = list_.RecordTextAt(index).substr(0, recordLength_);
        for (size_t i = 0; i < places_.size(); ++i) {
            const auto [offset, size] = places_[i];
            const std::string_view text =
                offset < record.size() ? TrimTrailingBlanks(record.substr(offset, size)) : std::string_view();
            Fill(i, text, row[i]);
        }
    }

private:
    enum : size_t { kYpovolh = 3, kInvoices = 8, kValue = 9 };

    static void Fill(size_t column, std::string_view text, TOutCell& cell)
    {
        cell.kind = TOutCell::Kind::Empty;
        if (text.empty()) return;
        if (column == kYpovolh || column == kInvoices) {
            if (const auto whole = ParseInteger(text)) {
                cell.kind = TOutCell::Kind::Whole;
                cell.text = std::to_string(*whole);
                cell.number = *whole;
                return;
            }
        } else if (column == kValue) {
            if (const auto amount = Decimal::Parse(text)) {
                cell.kind = TOutCell::Kind::Amount;
                cell.shown = amount->ToFixed2();
                cell.text = amount->ToGeneral();
                for (char& c : cell.text)
                    if (c == ',') c = '.';
                cell.number = ParseDouble(cell.text);
                return;
            }
        }
        cell.kind = TOutCell::Kind::Text;
        Utf8Table().Assign(cell.text, text);
    }

    TFixedFormatDataSet& list_;
    size_t recordLength_;
    std::array<std::pair<size_t, size_t>, kWorkbookColumns> places_;
};

// Counts the rows of all the lists and asks the caller on.
class TRowsDone {
public:
    TRowsDone(const std::vector<TWorkbookList>& lists, const TExportProgress& progress) : progress_(progress)
    {
        for (const TWorkbookList& list : lists) total_ += list.list->RecordCount();
    }
    bool Start() const { return !progress_ || progress_(0, total_); }
    // After each row.
    bool Next()
    {
        ++done_;
        if (!progress_ || (done_ % 256 != 0 && done_ != total_)) return true;
        return progress_(done_, total_);
    }

private:
    const TExportProgress& progress_;
    int total_ = 0;
    int done_ = 0;
};

// ------------------------------------------------------------- errors

[[noreturn]] void ExportFailed(const std::string& path, int error)
{
    throw EFileError(
        "Δεν ήταν δυνατό να γραφτεί το λογιστικό φύλλο " + DisplayPath(path) + " (" + SystemReason(error) + ")", error);
}

// The bytes of a finished workbook into `path`, replaced whole and synced as
// a file the user asked for.
void PutInPlace(const std::string& path, std::string_view bytes)
{
    try {
        FileReplacer file(path, TDurability::UserFile);
        file.Write(bytes);
        file.Commit();
    } catch (const EFileError& error) {
        ExportFailed(path, error.SystemError());
    }
}

// ------------------------------------------------------------- .csv

void PutCsvField(std::string& out, const std::string& text)
{
    if (text.find_first_of(";\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

bool WriteCsv(const TWorkbookList& list, const std::string& path, TRowsDone& progress)
{
    std::string out = "\xEF\xBB\xBF";
    for (int i = 0; i < kWorkbookColumns; ++i) {
        if (i > 0) out += ';';
        PutCsvField(out, WorkbookHeadings()[static_cast<size_t>(i)]);
    }
    out += "\r\n";
    const TRowReader reader(*list.list);
    TOutRow row;
    for (int r = 0; r < reader.Count(); ++r) {
        reader.Read(r, row);
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += ';';
            if (row[i].kind == TOutCell::Kind::Amount)
                out += row[i].shown;  // the decimal comma of a Greek spreadsheet
            else if (row[i].kind != TOutCell::Kind::Empty)
                PutCsvField(out, row[i].text);
        }
        out += "\r\n";
        if (!progress.Next()) return false;
    }
    PutInPlace(path, out);
    return true;
}

// ------------------------------------------------------------- .xlsx

// An export given up frees its workbook without writing it.
struct TWorkbookFree {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};

// The workbook is written by name into the new file beside `path`, with its
// working files in the same folder, so no temporary folder is needed.
bool WriteXlsx(const std::vector<TWorkbookList>& lists, const std::string& path, TRowsDone& progress)
{
    std::optional<FileReplacer> file;
    try {
        file.emplace(path, TDurability::UserFile);
    } catch (const EFileError& error) {
        ExportFailed(path, error.SystemError());
    }
    const size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows written as they come, strings inline: linear and small
    options.tmpdir = folder.data();
    std::unique_ptr<lxw_workbook, TWorkbookFree> workbook(workbook_new_opt(file->NewFilePath().c_str(), &options));
    if (!workbook) ExportFailed(path, ENOMEM);
    lxw_format* heading = workbook_add_format(workbook.get());
    format_set_bold(heading);
    lxw_format* amount = workbook_add_format(workbook.get());
    format_set_num_format(amount, "#,##0.00");
    lxw_format* text = workbook_add_format(workbook.get());
    format_set_num_format(text, "@");
    for (const TWorkbookList& list : lists) {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), WorkbookSheetName(list.side).c_str());
        if (!sheet) ExportFailed(path, EINVAL);
        worksheet_set_column(sheet, 0, 0, 11, text);
        worksheet_set_column(sheet, 1, 2, 30, nullptr);
        worksheet_set_column(sheet, 8, 9, 16, nullptr);
        for (int i = 0; i < kWorkbookColumns; ++i)
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(i),
                                   WorkbookHeadings()[static_cast<size_t>(i)].c_str(), heading);
        const TRowReader reader(*list.list);
        TOutRow row;
        for (int r = 0; r < reader.Count(); ++r) {
            reader.Read(r, row);
            const auto at = static_cast<lxw_row_t>(r + 1);
            for (size_t i = 0; i < row.size(); ++i) {
                const TOutCell& cell = row[i];
                const auto column = static_cast<lxw_col_t>(i);
                lxw_error written = LXW_NO_ERROR;
                switch (cell.kind) {
                case TOutCell::Kind::Empty: break;
                case TOutCell::Kind::Text:
                    written = worksheet_write_string(sheet, at, column, cell.text.c_str(), i == 0 ? text : nullptr);
                    break;
                case TOutCell::Kind::Whole:
                    written = worksheet_write_number(sheet, at, column, cell.number, nullptr);
                    break;
                case TOutCell::Kind::Amount:
                    written = worksheet_write_number(sheet, at, column, cell.number, amount);
                    break;
                }
                if (written != LXW_NO_ERROR) ExportFailed(path, EINVAL);
            }
            if (!progress.Next()) return false;
        }
    }
    errno = 0;
    const lxw_error closed = workbook_close(workbook.release());
    if (closed != LXW_NO_ERROR) ExportFailed(path, errno != 0 ? errno : EIO);
    try {
        file->Commit();
    } catch (const EFileError& error) {
        ExportFailed(path, error.SystemError());
    }
    return true;
}

// ------------------------------------------------------------- .ods

constexpr const char* kOdsMimeType = "application/vnd.oasis.opendocument.spreadsheet";

// The XML writer's bytes, gathered in a string.
int AppendToString(void* context, const char* buffer, int length)
{
    static_cast<std::string*>(context)->append(buffer, static_cast<size_t>(length));
    return length;
}

class TXml {
public:
    explicit TXml(std::string& out)
    {
        xmlOutputBufferPtr buffer = xmlOutputBufferCreateIO(AppendToString, nullptr, &out, nullptr);
        writer_ = buffer ? xmlNewTextWriter(buffer) : nullptr;
        if (!writer_) throw std::bad_alloc();
        xmlTextWriterStartDocument(writer_, nullptr, "UTF-8", nullptr);
    }
    ~TXml() { xmlFreeTextWriter(writer_); }
    TXml(const TXml&) = delete;
    TXml& operator=(const TXml&) = delete;

    TXml& Open(const char* name)
    {
        xmlTextWriterStartElement(writer_, Name(name));
        return *this;
    }
    TXml& Attribute(const char* name, const char* value)
    {
        xmlTextWriterWriteAttribute(writer_, Name(name), Name(value));
        return *this;
    }
    TXml& Text(const std::string& text)
    {
        xmlTextWriterWriteString(writer_, Name(text.c_str()));
        return *this;
    }
    TXml& Close()
    {
        xmlTextWriterEndElement(writer_);
        return *this;
    }
    void End()
    {
        xmlTextWriterEndDocument(writer_);
        xmlTextWriterFlush(writer_);
    }

private:
    static const xmlChar* Name(const char* text) { return reinterpret_cast<const xmlChar*>(text); }
    xmlTextWriterPtr writer_ = nullptr;
};

void PutOdsTextCell(TXml& xml, const std::string& text)
{
    xml.Open("table:table-cell").Attribute("office:value-type", "string");
    xml.Open("text:p").Text(text).Close().Close();
}

void PutOdsStyles(TXml& xml)
{
    xml.Open("office:automatic-styles");
    xml.Open("number:number-style").Attribute("style:name", "N2");
    xml.Attribute("number:language", "el").Attribute("number:country", "GR");
    xml.Open("number:number").Attribute("number:decimal-places", "2").Attribute("number:min-decimal-places", "2");
    xml.Attribute("number:min-integer-digits", "1").Attribute("number:grouping", "true").Close().Close();
    xml.Open("style:style").Attribute("style:name", "amount").Attribute("style:family", "table-cell");
    xml.Attribute("style:data-style-name", "N2").Close();
    xml.Open("style:style").Attribute("style:name", "heading").Attribute("style:family", "table-cell");
    xml.Open("style:text-properties").Attribute("fo:font-weight", "bold").Close().Close();
    xml.Close();
}

// content.xml: every sheet, or nothing when the progress stopped it.
bool OdsContent(const std::vector<TWorkbookList>& lists, TRowsDone& progress, std::string& out)
{
    TXml xml(out);
    xml.Open("office:document-content");
    xml.Attribute("xmlns:office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0");
    xml.Attribute("xmlns:style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0");
    xml.Attribute("xmlns:text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0");
    xml.Attribute("xmlns:table", "urn:oasis:names:tc:opendocument:xmlns:table:1.0");
    xml.Attribute("xmlns:number", "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0");
    xml.Attribute("xmlns:fo", "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");
    xml.Attribute("office:version", "1.2");
    PutOdsStyles(xml);
    xml.Open("office:body").Open("office:spreadsheet");
    for (const TWorkbookList& list : lists) {
        xml.Open("table:table").Attribute("table:name", WorkbookSheetName(list.side).c_str());
        xml.Open("table:table-column").Attribute("table:number-columns-repeated", "10").Close();
        xml.Open("table:table-row");
        for (const std::string& heading : WorkbookHeadings()) {
            xml.Open("table:table-cell").Attribute("table:style-name", "heading");
            xml.Attribute("office:value-type", "string").Open("text:p").Text(heading).Close().Close();
        }
        xml.Close();
        const TRowReader reader(*list.list);
        TOutRow row;
        for (int r = 0; r < reader.Count(); ++r) {
            reader.Read(r, row);
            xml.Open("table:table-row");
            for (const TOutCell& cell : row) {
                switch (cell.kind) {
                case TOutCell::Kind::Empty: xml.Open("table:table-cell").Close(); break;
                case TOutCell::Kind::Text: PutOdsTextCell(xml, cell.text); break;
                case TOutCell::Kind::Whole:
                    xml.Open("table:table-cell").Attribute("office:value-type", "float");
                    xml.Attribute("office:value", cell.text.c_str()).Close();
                    break;
                case TOutCell::Kind::Amount:
                    xml.Open("table:table-cell").Attribute("table:style-name", "amount");
                    xml.Attribute("office:value-type", "float").Attribute("office:value", cell.text.c_str()).Close();
                    break;
                }
            }
            xml.Close();
            if (!progress.Next()) return false;
        }
        xml.Close();
    }
    xml.Close().Close().Close();
    xml.End();
    return true;
}

std::string OdsManifest()
{
    std::string out;
    TXml xml(out);
    xml.Open("manifest:manifest").Attribute("xmlns:manifest", "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");
    xml.Attribute("manifest:version", "1.2");
    xml.Open("manifest:file-entry").Attribute("manifest:full-path", "/");
    xml.Attribute("manifest:version", "1.2").Attribute("manifest:media-type", kOdsMimeType).Close();
    xml.Open("manifest:file-entry").Attribute("manifest:full-path", "content.xml");
    xml.Attribute("manifest:media-type", "text/xml").Close();
    xml.Close();
    xml.End();
    return out;
}

// The archive made in memory by libzip: the mimetype first and stored, as
// the format asks, then the rest deflated fast.
std::string OdsArchive(const std::string& content, const std::string& manifest)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!memory) throw std::bad_alloc();
    zip_source_keep(memory);
    struct TFree {
        zip_source_t* source;
        ~TFree() { zip_source_free(source); }
    } freeMemory{memory};
    zip_t* archive = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
    if (!archive) throw std::runtime_error(zip_error_strerror(&error));
    auto add = [archive](const char* name, std::string_view bytes, bool store) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index = source ? zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                        store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, store ? 0 : 1) == 0;
    };
    if (!add("mimetype", kOdsMimeType, true) || !add("META-INF/manifest.xml", manifest, false) ||
        !add("content.xml", content, false) || zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("zip");
    }
    std::string bytes;
    if (zip_source_open(memory) != 0) throw std::runtime_error("zip");
    zip_source_seek(memory, 0, SEEK_END);
    bytes.resize(static_cast<size_t>(zip_source_tell(memory)));
    zip_source_seek(memory, 0, SEEK_SET);
    const zip_int64_t got = zip_source_read(memory, bytes.data(), bytes.size());
    zip_source_close(memory);
    if (got != static_cast<zip_int64_t>(bytes.size())) throw std::runtime_error("zip");
    return bytes;
}

bool WriteOds(const std::vector<TWorkbookList>& lists, const std::string& path, TRowsDone& progress)
{
    std::string content;
    if (!OdsContent(lists, progress, content)) return false;
    std::string archive;
    try {
        archive = OdsArchive(content, OdsManifest());
    } catch (const std::runtime_error&) {
        ExportFailed(path, EIO);
    }
    content = std::string();
    PutInPlace(path, archive);
    return true;
}

}  // namespace

std::optional<TWorkbookFormat> WorkbookFormatOf(const std::string& path)
{
    if (EndsWithIgnoringCase(path, ".xlsx")) return TWorkbookFormat::Xlsx;
    if (EndsWithIgnoringCase(path, ".ods")) return TWorkbookFormat::Ods;
    if (EndsWithIgnoringCase(path, ".csv")) return TWorkbookFormat::Csv;
    return std::nullopt;
}

std::string WorkbookSheetName(TSide side) { return side == TSide::Customers ? "Πελάτες" : "Προμηθευτές"; }

const std::array<std::string, kWorkbookColumns>& WorkbookHeadings()
{
    static const std::array<std::string, kWorkbookColumns> headings{
        "ΑΦΜ", "Επωνυμία", "Επάγγελμα", "Υπόχρεος", "Πόλη", "Οδός", "Αριθμός", "Τ.Κ.", "Αριθμός τιμολογίων", "Αξία",
    };
    return headings;
}

std::string CsvHoldsOneListMessage()
{
    return "Ένα αρχείο CSV χωράει μία μόνο λίστα· διαλέξτε Πελάτες ή Προμηθευτές, ή γράψτε .xlsx ή .ods";
}

bool WriteListWorkbook(const std::vector<TWorkbookList>& lists, const std::string& path, TWorkbookFormat format,
                       const TExportProgress& progress)
{
    if (format == TWorkbookFormat::Csv && lists.size() != 1) throw std::invalid_argument(CsvHoldsOneListMessage());
    TRowsDone rows(lists, progress);
    if (!rows.Start()) return false;
    switch (format) {
    case TWorkbookFormat::Xlsx: return WriteXlsx(lists, path, rows);
    case TWorkbookFormat::Ods: return WriteOds(lists, path, rows);
    case TWorkbookFormat::Csv: return WriteCsv(lists.front(), path, rows);
    }
    return false;
}

}  // namespace epinax
