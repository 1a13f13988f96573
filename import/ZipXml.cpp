// Zip members unpacked by libzip straight into expat.
#include "import/ZipXml.h"

#include <expat.h>
#include <zip.h>

#include <array>
#include <charconv>
#include <memory>

#include "common/Greek.h"
#include "import/WorkbookParts.h"

namespace epinax::workbook {

namespace {

// Expat gives "namespace<sep>local"; the separator is a byte no name holds.
constexpr char kNamespaceSeparator = '\x01';

// The deepest nesting of elements a spreadsheet needs is about a dozen
// (groups of rows in groups, formatted runs of text in a cell).
constexpr int kMaxDepth = 100;
// The largest piece that expat takes whole (a start tag with its attributes,
// a comment): a cell's text as an attribute, every character escaped, stays
// far below it.
constexpr std::uint64_t kMaxToken = 1u << 20;
// Fed in large pieces, a token that spans several of them is scanned again
// only a few times before it is known to be too large.
constexpr int kFeed = 1 << 20;

std::string_view LocalName(const char* name)
{
    std::string_view full(name);
    const std::size_t separator = full.rfind(kNamespaceSeparator);
    return separator == std::string_view::npos ? full : full.substr(separator + 1);
}

// What the expat callbacks work on. An exception must not cross expat's C
// frames, so it is kept here and thrown again once the parser has returned.
struct TParse {
    XML_Parser parser = nullptr;
    TXmlHandler* handler = nullptr;
    std::exception_ptr failure;
    bool doctype = false;
    bool tooDeep = false;
    int depth = 0;
    std::uint64_t parsedUpTo = 0;  // the end of the last piece expat reported
};

void NoteParsed(TParse& parse)
{
    parse.parsedUpTo = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parse.parser)) +
                       static_cast<std::uint64_t>(XML_GetCurrentByteCount(parse.parser));
}

template <typename Call>
void Guarded(void* data, Call call)
{
    auto* parse = static_cast<TParse*>(data);
    NoteParsed(*parse);
    if (parse->failure || parse->handler->Stopped()) return;
    try {
        call(*parse->handler);
    } catch (...) {
        parse->failure = std::current_exception();
    }
    if (parse->failure || parse->handler->Stopped()) XML_StopParser(parse->parser, XML_FALSE);
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    auto* parse = static_cast<TParse*>(data);
    if (++parse->depth > kMaxDepth) {
        parse->tooDeep = true;
        XML_StopParser(parse->parser, XML_FALSE);
        return;
    }
    Guarded(data, [&](TXmlHandler& handler) { handler.Start(LocalName(name), attributes); });
}

void XMLCALL OnEnd(void* data, const XML_Char* name)
{
    --static_cast<TParse*>(data)->depth;
    Guarded(data, [&](TXmlHandler& handler) { handler.End(LocalName(name)); });
}

// Comments, processing instructions and the like: only how far the parse got.
void XMLCALL OnOther(void* data, const XML_Char*, int) { NoteParsed(*static_cast<TParse*>(data)); }

void XMLCALL OnText(void* data, const XML_Char* text, int length)
{
    Guarded(data,
            [&](TXmlHandler& handler) { handler.Text(std::string_view(text, static_cast<std::size_t>(length))); });
}

// Workbooks never declare a document type; one that does may only want to
// expand entities until the memory runs out.
void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
{
    auto* parse = static_cast<TParse*>(data);
    parse->doctype = true;
    XML_StopParser(parse->parser, XML_FALSE);
}

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

const char* Attribute(const char** attributes, std::string_view localName)
{
    for (const char** at = attributes; at[0] != nullptr; at += 2)
        if (LocalName(at[0]) == localName) return at[1];
    return nullptr;
}

std::int64_t RepeatAttribute(const char** attributes, std::string_view localName)
{
    const char* text = Attribute(attributes, localName);
    if (text == nullptr) return 1;
    const std::string_view digits(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range) return std::int64_t{1} << 32;
    if (error != std::errc() || end != digits.data() + digits.size() || value < 1) return 1;
    return std::min(value, std::int64_t{1} << 32);
}

TZipArchive::TZipArchive(const std::string& path, std::string_view kind) : path_(path), kind_(kind)
{
    EnsureReadable(path);
    int error = 0;
    archive_ = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive_ == nullptr) ThrowNotWorkbook(path_, kind_);
}

TZipArchive::~TZipArchive()
{
    if (archive_ != nullptr) zip_discard(archive_);
}

bool TZipArchive::Has(const std::string& member) const
{
    return zip_name_locate(archive_, member.c_str(), ZIP_FL_NOCASE) >= 0;
}

void TZipArchive::ThrowDamaged() const { ThrowNotWorkbook(path_, kind_); }

void TZipArchive::ThrowTooDeep() const
{
    throw EWorkbookError("Το αρχείο " + DisplayPath(path_.substr(path_.rfind('/') + 1)) +
                         " έχει στοιχεία XML το ένα μέσα στο άλλο σε βάθος μεγαλύτερο από " +
                         std::to_string(kMaxDepth) + ", όσο δεν χρειάζεται κανένα φύλλο.");
}

void TZipArchive::ThrowTokenTooLarge() const
{
    throw EWorkbookError("Το αρχείο " + DisplayPath(path_.substr(path_.rfind('/') + 1)) +
                         " έχει ετικέτα XML μεγαλύτερη από " + std::to_string(kMaxToken >> 20) +
                         " MB, όσο δεν χρειάζεται κανένα φύλλο.");
}

zip_file_t* TZipArchive::OpenMember(const std::string& member, std::uint64_t limit) const
{
    const zip_int64_t index = zip_name_locate(archive_, member.c_str(), ZIP_FL_NOCASE);
    if (index < 0) ThrowDamaged();
    // The size the archive declares refuses a member at once; the bytes
    // actually unpacked are counted all the same.
    zip_stat_t status;
    zip_stat_init(&status);
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &status) == 0 &&
        (status.valid & ZIP_STAT_SIZE) != 0 && status.size > limit)
        ThrowTooLarge(path_);
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) ThrowDamaged();
    return file;
}

void TZipArchive::Parse(const std::string& member, TXmlHandler& handler, std::uint64_t limit) const
{
    std::unique_ptr<zip_file_t, ZipFileClose> file(OpenMember(member, limit));
    std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator));
    if (!parser) throw std::bad_alloc();
    TParse parse{parser.get(), &handler, nullptr, false, false, 0, 0};
    XML_SetUserData(parser.get(), &parse);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
    XML_SetDefaultHandlerExpand(parser.get(), OnOther);

    std::uint64_t total = 0;
    for (;;) {
        void* buffer = XML_GetBuffer(parser.get(), kFeed);
        if (buffer == nullptr) throw std::bad_alloc();
        const zip_int64_t got = zip_fread(file.get(), buffer, kFeed);
        if (got < 0) ThrowDamaged();
        total += static_cast<std::uint64_t>(got);
        if (total > limit) ThrowTooLarge(path_);
        const bool last = got == 0;
        const XML_Status status = XML_ParseBuffer(parser.get(), static_cast<int>(got), last);
        if (parse.failure) std::rethrow_exception(parse.failure);
        if (handler.Stopped()) return;
        if (parse.tooDeep) ThrowTooDeep();
        if (status != XML_STATUS_OK || parse.doctype) ThrowDamaged();
        if (total - parse.parsedUpTo > kMaxToken) ThrowTokenTooLarge();
        if (last) return;
    }
}

}  // namespace epinax::workbook
