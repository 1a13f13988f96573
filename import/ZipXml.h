// The zip container of .xlsx and .ods workbooks and the streaming XML reading
// of its members (libzip and expat). A member is parsed as it is unpacked, so
// a sheet of any size costs only the cells kept, never the whole text.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

struct zip;
struct zip_file;
typedef struct zip_file zip_file_t;

namespace epinax::workbook {

// Receives the elements of one XML member. Names are local names: the
// namespace prefix a writer chose does not matter.
class TXmlHandler {
public:
    virtual ~TXmlHandler() = default;
    // `attributes`: name, value, name, value, ..., null (expat's form).
    virtual void Start(std::string_view name, const char** attributes) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(std::string_view text) = 0;

    // Ends the parse without an error: the rest of the member is not needed.
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

private:
    bool stopped_ = false;
};

// The value of the attribute with this local name, or null.
const char* Attribute(const char** attributes, std::string_view localName);
// The whole attribute as a number of repetitions, 1 when absent; limited to
// what any sheet can hold, so later sums cannot overflow.
std::int64_t RepeatAttribute(const char** attributes, std::string_view localName);

class TZipArchive {
public:
    // `kind` (".xlsx", ".ods") names the expected kind of file in messages.
    TZipArchive(const std::string& path, std::string_view kind);
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    bool Has(const std::string& member) const;
    // Parses `member` through `handler`; a member that unpacks to more than
    // `limit` bytes is refused as too large, one that is missing, damaged or
    // no well-formed XML makes the file no valid workbook. Elements nested
    // deeper, or a single tag larger, than any spreadsheet needs are refused
    // as soon as they are seen, before they cost memory or time.
    void Parse(const std::string& member, TXmlHandler& handler, std::uint64_t limit) const;

    [[noreturn]] void ThrowDamaged() const;

private:
    zip_file_t* OpenMember(const std::string& member, std::uint64_t limit) const;
    [[noreturn]] void ThrowTooDeep() const;
    [[noreturn]] void ThrowTokenTooLarge() const;

    std::string path_;
    std::string kind_;
    ::zip* archive_ = nullptr;
};

}  // namespace epinax::workbook
