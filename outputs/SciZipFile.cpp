#include "outputs/SciZipFile.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <ostream>

#include "common/Errors.h"
#include "common/Files.h"

namespace epinax {

namespace {

void PutLittleEndian(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void Put16(std::string& out, std::uint16_t value) { PutLittleEndian(out, value, 2); }
void Put32(std::string& out, std::uint32_t value) { PutLittleEndian(out, value, 4); }

// The reason is the same for every refusal.
[[noreturn]] void TooLarge(const std::string& what, const char* limit)
{
    throw EZipError(what + "· ένα αρχείο zip δέχεται " + limit + ".");
}

std::string Count(std::size_t n) { return std::to_string(n); }

// zlib's deflate at its default level, window 2^15, memory level 8 and the
// default strategy, without the zlib header and Adler-32 trailer (negative
// window bits): the raw deflate stream a zip member holds.
std::string RawDeflate(std::string_view data)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::bad_alloc();
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());  // under 4 GiB: checked by the caller
    int status = Z_OK;
    // The bound may pass what one call's counter holds, so the output is
    // handed over in pieces; the input fits in one.
    while (status == Z_OK) {
        size_t room = out.size() - stream.total_out;
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + stream.total_out);
        stream.avail_out = static_cast<uInt>(std::min<size_t>(room, UINT_MAX));
        status = deflate(&stream, Z_FINISH);
    }
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) throw std::bad_alloc();
    return out;
}

}  // namespace

TLocalTime LocalNow()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::uint32_t DosDateTime(const TLocalTime& time)
{
    if (time.year < 1980) return DosDateTime({1980, 1, 1, 0, 0, 0});
    if (time.year > 2107) return DosDateTime({2107, 12, 31, 23, 59, 58});
    std::uint32_t date = static_cast<std::uint32_t>((time.year - 1980) * 512 + time.month * 32 + time.day);
    std::uint32_t clock = static_cast<std::uint32_t>(time.hour * 2048 + time.minute * 32 + time.second / 2);
    return date << 16 | clock;
}

// ---------------------------------------------------------------- TZipFile

TZipFile::TZipFile(TLocalClock clock) : clock_(std::move(clock)) {}

TZipFile::TCentralRecord TZipFile::CentralRecordOf(const TMember& member, std::uint32_t externalAttributes)
{
    TCentralRecord record;
    record.fields = member.fields;
    record.externalAttributes = externalAttributes;
    record.name = member.name;
    record.extra = member.extra;
    return record;
}

void TZipFile::AddMember(std::string name, std::uint32_t externalAttributes)
{
    if (members_.size() >= kZipMostMembers)
        TooLarge("Το αρχείο zip έχει ήδη " + Count(members_.size()) + " αρχεία", "έως 65.535 αρχεία");
    if (name.size() > kZipLargestName)
        TooLarge("Το όνομα του αρχείου έχει " + Count(name.size()) + " χαρακτήρες", "ονόματα έως 65.535 χαρακτήρες");
    TMember member;
    member.fields.dosDateTime = DosDateTime(clock_());
    member.fields.nameLength = static_cast<std::uint16_t>(name.size());
    member.name = std::move(name);
    central_.push_back(CentralRecordOf(member, externalAttributes));
    members_.push_back(std::move(member));
}

void TZipFile::SetMemberData(std::size_t index, std::string_view data)
{
    if (index >= members_.size()) throw std::out_of_range("Index out of range.");
    if (data.size() > kZipLargestSize) TooLarge("Το αρχείο είναι 4 GiB ή μεγαλύτερο", "αρχεία μικρότερα από 4 GiB");
    std::string compressed = RawDeflate(data);
    // Data that does not compress grows a little, past the field's width
    // when it was just under 4 GiB.
    if (compressed.size() > kZipLargestSize)
        TooLarge("Το αρχείο συμπιεσμένο φτάνει τα 4 GiB", "αρχεία μικρότερα από 4 GiB");
    TMember& member = members_[index];
    member.compressed = std::move(compressed);
    member.signature = 0x04034B50;
    member.fields.versionNeeded = 20;
    member.fields.flag = 0;
    member.fields.method = 8;
    member.fields.dosDateTime = DosDateTime(clock_());
    member.fields.crc32 = Crc32(data);
    member.fields.compressedSize = static_cast<std::uint32_t>(member.compressed.size());
    member.fields.uncompressedSize = static_cast<std::uint32_t>(data.size());
    member.fields.nameLength = static_cast<std::uint16_t>(member.name.size());
    member.fields.extraLength = static_cast<std::uint16_t>(member.extra.size());
    central_[index] = CentralRecordOf(member, central_[index].externalAttributes);
}

void TZipFile::SetComment(std::string comment)
{
    if (comment.size() > kZipLargestName)
        TooLarge("Το σχόλιο έχει " + Count(comment.size()) + " χαρακτήρες", "σχόλια έως 65.535 χαρακτήρες");
    comment_ = std::move(comment);
}

std::uint32_t TZipFile::Crc32(std::string_view data)
{
    return static_cast<std::uint32_t>(
        crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), data.size()));
}

// ------------------------------------------------------------------ writing

namespace {

void PutShared(std::string& out, const auto& fields)
{
    Put16(out, fields.versionNeeded);
    Put16(out, fields.flag);
    Put16(out, fields.method);
    Put32(out, fields.dosDateTime);
    Put32(out, fields.crc32);
    Put32(out, fields.compressedSize);
    Put32(out, fields.uncompressedSize);
    Put16(out, fields.nameLength);
    Put16(out, fields.extraLength);
}

constexpr std::uint64_t kLocalHeaderBytes = 30;
constexpr std::uint64_t kCentralHeaderBytes = 46;

}  // namespace

// Every offset the archive records must fit in 32 bits: found out before the
// first byte is written, so that no archive is left half made.
void TZipFile::CheckFitsFrom(std::uint64_t start) const
{
    std::uint64_t centralStart = start, centralSize = 0;
    for (size_t i = 0; i < members_.size(); ++i) {
        centralStart +=
            kLocalHeaderBytes + members_[i].name.size() + members_[i].extra.size() + members_[i].compressed.size();
        centralSize +=
            kCentralHeaderBytes + central_[i].name.size() + central_[i].extra.size() + central_[i].comment.size();
    }
    if (centralStart > kZipLargestSize || centralSize > kZipLargestSize)
        TooLarge("Το αρχείο zip θα έφτανε τα 4 GiB", "έως 4 GiB συνολικά");
}

void TZipFile::WriteArchive(std::uint64_t start, const TSink& write)
{
    CheckFitsFrom(start);
    std::uint64_t position = start;
    auto emit = [&](std::string_view bytes) {
        write(bytes);
        position += bytes.size();
    };
    for (size_t i = 0; i < members_.size(); ++i) {
        const TMember& member = members_[i];
        central_[i].localHeaderOffset = static_cast<std::uint32_t>(position);
        std::string header;
        Put32(header, member.signature);
        if (member.signature == 0x04034B50) {
            PutShared(header, member.fields);
            header += member.name;
            header += member.extra;
        }
        emit(header);
        if (member.signature == 0x04034B50) emit(member.compressed);
    }
    const std::uint64_t centralStart = position;
    std::string central;
    for (const TCentralRecord& record : central_) {
        Put32(central, record.signature);
        Put16(central, record.versionMadeBy);
        PutShared(central, record.fields);
        Put16(central, record.commentLength);
        Put16(central, record.diskNumberStart);
        Put16(central, record.internalAttributes);
        Put32(central, record.externalAttributes);
        Put32(central, record.localHeaderOffset);
        central += record.name + record.extra + record.comment;
    }
    emit(central);
    std::string end;
    Put32(end, 0x06054B50);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, static_cast<std::uint16_t>(members_.size()));
    Put16(end, static_cast<std::uint16_t>(members_.size()));
    Put32(end, static_cast<std::uint32_t>(position - centralStart));
    Put32(end, static_cast<std::uint32_t>(centralStart));
    Put16(end, static_cast<std::uint16_t>(comment_.size()));
    emit(end + comment_);
}

void TZipFile::WriteToStream(std::ostream& out)
{
    std::streamoff start = out.tellp();
    WriteArchive(start < 0 ? 0 : static_cast<std::uint64_t>(start), [&out](std::string_view bytes) {
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
            throw EFileError("Η εγγραφή του αρχείου zip απέτυχε.");
    });
}

void TZipFile::WriteToFile(const std::string& path)
{
    CheckFitsFrom(0);  // before an earlier archive is touched
    FileReplacer file(path, TDurability::UserFile);
    WriteArchive(0, [&file](std::string_view bytes) { file.Write(bytes); });
    file.Commit();
}

}  // namespace epinax
