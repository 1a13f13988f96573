// Excel 2007 and later (.xlsx): the package's relationships lead from the
// workbook to its first sheet and to the shared texts; the sheet's cells name
// their own positions and may come in any order.
#include <charconv>
#include <map>
#include <vector>

#include "import/WorkbookParts.h"
#include "import/ZipXml.h"

namespace epinax {

namespace workbook {
namespace {

constexpr std::uint64_t kSmallPartLimit = 16u << 20;
constexpr std::uint64_t kSharedTextLimit = 128u << 20;
// A sheet of 99999 rows with every cell formatted, and as much again for
// columns the import does not read.
constexpr std::uint64_t kSheetLimit = 256u << 20;
// Every stored cell of the largest block a different text, with room to spare.
constexpr std::size_t kMaxSharedTexts = 4'000'000;

bool EndsWith(std::string_view text, std::string_view end) { return text.ends_with(end); }

// A relationship's target, made a member name of the package: relative to the
// folder of the part that names it, or from the package's root when it
// begins with '/'.
std::string ResolveTarget(const std::string& sourcePart, std::string_view target)
{
    std::vector<std::string> parts;
    if (!target.starts_with('/')) {
        std::string_view folder(sourcePart);
        folder = folder.substr(0, folder.rfind('/') == std::string_view::npos ? 0 : folder.rfind('/'));
        for (std::size_t at = 0; !folder.empty() && at <= folder.size();) {
            const std::size_t slash = std::min(folder.find('/', at), folder.size());
            parts.emplace_back(folder.substr(at, slash - at));
            at = slash + 1;
        }
    }
    for (std::size_t at = 0; at <= target.size();) {
        const std::size_t slash = std::min(target.find('/', at), target.size());
        const std::string_view piece = target.substr(at, slash - at);
        if (piece == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.emplace_back(piece);
        }
        at = slash + 1;
    }
    std::string member;
    for (const std::string& piece : parts) member += (member.empty() ? "" : "/") + piece;
    return member;
}

std::string RelationshipsOf(const std::string& part)
{
    const std::size_t slash = part.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
    return folder + "_rels/" + part.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
}

// The Relationship elements of a .rels part: id to type and target.
class TRelationships : public TXmlHandler {
public:
    struct TTarget {
        std::string type;
        std::string target;
    };
    std::map<std::string, TTarget> byId;

    void Start(std::string_view name, const char** attributes) override
    {
        if (name != "Relationship") return;
        const char* id = Attribute(attributes, "Id");
        const char* type = Attribute(attributes, "Type");
        const char* target = Attribute(attributes, "Target");
        if (id != nullptr && type != nullptr && target != nullptr) byId.emplace(id, TTarget{type, target});
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}

    const TTarget* OfType(std::string_view typeEnd) const
    {
        for (const auto& [id, relation] : byId)
            if (EndsWith(relation.type, typeEnd)) return &relation;
        return nullptr;
    }
};

// The sheets' names and relationship ids in the workbook's order; only the
// first is wanted unless another sheet is chosen.
class TSheetList : public TXmlHandler {
public:
    explicit TSheetList(bool all) : all_(all) {}
    std::vector<std::string> names, relationshipIds;

    void Start(std::string_view name, const char** attributes) override
    {
        if (name != "sheet") return;
        const char* id = Attribute(attributes, "id");
        const char* sheetName = Attribute(attributes, "name");
        relationshipIds.emplace_back(id == nullptr ? "" : id);
        names.push_back(SheetName(sheetName == nullptr ? "" : sheetName));
        if (!all_) Stop();
    }
    void End(std::string_view name) override
    {
        if (name == "sheets") Stop();
    }
    void Text(std::string_view) override {}

private:
    bool all_;
};

// Excel writes characters XML cannot carry as "_xHHHH_", and a literal
// "_x" that looks like one as "_x005F_x".
std::string DecodeEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        unsigned code = 0;
        const bool escape =
            i + 7 <= text.size() && text[i] == '_' && text[i + 1] == 'x' && text[i + 6] == '_' &&
            std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16).ptr == text.data() + i + 6;
        if (!escape) {
            out += text[i++];
            continue;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        i += 7;
    }
    return out;
}

// Collects the text of a string item: its own <t>, or the <t> of its rich
// text runs one after another; the phonetic guide (<rPh>) is no part of it.
class TStringItemText {
public:
    void Reset() { text_.clear(), inT_ = false, phoneticDepth_ = 0; }
    void Start(std::string_view name)
    {
        if (name == "rPh") ++phoneticDepth_;
        if (name == "t" && phoneticDepth_ == 0) inT_ = true;
    }
    void End(std::string_view name)
    {
        if (name == "rPh" && phoneticDepth_ > 0) --phoneticDepth_;
        if (name == "t") inT_ = false;
    }
    // False when the text grows past what a cell may hold.
    bool Text(std::string_view text)
    {
        if (inT_) text_ += text;
        return text_.size() <= kMaxCellText * 4;
    }
    std::string Take() { return DecodeEscapes(text_); }

private:
    std::string text_;
    bool inT_ = false;
    int phoneticDepth_ = 0;
};

class TSharedTexts : public TXmlHandler {
public:
    explicit TSharedTexts(const std::string& path) : path_(path) {}
    std::vector<std::string> texts;  // UTF-8: a text is converted where a cell uses it, to name that cell

    void Start(std::string_view name, const char**) override
    {
        if (name == "si") {
            if (texts.size() >= kMaxSharedTexts) ThrowTooLarge(path_);
            item_.Reset();
            inItem_ = true;
        }
        if (inItem_) item_.Start(name);
    }
    void End(std::string_view name) override
    {
        if (!inItem_) return;
        item_.End(name);
        if (name == "si") {
            texts.push_back(item_.Take());
            inItem_ = false;
        }
    }
    void Text(std::string_view text) override
    {
        if (inItem_ && !item_.Text(text)) ThrowTooLarge(path_);
    }

private:
    const std::string& path_;
    TStringItemText item_;
    bool inItem_ = false;
};

// "C7" as row 6, column 2; nothing when it is no cell reference.
struct TPosition {
    std::int64_t row = 0, column = 0;
};
std::optional<TPosition> ParseReference(std::string_view reference)
{
    TPosition at{-1, 0};
    std::size_t i = 0;
    for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z'; ++i)
        at.column = std::min<std::int64_t>(at.column * 26 + (reference[i] - 'A' + 1), std::int64_t{1} << 40);
    if (i == 0 || i == reference.size()) return std::nullopt;
    std::int64_t row = 0;
    const auto [end, error] = std::from_chars(reference.data() + i, reference.data() + reference.size(), row);
    if (error == std::errc::result_out_of_range)
        row = std::int64_t{1} << 40;
    else if (error != std::errc() || end != reference.data() + reference.size() || row < 1)
        return std::nullopt;
    return TPosition{row - 1, at.column - 1};
}

class TSheet : public TXmlHandler {
public:
    TSheet(TBlockBuilder& block, const std::vector<std::string>& shared) : block_(block), shared_(shared) {}

    void Start(std::string_view name, const char** attributes) override
    {
        if (name == "row")
            StartRow(attributes);
        else if (name == "c")
            StartCell(attributes);
        else if (inCell_ && name == "v")
            inValue_ = true;
        else if (inCell_ && name == "is")
            inInline_ = true;
        if (inInline_) inline_.Start(name);
    }
    void End(std::string_view name) override
    {
        if (inInline_) inline_.End(name);
        if (name == "v")
            inValue_ = false;
        else if (name == "is")
            inInline_ = false;
        else if (name == "c" && inCell_)
            EndCell();
    }
    void Text(std::string_view text) override
    {
        if (inValue_) value_ += text;
        if ((inValue_ && value_.size() > kMaxCellText * 4) || (inInline_ && !inline_.Text(text)))
            ThrowTextTooLong(at_.row, at_.column);
    }

private:
    void StartRow(const char** attributes)
    {
        // A row without its number follows the one before it.
        const char* number = Attribute(attributes, "r");
        std::int64_t row = nextRow_ + 2;
        if (number != nullptr && !ParseRowNumber(number, row)) ThrowDamagedCell(nextRow_ + 1, 0);
        nextRow_ = row - 1;
        nextColumn_ = 0;
    }
    static bool ParseRowNumber(std::string_view text, std::int64_t& row)
    {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
        if (error == std::errc::result_out_of_range)
            row = std::int64_t{1} << 40;
        else if (error != std::errc() || end != text.data() + text.size() || row < 1)
            return false;
        return true;
    }
    void StartCell(const char** attributes)
    {
        at_ = {nextRow_, nextColumn_};
        if (const char* reference = Attribute(attributes, "r")) {
            const auto parsed = ParseReference(reference);
            if (!parsed) ThrowDamagedCell(nextRow_, nextColumn_);
            at_ = *parsed;
        }
        const char* type = Attribute(attributes, "t");
        type_ = type == nullptr ? "n" : type;
        value_.clear();
        inline_.Reset();
        inCell_ = true;
    }
    void EndCell()
    {
        inCell_ = inValue_ = inInline_ = false;
        nextRow_ = at_.row;
        nextColumn_ = at_.column + 1;
        block_.Set(at_.row, at_.column, CellValue());
    }
    TCell CellValue()
    {
        if (type_ == "inlineStr") return TextCell(at_.row, at_.column, inline_.Take());
        if (type_ == "str") return TextCell(at_.row, at_.column, DecodeEscapes(value_));
        if (value_.empty()) return {};
        if (type_ == "n") return Number(ParseXmlNumber(value_));
        if (type_ == "s") return SharedText();
        if (type_ == "b" && (value_ == "0" || value_ == "1")) return TCell::Number(value_ == "1" ? 1 : 0);
        if (type_ == "d") return Number(DateSerial(value_));
        if (type_ == "e") {
            // Past the kept columns an error hurts nobody: it only marks the cell used.
            if (block_.Keeps(at_.column)) ThrowErrorValue(at_.row, at_.column, value_);
            return TCell::Text(value_);
        }
        ThrowDamagedCell(at_.row, at_.column);
    }
    TCell Number(std::optional<double> number) const
    {
        if (!number) ThrowDamagedCell(at_.row, at_.column);
        return TCell::Number(*number);
    }
    TCell SharedText() const
    {
        std::size_t index = 0;
        const auto [end, error] = std::from_chars(value_.data(), value_.data() + value_.size(), index);
        if (error != std::errc() || end != value_.data() + value_.size() || index >= shared_.size())
            ThrowDamagedCell(at_.row, at_.column);
        return TextCell(at_.row, at_.column, shared_[index]);
    }

    TBlockBuilder& block_;
    const std::vector<std::string>& shared_;
    std::int64_t nextRow_ = -1, nextColumn_ = 0;
    TPosition at_;
    std::string type_, value_;
    TStringItemText inline_;
    bool inCell_ = false, inValue_ = false, inInline_ = false;
};

std::string WorkbookPart(const TZipArchive& zip)
{
    TRelationships package;
    if (zip.Has("_rels/.rels")) zip.Parse("_rels/.rels", package, kSmallPartLimit);
    const auto* document = package.OfType("/officeDocument");
    return document ? ResolveTarget("", document->target) : "xl/workbook.xml";
}

}  // namespace
}  // namespace workbook

TSheetBlock ReadXlsx(const std::string& path, const TSheetChoice& chosen)
{
    using namespace workbook;
    const TZipArchive zip(path, ".xlsx");
    const std::string workbookPart = WorkbookPart(zip);
    const bool first = chosen.name.empty() && chosen.position == 1;
    TSheetList list(!first);
    zip.Parse(workbookPart, list, kSmallPartLimit);
    if (list.names.empty()) zip.ThrowDamaged();
    const std::size_t index = first ? 0 : ChosenSheet(list.names, chosen);
    TRelationships relationships;
    zip.Parse(RelationshipsOf(workbookPart), relationships, kSmallPartLimit);
    const auto sheet = relationships.byId.find(list.relationshipIds[index]);
    if (sheet == relationships.byId.end()) zip.ThrowDamaged();

    TSharedTexts shared(path);
    if (const auto* texts = relationships.OfType("/sharedStrings"))
        zip.Parse(ResolveTarget(workbookPart, texts->target), shared, kSharedTextLimit);
    TBlockBuilder block(chosen);
    TSheet cells(block, shared.texts);
    zip.Parse(ResolveTarget(workbookPart, sheet->second.target), cells, kSheetLimit);
    return block.Finish();
}

std::vector<std::string> XlsxSheetNames(const std::string& path)
{
    using namespace workbook;
    const TZipArchive zip(path, ".xlsx");
    TSheetList list(true);
    zip.Parse(WorkbookPart(zip), list, kSmallPartLimit);
    return list.names;
}

}  // namespace epinax
