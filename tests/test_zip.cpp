// The zip archive writer and its command: the archive's bytes read back field
// by field, zlib's own compress2 as the reference for the deflated data, and
// Info-ZIP's unzip and zipinfo as an independent reader of every archive.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Errors.h"
#include "common/Greek.h"
#include "outputs/SciZipFile.h"
#include "outputs/ZipCommand.h"

namespace {

using namespace epinax;
using epinax::test::FileSizeLimit;
using epinax::test::ReadBytes;
using epinax::test::TempDir;
using epinax::test::WriteBytes;

// ------------------------------------------------------- reading an archive

struct TShared {
    std::uint16_t versionNeeded, flag, method;
    std::uint32_t dosDateTime, crc32, compressedSize, uncompressedSize;
    std::uint16_t nameLength, extraLength;
};

struct TLocal {
    std::size_t at;
    TShared fields;
    std::string name, data;
};

struct TCentral {
    std::uint16_t versionMadeBy;
    TShared fields;
    std::uint16_t commentLength, diskNumberStart, internalAttributes;
    std::uint32_t externalAttributes, localHeaderOffset;
    std::string name;
};

struct TEnd {
    std::size_t at;
    std::uint16_t disk, centralDisk, recordsOnDisk, records;
    std::uint32_t centralSize, centralOffset;
    std::uint16_t commentLength;
    std::string comment;
};

struct TArchive {
    std::vector<TLocal> locals;
    std::size_t centralAt = 0;
    std::vector<TCentral> centrals;
    TEnd end{};
};

// Reads the archive from its first byte as the writer lays it out, and
// fails on any byte out of place, so that a test sees every field.
class TReader {
public:
    explicit TReader(const std::string& bytes, std::size_t from = 0) : bytes_(bytes), at_(from) {}

    TArchive Archive()
    {
        TArchive archive;
        while (Peek32() == 0x04034B50) archive.locals.push_back(Local());
        archive.centralAt = at_;
        while (Peek32() == 0x02014B50) archive.centrals.push_back(Central());
        archive.end = End();
        if (at_ != bytes_.size()) throw std::runtime_error("bytes after the end record's comment");
        return archive;
    }

private:
    std::uint32_t Number(int width)
    {
        if (at_ + width > bytes_.size()) throw std::runtime_error("archive cut short");
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i) value |= std::uint32_t{static_cast<unsigned char>(bytes_[at_ + i])} << (8 * i);
        at_ += width;
        return value;
    }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Number(2)); }
    std::uint32_t U32() { return Number(4); }
    std::uint32_t Peek32()
    {
        std::size_t keep = at_;
        std::uint32_t value = at_ + 4 <= bytes_.size() ? U32() : 0;
        at_ = keep;
        return value;
    }
    std::string Bytes(std::size_t count)
    {
        if (at_ + count > bytes_.size()) throw std::runtime_error("archive cut short");
        at_ += count;
        return bytes_.substr(at_ - count, count);
    }
    TShared Shared()
    {
        TShared f{};
        f.versionNeeded = U16();
        f.flag = U16();
        f.method = U16();
        f.dosDateTime = U32();
        f.crc32 = U32();
        f.compressedSize = U32();
        f.uncompressedSize = U32();
        f.nameLength = U16();
        f.extraLength = U16();
        return f;
    }
    TLocal Local()
    {
        TLocal local{at_, {}, {}, {}};
        U32();
        local.fields = Shared();
        local.name = Bytes(local.fields.nameLength);
        if (local.fields.extraLength != 0) throw std::runtime_error("an extra field");
        local.data = Bytes(local.fields.compressedSize);
        return local;
    }
    TCentral Central()
    {
        TCentral central{};
        U32();
        central.versionMadeBy = U16();
        central.fields = Shared();
        central.commentLength = U16();
        central.diskNumberStart = U16();
        central.internalAttributes = U16();
        central.externalAttributes = U32();
        central.localHeaderOffset = U32();
        central.name = Bytes(central.fields.nameLength);
        Bytes(central.fields.extraLength + central.commentLength);
        return central;
    }
    TEnd End()
    {
        TEnd end{};
        end.at = at_;
        if (U32() != 0x06054B50) throw std::runtime_error("no end record where the central directory ends");
        end.disk = U16();
        end.centralDisk = U16();
        end.recordsOnDisk = U16();
        end.records = U16();
        end.centralSize = U32();
        end.centralOffset = U32();
        end.commentLength = U16();
        end.comment = Bytes(end.commentLength);
        return end;
    }

    const std::string& bytes_;
    std::size_t at_;
};

TArchive Parse(const std::string& bytes) { return TReader(bytes).Archive(); }

bool SameFields(const TShared& a, const TShared& b)
{
    return a.versionNeeded == b.versionNeeded && a.flag == b.flag && a.method == b.method &&
           a.dosDateTime == b.dosDateTime && a.crc32 == b.crc32 && a.compressedSize == b.compressedSize &&
           a.uncompressedSize == b.uncompressedSize && a.nameLength == b.nameLength && a.extraLength == b.extraLength;
}

// --------------------------------------------------------------- references

std::uint32_t ZlibCrc(const std::string& data)
{
    return static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), data.size()));
}

// zlib's one-call compression at level 6, its 2-byte header and 4-byte
// Adler-32 trailer cut off.
std::string Compress2Raw(const std::string& data)
{
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                        data.size(), 6),
              Z_OK);
    return out.substr(2, size - 6);
}

std::string Inflated(const std::string& raw, std::size_t size)
{
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    std::string out(size, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    stream.avail_in = static_cast<uInt>(raw.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int status = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    return status == Z_STREAM_END && stream.avail_in == 0 ? out : "<not a whole deflate stream>";
}

// Info-ZIP's tools, as any user's unzip reads the archive.
struct TToolRun {
    int code = -1;
    std::string out;
};

TToolRun Tool(const std::string& command)
{
    TToolRun run;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.out.append(chunk, got);
    int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The value zipinfo -v prints after "  key:" and the blanks that align it.
std::string ZipinfoField(const std::string& listing, const std::string& key)
{
    std::size_t at = listing.find("  " + key + ":");
    if (at == std::string::npos) return "<no " + key + ">";
    at = listing.find_first_not_of(' ', at + key.size() + 3);
    return listing.substr(at, listing.find('\n', at) - at);
}

// What unzip and zipinfo must say of an archive this program wrote with one
// member: sound, deflated, written as MS-DOS zip 2.0, no directory in the
// name, the CRC of the source, and the source's bytes on extraction.
void ExpectStandardReaderAgrees(const std::string& archive, const std::string& source, std::size_t nameLength)
{
    TToolRun test = Tool("unzip -t " + Quoted(archive));
    EXPECT_EQ(test.code, 0) << test.out;
    EXPECT_TRUE(Has(test.out, "No errors detected")) << test.out;

    TToolRun info = Tool("zipinfo -v " + Quoted(archive));
    EXPECT_EQ(info.code, 0) << info.out;
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", ZlibCrc(source));
    const std::vector<std::pair<std::string, std::string>> fields{
        {"compression method", "deflated"},
        {"32-bit CRC value (hex)", crc},
        {"uncompressed size", std::to_string(source.size()) + " bytes"},
        {"length of filename", std::to_string(nameLength) + " characters"},
        {"length of extra field", "0 bytes"},
        {"file system or operating system of origin", "MS-DOS, OS/2 or NT FAT"},
        {"version of encoding software", "2.0"},
        {"minimum software version required to extract", "2.0"},
        {"extended local header", "no"},
        {"file security status", "not encrypted"},
        {"file last modified on (DOS date/time)", "2025 Mar 14 13:45:58"},
        {"offset of local header from start of archive", "0"}};
    for (const auto& [key, value] : fields) EXPECT_EQ(ZipinfoField(info.out, key), value) << info.out;
    EXPECT_TRUE(Has(info.out, "central directory contains 1 entry")) << info.out;
    EXPECT_TRUE(Has(info.out, "There is no zipfile comment.")) << info.out;
    EXPECT_FALSE(Has(info.out, "Central directory entry #2")) << info.out;

    TToolRun names = Tool("zipinfo -1 " + Quoted(archive));
    EXPECT_EQ(names.code, 0);
    EXPECT_EQ(std::count(names.out.begin(), names.out.end(), '\n'), 1) << names.out;
    EXPECT_FALSE(Has(names.out, "/")) << names.out;

    TToolRun extracted = Tool("unzip -p " + Quoted(archive));
    EXPECT_EQ(extracted.code, 0);
    EXPECT_TRUE(extracted.out == source) << "unzip -p gave " << extracted.out.size() << " bytes";
}

// -------------------------------------------------------------- test inputs

constexpr TLocalTime kAdded{2024, 3, 15, 10, 20, 30};
constexpr TLocalTime kDataSet{2025, 3, 14, 13, 45, 58};
constexpr std::uint32_t kDataSetDos = (45u * 512 + 3 * 32 + 14) << 16 | (13u * 2048 + 45 * 32 + 29);

// The clock reads kAdded first and kDataSet ever after, so a test sees which
// reading each field took.
TLocalClock TwoReadings()
{
    auto readings = std::make_shared<int>(0);
    return [readings] { return (*readings)++ == 0 ? kAdded : kDataSet; };
}

// A statement file's shape: 150-character lines of digits, Greek capitals
// and blanks ending in CR LF, about `megabytes` large.
std::string StatementLike(double megabytes)
{
    std::mt19937 random(1253);
    const std::vector<std::string> words{G("ΠΑΠΑΔΟΠΟΥΛΟΣ"), G("ΓΕΩΡΓΙΟΥ"),   G("ΕΜΠΟΡΙΟ"), G("ΑΘΗΝΑ"),
                                         G("ΘΕΣΣΑΛΟΝΙΚΗ"),  G("ΟΔΟΣ ΕΡΜΟΥ"), G("ΑΕ"),      G("ΚΑΤΑΣΤΗΜΑ")};
    std::string text;
    const std::size_t size = static_cast<std::size_t>(megabytes * 1e6);
    text.reserve(size + 152);
    for (int row = 1; text.size() < size; ++row) {
        std::string line =
            "2" + std::to_string(100000 + row).substr(1) + std::to_string(random() % 900000000 + 100000000);
        while (line.size() < 130) line += words[random() % words.size()] + " ";
        line.resize(134, ' ');
        line += std::to_string(random() % 9000000000000000 + 1000000000000000);
        text += line + "\r\n";
    }
    return text;
}

// ------------------------------------------------------ fields of an archive

// Every field of a one-member archive of `data` named `name`, as the writer
// must lay it out.
void ExpectOneMemberArchive(const std::string& bytes, const std::string& name, const std::string& data)
{
    TArchive archive = Parse(bytes);
    ASSERT_EQ(archive.locals.size(), 1u);
    ASSERT_EQ(archive.centrals.size(), 1u);
    const TLocal& local = archive.locals[0];
    EXPECT_EQ(local.at, 0u);
    EXPECT_EQ(local.fields.versionNeeded, 20);
    EXPECT_EQ(local.fields.flag, 0) << "no UTF-8 flag, no data descriptor, no encryption";
    EXPECT_EQ(local.fields.method, 8);
    EXPECT_EQ(local.fields.dosDateTime, kDataSetDos) << "the time of SetMemberData, not of AddMember";
    EXPECT_EQ(local.fields.crc32, ZlibCrc(data));
    EXPECT_EQ(local.fields.compressedSize, local.data.size());
    EXPECT_EQ(local.fields.uncompressedSize, data.size());
    EXPECT_EQ(local.fields.nameLength, name.size());
    EXPECT_EQ(local.fields.extraLength, 0);
    EXPECT_EQ(local.name, name);
    EXPECT_TRUE(Inflated(local.data, data.size()) == data);

    const TCentral& central = archive.centrals[0];
    EXPECT_EQ(central.versionMadeBy, 20);
    EXPECT_TRUE(SameFields(central.fields, local.fields));
    EXPECT_EQ(central.commentLength, 0);
    EXPECT_EQ(central.diskNumberStart, 0);
    EXPECT_EQ(central.internalAttributes, 0);
    EXPECT_EQ(central.externalAttributes, 0u);
    EXPECT_EQ(central.localHeaderOffset, 0u);
    EXPECT_EQ(central.name, name);

    EXPECT_EQ(archive.centralAt, 30 + name.size() + local.data.size()) << "the directory right after the data";
    const TEnd& end = archive.end;
    EXPECT_EQ(end.disk, 0);
    EXPECT_EQ(end.centralDisk, 0);
    EXPECT_EQ(end.recordsOnDisk, 1);
    EXPECT_EQ(end.records, 1);
    EXPECT_EQ(end.centralOffset, archive.centralAt);
    EXPECT_EQ(end.centralSize, 46 + name.size());
    EXPECT_EQ(end.at, archive.centralAt + end.centralSize);
    EXPECT_EQ(end.commentLength, 0);
}

class ZipFileTest : public ::testing::Test {
protected:
    // Packs `data`, saved under the UTF-8 file name `fileName`, with the
    // command; returns the archive's bytes.
    std::string PackFile(const std::string& fileName, const std::string& data)
    {
        source = dir.File(fileName);
        WriteBytes(source, data);
        archive = DefaultArchivePath(source);
        ZipOneFile(source, archive, TwoReadings());
        return ReadBytes(archive);
    }

    TempDir dir;
    std::string source, archive;
};

TEST_F(ZipFileTest, GreekNameIsStoredInWindows1253WithoutTheUtf8Flag)
{
    const std::string data = "0IL01" + std::string(145, ' ') + "\r\n";
    std::string bytes = PackFile("ΔΗΛΩΣΗ.PIS", data);
    ASSERT_EQ(archive, dir.File("ΔΗΛΩΣΗ.PIS.zip"));
    const std::string stored = "\xC4\xC7\xCB\xD9\xD3\xC7.PIS";  // Δ Η Λ Ω Σ Η in Windows-1253
    ASSERT_EQ(G("ΔΗΛΩΣΗ.PIS"), stored);
    ExpectOneMemberArchive(bytes, stored, data);
    ExpectStandardReaderAgrees(archive, data, stored.size());
}

TEST_F(ZipFileTest, EmptyFileGivesTheEmptyDeflateStream)
{
    std::string bytes = PackFile("EMPTY.PIS", "");
    const std::size_t name = 9;
    EXPECT_EQ(bytes.size(), 22 + 30 + name + 2 + 46 + name);
    ExpectOneMemberArchive(bytes, "EMPTY.PIS", "");
    TArchive parsed = Parse(bytes);
    EXPECT_EQ(parsed.locals[0].fields.crc32, 0u);
    EXPECT_EQ(parsed.locals[0].fields.uncompressedSize, 0u);
    EXPECT_EQ(parsed.locals[0].fields.compressedSize, 2u);
    EXPECT_EQ(parsed.locals[0].data, std::string("\x03\x00", 2));
    ExpectStandardReaderAgrees(archive, "", name);
}

TEST_F(ZipFileTest, LargeStatementIsDeflatedAsZlibCompress2AtLevel6)
{
    const std::string data = StatementLike(15);
    ASSERT_GE(data.size(), 15'000'000u);
    std::string bytes = PackFile("094019245.PIS", data);
    ExpectOneMemberArchive(bytes, "094019245.PIS", data);
    TArchive parsed = Parse(bytes);
    EXPECT_TRUE(parsed.locals[0].data == Compress2Raw(data)) << "the deflated bytes differ from zlib's level 6";
    EXPECT_LT(parsed.locals[0].data.size(), data.size() / 3) << "the text must actually be compressed";
    ExpectStandardReaderAgrees(archive, data, 13);
}

TEST_F(ZipFileTest, IncompressibleDataRoundTrips)
{
    std::mt19937 random(7);
    std::string data(300'000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    std::string bytes = PackFile("RANDOM.BIN", data);
    ExpectOneMemberArchive(bytes, "RANDOM.BIN", data);
    EXPECT_TRUE(Parse(bytes).locals[0].data == Compress2Raw(data));
    ExpectStandardReaderAgrees(archive, data, 10);
}

// ------------------------------------------------------------- the writer

TEST(ZipWriter, Crc32IsZipsCrc)
{
    EXPECT_EQ(TZipFile::Crc32(""), 0u);
    EXPECT_EQ(TZipFile::Crc32("123456789"), 0xCBF43926u);
    const std::string text = StatementLike(0.01);
    EXPECT_EQ(TZipFile::Crc32(text), ZlibCrc(text));
}

TEST(ZipWriter, DosDateAndTimePacking)
{
    EXPECT_EQ(DosDateTime(kDataSet), kDataSetDos);
    EXPECT_EQ(DosDateTime({1980, 1, 1, 0, 0, 0}), 0x00210000u);
    EXPECT_EQ(DosDateTime({2107, 12, 31, 23, 59, 59}), (127u << 9 | 12 << 5 | 31) << 16 | (23u << 11 | 59 << 5 | 29));
    // Years the 7-bit field cannot hold go to its nearest end, never wrap.
    EXPECT_EQ(DosDateTime({1979, 12, 31, 23, 59, 59}), 0x00210000u);
    EXPECT_EQ(DosDateTime({2108, 1, 1, 0, 0, 0}), DosDateTime({2107, 12, 31, 23, 59, 58}));
}

TEST(ZipWriter, IndexOutOfRangeChangesNothing)
{
    TZipFile empty(TwoReadings());
    try {
        empty.SetMemberData(0, "x");
        FAIL() << "no error for a member that is not there";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "Index out of range.");
    }

    TZipFile zip(TwoReadings());
    zip.AddMember("A.PIS", 0);
    zip.SetMemberData(0, "data");
    std::ostringstream before;
    zip.WriteToStream(before);
    EXPECT_THROW(zip.SetMemberData(1, "other"), std::out_of_range);
    EXPECT_THROW(zip.SetMemberData(static_cast<std::size_t>(-1), "other"), std::out_of_range);
    std::ostringstream after;
    zip.WriteToStream(after);
    EXPECT_EQ(after.str(), before.str());
}

TEST(ZipWriter, MemberAddedWithoutDataKeepsTheAddTimeAndAttributes)
{
    TZipFile zip(TwoReadings());
    zip.AddMember("A", 0x20);
    std::ostringstream out;
    zip.WriteToStream(out);
    TArchive parsed = Parse(out.str());
    ASSERT_EQ(parsed.locals.size(), 1u);
    EXPECT_EQ(parsed.locals[0].fields.dosDateTime, DosDateTime(kAdded));
    EXPECT_EQ(parsed.locals[0].fields.crc32, 0u);
    EXPECT_EQ(parsed.locals[0].fields.compressedSize, 0u);
    EXPECT_EQ(parsed.centrals[0].externalAttributes, 0x20u);

    zip.SetMemberData(0, "data");
    std::ostringstream again;
    zip.WriteToStream(again);
    parsed = Parse(again.str());
    EXPECT_EQ(parsed.locals[0].fields.dosDateTime, kDataSetDos);
    EXPECT_EQ(parsed.centrals[0].externalAttributes, 0x20u) << "the attributes given to AddMember stay";
    EXPECT_TRUE(SameFields(parsed.centrals[0].fields, parsed.locals[0].fields));
}

TEST(ZipWriter, MembersFollowEachOtherAndOffsetsAreStreamPositions)
{
    TZipFile zip(TwoReadings());
    zip.AddMember("A.TXT", 0);
    zip.AddMember("B.TXT", 0);
    zip.SetMemberData(0, "first member");
    zip.SetMemberData(1, std::string(1000, 'b'));
    zip.SetComment(G("ΣΧΟΛΙΟ"));
    std::ostringstream out;
    out << "PREFIX";
    zip.WriteToStream(out);
    ASSERT_EQ(out.str().substr(0, 6), "PREFIX");

    TArchive parsed = TReader(out.str(), 6).Archive();
    ASSERT_EQ(parsed.locals.size(), 2u);
    ASSERT_EQ(parsed.centrals.size(), 2u);
    EXPECT_EQ(parsed.centrals[0].localHeaderOffset, 6u);
    EXPECT_EQ(parsed.centrals[1].localHeaderOffset, parsed.locals[1].at);
    EXPECT_EQ(parsed.locals[1].at, 6 + 30 + 5 + parsed.locals[0].data.size());
    EXPECT_EQ(parsed.centrals[1].name, "B.TXT");
    EXPECT_EQ(Inflated(parsed.locals[1].data, 1000), std::string(1000, 'b'));
    EXPECT_EQ(parsed.end.records, 2);
    EXPECT_EQ(parsed.end.centralOffset, parsed.centralAt);
    EXPECT_EQ(parsed.end.centralSize, 2 * (46 + 5));
    EXPECT_EQ(parsed.end.comment, G("ΣΧΟΛΙΟ"));
    EXPECT_EQ(parsed.end.commentLength, 6);

    TempDir dir;
    // Offsets count the prefix, as in an archive behind a self-extractor.
    WriteBytes(dir.File("two.zip"), out.str());
    TToolRun test = Tool("unzip -t " + Quoted(dir.File("two.zip")));
    EXPECT_EQ(test.code, 0) << test.out;
    EXPECT_TRUE(Has(test.out, "testing: A.TXT") && Has(test.out, "testing: B.TXT")) << test.out;
}

// What the format's fields cannot hold is refused before anything changes.
TEST(ZipWriter, RefusesWhatTheFieldsCannotHold)
{
    TZipFile names(TwoReadings());
    names.AddMember(std::string(65535, 'n'), 0);
    EXPECT_THROW(names.AddMember(std::string(65536, 'n'), 0), EZipError);
    EXPECT_EQ(names.MemberCount(), 1u);
    EXPECT_THROW(names.SetComment(std::string(65536, 'c')), EZipError);

    TZipFile many([] { return kAdded; });
    for (int i = 0; i < 65535; ++i) many.AddMember("m", 0);
    try {
        many.AddMember("m", 0);
        FAIL() << "a 65,536th member was taken";
    } catch (const EZipError& error) {
        EXPECT_TRUE(Has(error.what(), "65.535 αρχεία")) << error.what();
    }
    EXPECT_EQ(many.MemberCount(), 65535u);
}

// 4 GiB of address space that is never touched: the size alone is refused.
TEST(ZipWriter, RefusesDataOf4GiB)
{
    const std::size_t size = std::size_t{1} << 32;
    void* region = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(region, MAP_FAILED);
    TZipFile zip(TwoReadings());
    zip.AddMember("BIG", 0);
    zip.SetMemberData(0, "small");
    std::ostringstream before;
    zip.WriteToStream(before);
    try {
        zip.SetMemberData(0, std::string_view(static_cast<const char*>(region), size));
        ADD_FAILURE() << "4 GiB of data was taken";
    } catch (const EZipError& error) {
        EXPECT_TRUE(Has(error.what(), "4 GiB")) << error.what();
    }
    ::munmap(region, size);
    std::ostringstream after;
    zip.WriteToStream(after);
    EXPECT_EQ(after.str(), before.str());
}

// ------------------------------------------------------------ the command

TEST(ZipCommand, DefaultArchiveNameAlwaysAppendsZip)
{
    EXPECT_EQ(DefaultArchivePath("X.PIS"), "X.PIS.zip");
    EXPECT_EQ(DefaultArchivePath("A.zip"), "A.zip.zip");
    EXPECT_EQ(DefaultArchivePath("/home/user/ΔΗΛΩΣΗ"), "/home/user/ΔΗΛΩΣΗ.zip");
}

TEST(ZipCommand, MemberNameIsTheFileNameInWindows1253)
{
    EXPECT_EQ(MemberNameFor("/home/user/statements/ΔΗΛΩΣΗ.PIS"), G("ΔΗΛΩΣΗ.PIS"));
    EXPECT_EQ(MemberNameFor("X.PIS"), "X.PIS");
    EXPECT_THROW(MemberNameFor("/home/user/"), EZipError);
    EXPECT_THROW(MemberNameFor("/tmp/файл.txt"), EZipError);  // Cyrillic: not in the code page
    // Legal Linux names that an extractor on Windows would read as paths.
    EXPECT_EQ(MemberNameFor("/tmp/..\\..\\evil.txt"), "______evil.txt");
    EXPECT_EQ(MemberNameFor("C:ΔΗΛΩΣΗ"), G("C_ΔΗΛΩΣΗ"));
    EXPECT_EQ(MemberNameFor("/tmp/a..b...PIS"), "a..b...PIS");
}

TEST(ZipCommand, RefusalsWriteNothing)
{
    TempDir dir;
    const std::string archive = dir.File("OUT.zip");
    // A source that is not there: the error names it, in Greek.
    try {
        ZipOneFile(dir.File("ΛΕΙΠΕΙ.PIS"), archive);
        FAIL() << "a missing file was packed";
    } catch (const EFileError& error) {
        EXPECT_TRUE(Has(error.what(), "Δεν ήταν δυνατό να διαβαστεί το αρχείο " + dir.File("ΛΕΙΠΕΙ.PIS")))
            << error.what();
        EXPECT_TRUE(Has(error.what(), "το αρχείο δεν υπάρχει")) << error.what();
        EXPECT_EQ(error.SystemError(), ENOENT);
    }
    // A folder is no file to pack.
    std::filesystem::create_directory(dir.File("FOLDER.PIS"));
    try {
        ZipOneFile(dir.File("FOLDER.PIS"), archive);
        FAIL() << "a folder was packed";
    } catch (const EFileError& error) {
        EXPECT_TRUE(Has(error.what(), "είναι φάκελος")) << error.what();
    }
    // A name Windows-1253 cannot hold.
    WriteBytes(dir.File("файл.txt"), "data");
    EXPECT_THROW(ZipOneFile(dir.File("файл.txt"), archive), EZipError);
    // A sparse file of 4 GiB, refused by its size before it is read.
    {
        std::ofstream(dir.File("BIG.PIS"));
        std::filesystem::resize_file(dir.File("BIG.PIS"), std::uintmax_t{1} << 32);
    }
    EXPECT_THROW(ZipOneFile(dir.File("BIG.PIS"), archive), EZipError);
    // A FIFO would hang the reading, a device fill the memory.
    ASSERT_EQ(::mkfifo(dir.File("FIFO.PIS").c_str(), 0600), 0);
    for (const std::string& device : {dir.File("FIFO.PIS"), std::string("/dev/zero")}) {
        try {
            ZipOneFile(device, archive);
            ADD_FAILURE() << device << " was packed";
        } catch (const EFileError& error) {
            EXPECT_TRUE(Has(error.what(), "δεν είναι κανονικό αρχείο")) << error.what();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(archive));
}

TEST(ZipCommand, FailedWriteLeavesTheEarlierArchiveWhole)
{
    TempDir dir;
    const std::string source = dir.File("X.PIS"), archive = dir.File("X.PIS.zip");
    WriteBytes(source, "small");
    ZipOneFile(source, archive, TwoReadings());
    const std::string earlier = ReadBytes(archive);

    std::mt19937 random(3);
    std::string large(400'000, '\0');
    for (char& c : large) c = static_cast<char>(random());
    WriteBytes(source, large);
    {
        FileSizeLimit limit(100'000);  // writes past this fail as on a full disk
        try {
            ZipOneFile(source, archive, TwoReadings());
            FAIL() << "the write past the limit succeeded";
        } catch (const EFileError& error) {
            EXPECT_TRUE(Has(error.what(), "Δεν ήταν δυνατό να γραφτεί το αρχείο " + archive)) << error.what();
            EXPECT_EQ(error.SystemError(), EFBIG);
        }
    }
    EXPECT_EQ(ReadBytes(archive), earlier);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 2u) << "the half-written archive was left behind";

    // A folder that is not there: the error names the archive.
    try {
        ZipOneFile(source, dir.File("no/such/A.zip"));
        FAIL() << "an archive was written into a missing folder";
    } catch (const EFileError& error) {
        EXPECT_TRUE(Has(error.what(), dir.File("no/such/A.zip"))) << error.what();
    }
}

TEST(ZipCommand, ReplacesAnExistingArchive)
{
    TempDir dir;
    WriteBytes(dir.File("X.PIS"), "new contents");
    WriteBytes(dir.File("X.PIS.zip"), "not an archive at all");
    ZipOneFile(dir.File("X.PIS"), dir.File("X.PIS.zip"), TwoReadings());
    ExpectOneMemberArchive(ReadBytes(dir.File("X.PIS.zip")), "X.PIS", "new contents");
}

}  // namespace
