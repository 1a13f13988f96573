#include "outputs/Print.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "common/Files.h"
#include "common/Greek.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "entry/RecordLayout.h"

namespace epinax {

namespace {

bool IsCustomers(TSide side) { return side == TSide::Customers; }

// The hidden template of the main window (Memo1, Memo2): the page head, the
// outer table and the title. The suppliers' template ends with one more
// empty line, which the report keeps.
std::vector<std::string> TemplateLines(TSide side)
{
    const std::string whose = IsCustomers(side) ? G("ΠΕΛΑΤΩΝ") : G("ΠΡΟΜΗΘΕΥΤΩΝ");
    std::vector<std::string> lines{
        "",
        "<html>",
        "<head>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1253\">",
        G("<title>ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ ") + whose + "</title>",
        "<style type=\"text/css\">",
        "<!--",
        ".style2 {font-size: 12}",
        "",
        "-->",
        "</style>",
        "</head>",
        "",
        "<body>",
        "<table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\" border=\"0\" >",
        G("<thead style=\"display:table-header-group\"><tr><th><font size=\"1\">ΥΠΟΥΡΓΕΙΟ ΣΤΑΘΜΙΣ - ΚΕΦΥΣ"
          "</font></th></tr></thead>"),
        "",
        G("<tr><td class=\"style2\" ><center><b>ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ "),
        whose + G("</b></center><br></td></tr>"),
        "",
        "<tr><td>",
    };
    if (!IsCustomers(side)) lines.push_back("");
    return lines;
}

std::string PublicSectorRowText(TSide side)
{
    return IsCustomers(side) ? G("Πωλήσεις στο Δημόσιο κ.λ.π.") : G("Αγορές από Δημόσιο κ.λ.π.");
}

// A text that is no number, the empty one included, counts as 0.
Decimal AmountOrZero(const std::string& text) { return Decimal::Parse(text).value_or(Decimal()); }

// The report's text as it grows; handed on in large pieces when a sink is
// given, so that a long list is not held whole in memory on its way to disk.
// Each piece of text makes room for itself once and is then copied in
// without further checks: a full list is some hundred thousand rows of
// short cells, where the checks of a string's every append, and the calls
// the compiler would otherwise leave in (hence always_inline), would cost
// more than the writing.
class ReportText {
public:
    using Sink = std::function<void(std::string_view)>;

    explicit ReportText(Sink sink = nullptr) : sink_(std::move(sink)) {}

    void Line(std::string_view text)
    {
        Raw(text);
        EndLine();
    }

    [[gnu::always_inline]] void Raw(std::string_view markup)
    {
        Room(markup.size());
        Put(markup);
    }

    // Texts of the user and of the records go into the page as text, never
    // as markup: a name such as "Α & Β <ΟΕ>" must print as typed.
    [[gnu::always_inline]] void Escaped(std::string_view text)
    {
        Room(kLongestEntity * text.size());
        PutEscaped(text);
    }

    [[gnu::always_inline]] void EndLine()
    {
        Raw(kLineEnd);
        if (sink_ && used_ >= kPieceSize) HandOn();
    }

    // A cell line: one table cell holding a text.
    void Cell(std::string_view text)
    {
        Raw(kCellStart);
        Escaped(text);
        Raw(kCellEnd);
        EndLine();
    }

    // The address texts joined as the form writes them: "a, b c" and so on.
    void Cell(std::initializer_list<std::string_view> partsAndSeparators)
    {
        Raw(kCellStart);
        bool isPart = true;
        for (std::string_view piece : partsAndSeparators) {
            if (isPart)
                Escaped(piece);
            else
                Raw(piece);
            isPart = !isPart;
        }
        Raw(kCellEnd);
        EndLine();
    }

    // The rows of a long list are written straight into the text: room for
    // the most a row can take, the row put at the pointer, then kept.
    [[gnu::always_inline]] char* Begin(size_t mostBytes)
    {
        Room(mostBytes);
        return text_.data() + used_;
    }
    [[gnu::always_inline]] void Keep(const char* end)
    {
        used_ = static_cast<size_t>(end - text_.data());
        if (sink_ && used_ >= kPieceSize) HandOn();
    }

    // What has not been handed on yet; all of it when there is no sink.
    std::string Take()
    {
        if (sink_) HandOn();
        text_.resize(used_);
        used_ = 0;
        return std::move(text_);
    }

private:
    static constexpr std::string_view kLineEnd = "\r\n";
    static constexpr std::string_view kCellStart = "<td class=\"style2\">";
    static constexpr std::string_view kCellEnd = "</td>";
    static constexpr size_t kLongestEntity = 5;  // "&amp;"
    // Pieces as large as the file writer's own buffer go straight to the file.
    static constexpr size_t kPieceSize = 1 << 20;

    [[gnu::always_inline]] static std::string_view EntityOf(char c)
    {
        switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        default: return {};
        }
    }

    [[gnu::always_inline]] void Room(size_t bytes)
    {
        if (used_ + bytes > text_.size()) text_.resize(std::max(2 * text_.size(), used_ + bytes + kPieceSize));
    }

    [[gnu::always_inline]] void Put(std::string_view bytes)
    {
        std::memcpy(text_.data() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }

    [[gnu::always_inline]] void PutEscaped(std::string_view text)
    {
        if (std::none_of(text.begin(), text.end(), [](char c) { return c == '&' || c == '<' || c == '>'; }))
            return Put(text);
        for (char c : text) {
            if (std::string_view entity = EntityOf(c); !entity.empty())
                Put(entity);
            else
                text_[used_++] = c;
        }
    }

    void HandOn()
    {
        sink_(std::string_view(text_.data(), used_));
        used_ = 0;
    }

    Sink sink_;
    std::string text_;  // the report's bytes up to used_, then room
    size_t used_ = 0;
};

void WriteTemplate(ReportText& out, const TReportInput& input)
{
    for (const std::string& line : TemplateLines(input.side)) out.Line(line);
    out.EndLine();
    if (input.credit) out.Line(G("<center>ΠΙΣΤΩΤΙΚΑ ΥΠΟΛΟΙΠΑ</center></br></td></tr><tr><td>"));
}

void WriteHeaderBlock(ReportText& out, const TReportHeader& header)
{
    out.Line("<table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\"  border=\"0\">");
    out.Line("<tr>");
    out.Line(G("<td class=\"style2\">Προς Δ.Ο.Υ.:</td>"));
    out.Cell(header.taxOfficeName);
    out.Cell(header.taxOfficeCode);
    out.Line(G("<td class=\"style2\">Έτος:</td>"));
    out.Cell(header.year);
    out.Line(G("<td class=\"style2\">Αριθ. Κατάστασης:</td>"));
    out.Line("<td class=\"style2\">&nbsp;</td>");
    out.Line(G("<td class=\"style2\">* Συμπληρώνεται από την Υπηρεσία</td>"));
    out.Line("</tr><tr>");
    std::string blank = "<td class=\"style2\">&nbsp;</td>";
    out.Line(blank + blank + blank + blank + blank);
    out.Line(G("<td class=\"style2\">Αριθ. Φακέλου:</td>"));
    out.Cell(header.folder);
    out.Line(G("<td class=\"style2\">(για τις Α.Ε.)</td>"));
    out.Line("</tr></table>");
}

void WriteTaxpayerBlock(ReportText& out, const TReportHeader& header)
{
    out.Line("<table width=\"100%\"  border=\"0\" cellspacing=\"0\" cellpadding=\"0\">");
    out.Line(G("<tr><td class=\"style2\" colspan=\"6\"><br><center><b>ΣΤΟΙΧΕΙΑ ΥΠΟΧΡΕΟΥ</b></center></td></tr>"));
    out.Line(G("<tr><td class=\"style2\">Ονοματεπώνυμο ή Επωνυμία:</td>"));
    out.Raw("<td class=\"style2\" colspan=\"3\">");
    out.Escaped(header.companyName);
    out.Line("</td>");
    out.Line(G("<td class=\"style2\">ΑΦΜ:</td>"));
    out.Cell(header.afm);
    out.Line(G("</tr><tr><td class=\"style2\">Πατρώνυμο:</td>"));
    out.Line("<td class=\"style2\" colspan=\"5\">&nbsp;</td></tr>");
    out.Line(G("<tr><td class=\"style2\">Επάγγελμα:</td>"));
    out.Cell(header.profession);
    out.Line(G("<td class=\"style2\">Διεύθυνση:</td>"));
    out.Cell({header.town, ", ", header.street, " ", header.number, ", ", header.tk});
    out.Line(G("<td class=\"style2\">Τηλ:</td>"));
    out.Cell(header.tel);
    out.Line(
        G("</tr><tr><td class=\"style2\">&nbsp;</td><td class=\"style2\">&nbsp;</td><td "
          "class=\"style2\">&nbsp;</td><td class=\"style2\">(πόλη, οδός, αριθμός, Τ.Κ.)</td><td "
          "class=\"style2\">&nbsp;</td><td class=\"style2\">&nbsp;</td></tr>"));
    out.Line("<tr><td class=\"style2\" colspan=\"6\">&nbsp;</td></tr></table>");
}

void WriteListHead(ReportText& out)
{
    out.Line("<table width=\"100%\"  border=\"1\" cellspacing=\"0\" cellpadding=\"0\">");
    out.Line("<thead style=\"display:table-header-group\"><tr>");
    out.Line(
        G("<th class=\"style2\"><center>α/α</center></th><th class=\"style2\"><center>ΑΦΜ</center></th><th "
          "class=\"style2\"><center>Ονοματεπώνυμο ή Επωνυμία συναλλασομένου</center></th>"));
    out.Line(
        G("<th class=\"style2\"><center>Κωδικός \"1\" <BR> Επάγγελμα <BR>για μη υπόχρεους</center></th><th "
          "class=\"style2\"><center>Διεύθυνση</center></th><th class=\"style2\"><center>Αριθμός Φορολ. "
          "Στοιχείων</center></th>"));
    out.Line(G("<th class=\"style2\"><center>Καθαρή αξία</center></th></tr></thead>"));
}

// Where a field stands in the record, found once for the whole list. A
// record is cut into fields here as the store cuts it (a field past a short
// record's end is empty; trailing blanks are not part of the text), but from
// its text taken once per row rather than once per field.
class TFieldPlace {
public:
    TFieldPlace(TFixedFormatDataSet& list, std::size_t index)
    {
        const TField& field = list.Field(index);
        offset_ = static_cast<size_t>(field.Offset());
        size_ = static_cast<size_t>(field.Size());
    }
    std::string_view In(std::string_view record) const
    {
        return offset_ < record.size() ? TrimTrailingBlanks(record.substr(offset_, size_)) : std::string_view();
    }

    std::pair<size_t, size_t> Place() const { return {offset_, size_}; }

private:
    size_t offset_ = 0, size_ = 0;
};

// The fields a row of the form shows.
struct TRowFields {
    explicit TRowFields(TFixedFormatDataSet& list)
        : afm(list, field::Afm),
          name(list, field::Name),
          ypovolh(list, field::Ypovolh),
          city(list, field::City),
          street(list, field::Street),
          streetNo(list, field::StreetNo),
          invoices(list, field::NoTimologion),
          value(list, field::Value)
    {
    }
    TFieldPlace afm, name, ypovolh, city, street, streetNo, invoices, value;
};

// The pieces of a row, put at a pointer into room made beforehand.
template <size_t N>
[[gnu::always_inline]] inline char* PutMarkup(char* out, const char (&markup)[N])
{
    std::memcpy(out, markup, N - 1);
    return out + N - 1;
}

// A text of the records goes in as text: "&", "<" and ">" as entities.
[[gnu::always_inline]] inline char* PutText(char* out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out = PutMarkup(out, "&amp;"); break;
        case '<': out = PutMarkup(out, "&lt;"); break;
        case '>': out = PutMarkup(out, "&gt;"); break;
        default: *out++ = c;
        }
    }
    return out;
}

constexpr char kNextCell[] = "</td>\r\n<td class=\"style2\">";

// One block per stored record, numbered from 1 in list order. The profession
// and the postal code are not on the form. A full list is a hundred thousand
// rows: each is made in room made once for it.
void WriteRows(ReportText& out, TFixedFormatDataSet& list)
{
    const TRowFields fields(list);
    const size_t recordLength = static_cast<size_t>(list.RecordLength());
    // The markup of a row, its number, and every field at worst all entities.
    const size_t mostBytes = 7 * sizeof kNextCell + 64 + 5 * recordLength;
    for (int i = 0; i < list.RecordCount(); ++i) {
        const std::string_view record = list.RecordTextAt(i).substr(0, recordLength);
        char* p = out.Begin(mostBytes);
        p = PutMarkup(p, "<tr>\r\n<td class=\"style2\">");
        p = std::to_chars(p, p + 12, i + 1).ptr;
        p = PutText(PutMarkup(p, kNextCell), fields.afm.In(record));
        p = PutText(PutMarkup(p, kNextCell), fields.name.In(record));
        p = PutText(PutMarkup(p, kNextCell), fields.ypovolh.In(record));
        p = PutText(PutMarkup(p, kNextCell), fields.city.In(record));
        p = PutText(PutMarkup(p, ", "), fields.street.In(record));
        p = PutText(PutMarkup(p, " "), fields.streetNo.In(record));
        p = PutText(PutMarkup(p, kNextCell), fields.invoices.In(record));
        p = PutText(PutMarkup(p, kNextCell), fields.value.In(record));
        out.Keep(PutMarkup(p, "</td>\r\n</tr>\r\n"));
    }
}

void WriteClosingRows(ReportText& out, const TReportInput& input)
{
    const TClosingRows rows = ClosingRowsOf(input);
    out.Line("<tr><td class=\"style2\" colspan=\"7\">&nbsp;</td></tr>");
    out.Line(
        "<tr><td class=\"style2\">&nbsp;</td><td class=\"style2\">99999011</td><td class=\"style2\" "
        "colspan=\"3\">" +
        rows.publicText + "</td>");
    out.Line("<td class=\"style2\">&nbsp;</td>");
    out.Cell(rows.publicValue);
    out.Line("</tr><tr><td class=\"style2\">&nbsp;</td><td class=\"style2\">99999999</td>");
    out.Line(G("<td class=\"style2\" colspan=\"3\">ΣΥΝΟΛΟ</td>"));
    out.Cell(rows.invoiceTotal);
    out.Cell(rows.total);
    out.Line("</tr></table></td></tr></table></body></html>");
}

void WriteReport(ReportText& out, const TReportInput& input)
{
    WriteTemplate(out, input);
    WriteHeaderBlock(out, input.header);
    WriteTaxpayerBlock(out, input.header);
    WriteListHead(out);
    WriteRows(out, *input.list);
    WriteClosingRows(out, input);
}

}  // namespace

std::string ListReport(const TReportInput& input)
{
    ReportText out;
    WriteReport(out, input);
    return out.Take();
}

// The report is remade from the statement at every print, so a power cut
// costs a second print and nothing more: it is written as a working file,
// without waiting for the disk.
void WriteListReport(const TReportInput& input, const std::string& path)
{
    FileReplacer file(path);
    ReportText out([&file](std::string_view piece) { file.Write(piece); });
    WriteReport(out, input);
    out.Take();
    file.Commit();
}

const TReportCells& ListHeadCells()
{
    static const TReportCells heads{
        G("α/α"),
        G("ΑΦΜ"),
        G("Ονοματεπώνυμο ή Επωνυμία συναλλασομένου"),
        G("Κωδικός \"1\"\nΕπάγγελμα\nγια μη υπόχρεους"),
        G("Διεύθυνση"),
        G("Αριθμός Φορολ. Στοιχείων"),
        G("Καθαρή αξία"),
    };
    return heads;
}

TReportRows::TReportRows(const TReportInput& input)
    : list_(input.list), recordLength_(static_cast<size_t>(input.list->RecordLength()))
{
    const TRowFields fields(*list_);
    size_t i = 0;
    for (const TFieldPlace* place : {&fields.afm, &fields.name, &fields.ypovolh, &fields.city, &fields.street,
                                     &fields.streetNo, &fields.invoices, &fields.value})
        places_[i++] = place->Place();
}

int TReportRows::Count() const { return list_->RecordCount(); }

void TReportRows::Cells(int index, TReportCells& out) const
{
    const std::string_view record = list_->RecordTextAt(index).substr(0, recordLength_);
    auto field = [&](size_t i) {
        const auto [offset, size] = places_[i];
        return offset < record.size() ? TrimTrailingBlanks(record.substr(offset, size)) : std::string_view();
    };
    out[0] = std::to_string(index + 1);
    out[1] = field(0);
    out[2] = field(1);
    out[3] = field(2);
    out[4].assign(field(3)).append(", ").append(field(4)).append(" ").append(field(5));
    out[5] = field(6);
    out[6] = field(7);
}

TClosingRows ClosingRowsOf(const TReportInput& input)
{
    const Decimal publicValue = AmountOrZero(input.publicValue);
    const Decimal total = AmountOrZero(input.valueTotal) + publicValue;
    return {PublicSectorRowText(input.side), publicValue.ToHashHash(), input.invoiceTotal, total.ToHashHash()};
}

std::string ReportFileName(TSide side) { return IsCustomers(side) ? "Pelates.htm" : "Promitheftes.htm"; }

std::string PrintFailureMessage() { return "Υπήρξε κάποιο πρόβλημα κατά την προετοιμασία της εκτύπωσης"; }

std::string PrinterFailureMessage()
{
    return "Υπήρξε ένα πρόβλημα κατά την εκτύπωση. Βεβαιωθείτε ότι έχετε ορίσει κάποιον εκτυπωτή";
}

}  // namespace epinax
