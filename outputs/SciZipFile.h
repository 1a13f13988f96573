// TZipFile: a small in-memory writer of plain zip archives (version 2.0
// features only) whose members are deflated: no encryption, no data
// descriptors, no ZIP64, no extra fields, names as Windows-1253 bytes without
// the UTF-8 flag. Members are added with their whole data held in memory and
// the archive is written in one go: local headers with data, the central
// directory right after them, the end record and the archive comment.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace epinax {

// What the format's fields cannot hold (a file of 4 GiB or more, a name or a
// comment over 65,535 bytes, more than 65,535 members, an archive whose
// central directory would start past 4 GiB) is refused with this error, before
// anything is written, rather than written as a corrupt archive. The message
// is Greek.
class EZipError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A reading of the local clock, passed in so that tests get fixed dates.
struct TLocalTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

using TLocalClock = std::function<TLocalTime()>;

TLocalTime LocalNow();

// MS-DOS packed date and time: the time in the low 16 bits (hour × 2048 +
// minute × 32 + second / 2), the date in the high 16 bits ((year − 1980) ×
// 512 + month × 32 + day). Years the format cannot hold are brought to its
// nearest end, 1980 or 2107.
std::uint32_t DosDateTime(const TLocalTime& time);

// The largest values the format's fields hold.
inline constexpr std::uint64_t kZipLargestSize = 0xFFFF'FFFFull;
inline constexpr std::size_t kZipLargestName = 0xFFFF;
inline constexpr std::size_t kZipMostMembers = 0xFFFF;

class TZipFile {
public:
    explicit TZipFile(TLocalClock clock = LocalNow);

    // Appends a member with empty data; `name` is the stored name (Windows-
    // 1253 bytes, no directory). Duplicate names are not looked for.
    void AddMember(std::string name, std::uint32_t externalAttributes);
    // Deflates `data` into member `index` and fills its fields, the date and
    // time taken again from the clock. std::out_of_range "Index out of
    // range." past the last member; nothing changes on any error.
    void SetMemberData(std::size_t index, std::string_view data);

    // The archive comment, written after the end record; empty unless set.
    void SetComment(std::string comment);

    // Writes the archive at the stream's current position; the offsets in
    // it are positions of that stream. EFileError when the stream fails.
    void WriteToStream(std::ostream& out);
    // Replaces the file at `path` with the archive, through a new file beside
    // it, so that a failed write leaves an earlier archive there whole.
    // Errors as FileReplacer's.
    void WriteToFile(const std::string& path);

    // CRC-32 as zip uses it (zlib's crc32); the empty string gives 0.
    static std::uint32_t Crc32(std::string_view data);

    std::size_t MemberCount() const { return members_.size(); }

private:
    // The 26 bytes that the local header and the central directory record
    // share, from the version needed to extract to the extra field length.
    struct TSharedFields {
        std::uint16_t versionNeeded = 20;
        std::uint16_t flag = 0;
        std::uint16_t method = 8;
        std::uint32_t dosDateTime = 0;
        std::uint32_t crc32 = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t uncompressedSize = 0;
        std::uint16_t nameLength = 0;
        std::uint16_t extraLength = 0;
    };

    struct TMember {
        std::uint32_t signature = 0x04034B50;
        TSharedFields fields;
        std::string name;
        std::string extra;
        std::string compressed;
    };

    struct TCentralRecord {
        std::uint32_t signature = 0x02014B50;
        std::uint16_t versionMadeBy = 20;
        TSharedFields fields;
        std::uint16_t commentLength = 0;
        std::uint16_t diskNumberStart = 0;
        std::uint16_t internalAttributes = 0;
        std::uint32_t externalAttributes = 0;
        std::uint32_t localHeaderOffset = 0;
        std::string name;
        std::string extra;
        std::string comment;
    };

    using TSink = std::function<void(std::string_view)>;

    static TCentralRecord CentralRecordOf(const TMember& member, std::uint32_t externalAttributes);
    void CheckFitsFrom(std::uint64_t start) const;
    void WriteArchive(std::uint64_t start, const TSink& write);

    TLocalClock clock_;
    std::vector<TMember> members_;
    std::vector<TCentralRecord> central_;
    std::string comment_;
};

}  // namespace epinax
