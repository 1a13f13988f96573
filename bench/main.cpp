// epinax-bench: how the record store compares with the plain system calls it
// is built on. Every figure is a ratio against a reference timed in the same
// run on the same file, so the numbers travel between machines; each side is
// the best of several repetitions, which keeps a busy neighbour from showing
// up as a slowdown.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "record_store/SdfData.h"

namespace {

using epinax::TFixedFormatDataSet;
using Seconds = double;

constexpr int kRecordCount = 99'999;
constexpr int kRecordLength = 150;
constexpr int kRepetitions = 15;

struct FieldSpec {
    const char* name;
    int width;
};

// The counterparty record of the statement file: 150 bytes.
constexpr std::array<FieldSpec, 13> kCounterpartyFields{{
    {"RecordType", 1}, {"AA", 5}, {"AFMCust", 9}, {"NameCust", 27}, {"ProfCust", 15},
    {"Ypovolh", 1}, {"City", 10}, {"Street", 16}, {"StreetNo", 3}, {"TK", 5},
    {"NoTimologion", 7}, {"Value", 16}, {"FILLER", 35},
}};

std::vector<std::string> CounterpartySchema()
{
    std::vector<std::string> lines;
    for (const FieldSpec& field : kCounterpartyFields)
        lines.push_back(std::string(field.name) + "=" + std::to_string(field.width));
    return lines;
}

// ---------------------------------------------------------------------------
// Greek texts. The sample words are typed here in UTF-8 for readability and
// turned into Windows-1253 by a converter that knows only what they use:
// ASCII and the capital Greek letters, which the code page keeps in the same
// order from 0xC1 on. The core's own converter is deliberately not used, so a
// fault there cannot skew the data the store is timed on.

std::string CapitalsToCp1253(std::string_view utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            continue;
        }
        if (i + 1 >= utf8.size())
            throw std::logic_error("truncated UTF-8 in a sample word");
        const char32_t code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        if (code < U'Α' || code > U'Ω')
            throw std::logic_error("sample words hold only capital Greek letters");
        out += static_cast<char>(0xC1 + (code - U'Α'));
    }
    return out;
}

std::vector<std::string> Cp1253Words(std::initializer_list<std::string_view> words)
{
    std::vector<std::string> out;
    for (std::string_view word : words)
        out.push_back(CapitalsToCp1253(word));
    return out;
}

struct Vocabulary {
    std::vector<std::string> surnames = Cp1253Words({
        "ΠΑΠΑΔΟΠΟΥΛΟΣ", "ΓΕΩΡΓΙΟΥ", "ΝΙΚΟΛΑΟΥ", "ΟΙΚΟΝΟΜΟΥ", "ΔΗΜΗΤΡΙΟΥ", "ΙΩΑΝΝΙΔΗΣ",
        "ΚΩΝΣΤΑΝΤΙΝΙΔΗΣ", "ΒΑΣΙΛΕΙΟΥ", "ΜΑΚΡΗΣ", "ΠΑΠΠΑΣ", "ΚΑΡΑΓΙΑΝΝΗΣ", "ΑΘΑΝΑΣΙΟΥ",
        "ΧΑΤΖΗΣ", "ΘΕΟΔΩΡΟΥ", "ΣΤΑΥΡΟΠΟΥΛΟΣ", "ΜΙΧΑΗΛΙΔΗΣ", "ΑΛΕΞΙΟΥ", "ΨΑΡΡΑΣ",
        "ΖΑΦΕΙΡΙΟΥ", "ΦΩΤΙΟΥ", "ΚΥΡΙΑΚΟΥ", "ΛΑΜΠΡΟΠΟΥΛΟΣ", "ΤΣΑΚΙΡΗΣ", "ΞΕΝΟΣ",
    });
    std::vector<std::string> firstNames = Cp1253Words({
        "ΓΙΑΝΝΗΣ", "ΜΑΡΙΑ", "ΝΙΚΟΣ", "ΕΛΕΝΗ", "ΚΩΣΤΑΣ", "ΑΙΚΑΤΕΡΙΝΗ", "ΔΗΜΗΤΡΗΣ",
        "ΣΟΦΙΑ", "ΓΙΩΡΓΟΣ", "ΑΝΝΑ", "ΠΑΝΑΓΙΩΤΗΣ", "ΧΡΥΣΑ", "ΕΥΑΓΓΕΛΟΣ", "ΒΑΣΙΛΙΚΗ",
    });
    std::vector<std::string> tradeWords = Cp1253Words({
        "ΔΟΜΙΚΗ", "ΕΜΠΟΡΙΚΗ", "ΤΕΧΝΙΚΗ", "ΤΡΟΦΙΜΑ", "ΜΕΤΑΦΟΡΙΚΗ", "ΞΥΛΕΙΑ", "ΧΡΩΜΑΤΑ",
    });
    std::vector<std::string> companyForms = Cp1253Words({"ΑΕ", "ΕΠΕ", "ΙΚΕ", "ΟΕ", "ΚΑΙ ΣΙΑ ΕΕ"});
    std::vector<std::string> professions = Cp1253Words({
        "ΕΜΠΟΡΙΟ", "ΚΑΤΑΣΚΕΥΕΣ", "ΕΣΤΙΑΣΗ", "ΜΕΤΑΦΟΡΕΣ", "ΛΟΓΙΣΤΙΚΑ", "ΦΑΡΜΑΚΕΙΟ",
        "ΠΑΝΤΟΠΩΛΕΙΟ", "ΗΛΕΚΤΡΟΛΟΓΟΣ", "ΥΔΡΑΥΛΙΚΟΣ", "ΧΟΝΔΡΕΜΠΟΡΙΟ",
    });
    std::vector<std::string> cities = Cp1253Words({
        "ΑΘΗΝΑ", "ΘΕΣ/ΝΙΚΗ", "ΠΕΙΡΑΙΑΣ", "ΠΑΤΡΑ", "ΛΑΡΙΣΑ", "ΒΟΛΟΣ", "ΧΑΝΙΑ",
        "ΚΑΒΑΛΑ", "ΙΩΑΝΝΙΝΑ", "ΣΕΡΡΕΣ", "ΚΟΖΑΝΗ", "ΗΡΑΚΛΕΙΟ",
    });
    std::vector<std::string> streets = Cp1253Words({
        "ΕΡΜΟΥ", "ΣΤΑΔΙΟΥ", "ΑΚΑΔΗΜΙΑΣ", "ΠΑΤΗΣΙΩΝ", "ΕΓΝΑΤΙΑΣ", "ΤΣΙΜΙΣΚΗ", "ΚΗΦΙΣΙΑΣ",
        "ΒΕΝΙΖΕΛΟΥ", "ΜΗΤΡΟΠΟΛΕΩΣ", "ΑΓΙΟΥ ΔΗΜΗΤΡΙΟΥ", "28ΗΣ ΟΚΤΩΒΡΙΟΥ", "ΚΟΡΑΗ",
    });
};

// ---------------------------------------------------------------------------
// The record file.

class RecordGenerator {
public:
    // A fixed seed: every run times the same file.
    RecordGenerator() : random_(1253) {}

    std::string NextLine()
    {
        std::string line;
        line.reserve(kRecordLength + 2);
        const std::array<std::string, 13> values{
            "2", "", Afm(), Name(), Pick(words_.professions), "0", Pick(words_.cities),
            Pick(words_.streets), std::to_string(Between(1, 199)), std::to_string(Between(10000, 85999)),
            std::to_string(Between(1, 400)), Amount(), "",
        };
        for (size_t i = 0; i < values.size(); ++i)
            line += Padded(values[i], kCounterpartyFields[i].width);
        return line + "\r\n";
    }

private:
    static std::string Padded(std::string text, int width)
    {
        text.resize(static_cast<size_t>(width), ' ');
        return text;
    }

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    const std::string& Pick(const std::vector<std::string>& list)
    {
        return list[static_cast<size_t>(Between(0, static_cast<int>(list.size()) - 1))];
    }

    // Nine digits whose last is the check digit, so the numbers pass the
    // program's own validation; never all zeros, which the miss lookup seeks.
    std::string Afm()
    {
        std::string digits = std::to_string(Between(1, 9));
        for (int i = 0; i < 7; ++i)
            digits += static_cast<char>('0' + Between(0, 9));
        int sum = 0;
        for (int i = 0; i < 8; ++i)
            sum += (digits[static_cast<size_t>(i)] - '0') << (8 - i);
        return digits + static_cast<char>('0' + sum % 11 % 10);
    }

    std::string Name()
    {
        if (Between(0, 2) == 0)
            return Pick(words_.tradeWords) + " " + Pick(words_.surnames) + " " + Pick(words_.companyForms);
        return Pick(words_.surnames) + " " + Pick(words_.firstNames);
    }

    // The amount as the program writes it: a comma and only the decimals
    // that matter (1234,5; 12; 0,75).
    std::string Amount()
    {
        const int cents = Between(1, 5'000'000);
        std::string text = std::to_string(cents / 100);
        const int fraction = cents % 100;
        if (fraction % 10 != 0)
            text += "," + std::string(fraction < 10 ? "0" : "") + std::to_string(fraction);
        else if (fraction != 0)
            text += "," + std::to_string(fraction / 10);
        return text;
    }

    Vocabulary words_;
    std::mt19937 random_;
};

// Written in slices so that the generator's own memory stays small and does
// not cloud the peak-memory figure taken right after.
void GenerateRecordFile(const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    RecordGenerator generator;
    std::string slice;
    for (int i = 0; i < kRecordCount; ++i) {
        slice += generator.NextLine();
        if (slice.size() >= (1u << 20)) {
            out.write(slice.data(), static_cast<std::streamsize>(slice.size()));
            slice.clear();
        }
    }
    out.write(slice.data(), static_cast<std::streamsize>(slice.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

// ---------------------------------------------------------------------------
// The references: the plain system calls.

std::string PlainRead(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    struct stat info {};
    ::fstat(fd, &info);
    std::string bytes(static_cast<size_t>(info.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

void PlainWrite(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put <= 0)
            break;
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    ::close(fd);
    if (!bytes.empty())
        throw std::runtime_error("cannot write " + path);
}

// ---------------------------------------------------------------------------
// The run.

class TempDir {
public:
    TempDir()
    {
        std::string pattern = "/tmp/epinax-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a directory under /tmp");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

struct Context {
    std::string dir;
    std::string recordFile;
    std::string fileBytes;  // the record file as plain read() returns it
    int outputs = 0;

    std::string NewOutputPath() { return dir + "/output-" + std::to_string(++outputs) + ".txt"; }
};

template <typename Work>
Seconds Timed(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<Seconds>(std::chrono::steady_clock::now() - start).count();
}

void Require(bool condition, const std::string& what)
{
    if (!condition)
        throw std::runtime_error("benchmark check failed: " + what);
}

std::unique_ptr<TFixedFormatDataSet> OpenStore(const std::string& path)
{
    auto store = std::make_unique<TFixedFormatDataSet>("Counterparties");
    store->SetFileName(path);
    store->SetSchema(CounterpartySchema());
    store->Open();
    Require(store->RecordCount() == kRecordCount, "record count after open");
    return store;
}

Seconds StoreOpen(Context& context)
{
    TFixedFormatDataSet store("Counterparties");
    const Seconds spent = Timed([&] {
        store.SetFileName(context.recordFile);
        store.SetSchema(CounterpartySchema());
        store.Open();
    });
    Require(store.RecordCount() == kRecordCount, "record count after open");
    return spent;
}

Seconds ReferenceRead(Context& context)
{
    size_t size = 0;
    const Seconds spent = Timed([&] { size = PlainRead(context.recordFile).size(); });
    Require(size == context.fileBytes.size(), "plain read size");
    return spent;
}

Seconds StorePostSaveAs(Context& context)
{
    auto store = OpenStore(context.recordFile);
    store->SetRecNo(kRecordCount / 2);
    const std::string output = context.NewOutputPath();
    const Seconds spent = Timed([&] {
        store->Edit();
        store->FieldByName("Value").SetAsString("1,5");
        store->Post();
        store->SaveAs(output);
    });
    store.reset();
    std::filesystem::remove(output);
    return spent;
}

Seconds ReferenceWrite(Context& context)
{
    const std::string output = context.NewOutputPath();
    const Seconds spent = Timed([&] { PlainWrite(output, context.fileBytes); });
    std::filesystem::remove(output);
    return spent;
}

Seconds StoreFindRecordMiss(Context& context)
{
    auto store = OpenStore(context.recordFile);
    bool found = true;
    const Seconds spent = Timed([&] { found = store->FindRecord("AFMCust", {"000000000"}, false, false); });
    Require(!found, "the all-zeros tax number must not be found");
    return spent;
}

// One figure: what is timed, and the plain work it is set against.
struct Figure {
    const char* name;
    const char* comparedWith;
    std::function<Seconds(Context&)> measured;
    std::function<Seconds(Context&)> reference;
};

const std::vector<Figure>& Figures()
{
    static const std::vector<Figure> figures{
        {"open", "plain read() of the same file", StoreOpen, ReferenceRead},
        {"post-saveas", "plain write() of the same bytes to a new file", StorePostSaveAs, ReferenceWrite},
        {"findrecord-miss", "plain read() of the same file", StoreFindRecordMiss, ReferenceRead},
    };
    return figures;
}

struct Timing {
    Seconds measured;
    Seconds reference;
};

// The two sides take turns, so a slow patch of the machine hits both alike.
Timing BestOf(const Figure& figure, Context& context)
{
    Timing best{figure.measured(context), figure.reference(context)};
    for (int i = 1; i < kRepetitions; ++i) {
        best.measured = std::min(best.measured, figure.measured(context));
        best.reference = std::min(best.reference, figure.reference(context));
    }
    return best;
}

// VmHWM: the most resident memory the process has had so far.
double PeakResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0.0;
}

// Taken before any figure runs, so the peak is that of the process with one
// full store open (the generator's slices aside), not of the timing loops.
double PeakWithOneStoreOpen(const Context& context)
{
    auto store = OpenStore(context.recordFile);
    return PeakResidentMegabytes();
}

int Run()
{
    TempDir temp;
    Context context{temp.Path(), temp.Path() + "/counterparties.txt", {}, 0};
    GenerateRecordFile(context.recordFile);
    const double peakMegabytes = PeakWithOneStoreOpen(context);

    context.fileBytes = PlainRead(context.recordFile);
    Require(context.fileBytes.size() == size_t{kRecordCount} * (kRecordLength + 2), "generated file size");

    for (const Figure& figure : Figures()) {
        const Timing best = BestOf(figure, context);
        std::printf("%s: ratio=%.2f (compared with %s)\n", figure.name, best.measured / best.reference,
                    figure.comparedWith);
        std::fflush(stdout);
    }
    std::printf("peak-memory: MB=%.1f\n", peakMegabytes);
    return 0;
}

}  // namespace

int main()
{
    try {
        return Run();
    } catch (const std::exception& error) {
        std::cerr << "epinax-bench: " << error.what() << '\n';
        return 1;
    }
}
