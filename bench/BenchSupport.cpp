#include "BenchSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>

namespace epinax::bench {

void Require(bool condition, const std::string& what)
{
    if (!condition) throw std::runtime_error("benchmark check failed: " + what);
}

// ---------------------------------------------------------------------------
// The plain system calls.

std::string PlainRead(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    struct stat info {};
    ::fstat(fd, &info);
    std::string bytes(static_cast<size_t>(info.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

void PlainWrite(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put <= 0) break;
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    ::close(fd);
    if (!bytes.empty()) throw std::runtime_error("cannot write " + path);
}

void PlainCopy(const std::string& source, const std::string& destination)
{
    PlainWrite(destination, PlainRead(source));
}

// As Save As makes a statement file last: the bytes on the disk before the
// name, the name on the disk before done.
void PlainDurableCopy(const std::string& source, const std::string& destination)
{
    PlainCopy(source, destination);
    for (const std::string& path : {destination, std::filesystem::path(destination).parent_path().string()}) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) throw std::runtime_error("cannot sync " + path);
        ::close(fd);
    }
}

// ---------------------------------------------------------------------------

TempDir::TempDir()
{
    std::string pattern = "/tmp/epinax-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a directory under /tmp");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

// ---------------------------------------------------------------------------
// Greek texts.

std::string CapitalsToCp1253(std::string_view utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            continue;
        }
        if (i + 1 >= utf8.size()) throw std::logic_error("truncated UTF-8 in a sample word");
        const char32_t code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        if (code < U'Α' || code > U'Ω') throw std::logic_error("sample words hold only capital Greek letters");
        out += static_cast<char>(0xC1 + (code - U'Α'));
    }
    return out;
}

namespace {

std::vector<std::string> Cp1253Words(std::initializer_list<std::string_view> words)
{
    std::vector<std::string> out;
    for (std::string_view word : words) out.push_back(CapitalsToCp1253(word));
    return out;
}

}  // namespace

Vocabulary::Vocabulary()
    : surnames(Cp1253Words({
          "ΠΑΠΑΔΟΠΟΥΛΟΣ",   "ΓΕΩΡΓΙΟΥ",  "ΝΙΚΟΛΑΟΥ",     "ΟΙΚΟΝΟΜΟΥ",    "ΔΗΜΗΤΡΙΟΥ",   "ΙΩΑΝΝΙΔΗΣ",
          "ΚΩΝΣΤΑΝΤΙΝΙΔΗΣ", "ΒΑΣΙΛΕΙΟΥ", "ΜΑΚΡΗΣ",       "ΠΑΠΠΑΣ",       "ΚΑΡΑΓΙΑΝΝΗΣ", "ΑΘΑΝΑΣΙΟΥ",
          "ΧΑΤΖΗΣ",         "ΘΕΟΔΩΡΟΥ",  "ΣΤΑΥΡΟΠΟΥΛΟΣ", "ΜΙΧΑΗΛΙΔΗΣ",   "ΑΛΕΞΙΟΥ",     "ΨΑΡΡΑΣ",
          "ΖΑΦΕΙΡΙΟΥ",      "ΦΩΤΙΟΥ",    "ΚΥΡΙΑΚΟΥ",     "ΛΑΜΠΡΟΠΟΥΛΟΣ", "ΤΣΑΚΙΡΗΣ",    "ΞΕΝΟΣ",
      })),
      firstNames(Cp1253Words({
          "ΓΙΑΝΝΗΣ",
          "ΜΑΡΙΑ",
          "ΝΙΚΟΣ",
          "ΕΛΕΝΗ",
          "ΚΩΣΤΑΣ",
          "ΑΙΚΑΤΕΡΙΝΗ",
          "ΔΗΜΗΤΡΗΣ",
          "ΣΟΦΙΑ",
          "ΓΙΩΡΓΟΣ",
          "ΑΝΝΑ",
          "ΠΑΝΑΓΙΩΤΗΣ",
          "ΧΡΥΣΑ",
          "ΕΥΑΓΓΕΛΟΣ",
          "ΒΑΣΙΛΙΚΗ",
      })),
      tradeWords(Cp1253Words({
          "ΔΟΜΙΚΗ",
          "ΕΜΠΟΡΙΚΗ",
          "ΤΕΧΝΙΚΗ",
          "ΤΡΟΦΙΜΑ",
          "ΜΕΤΑΦΟΡΙΚΗ",
          "ΞΥΛΕΙΑ",
          "ΧΡΩΜΑΤΑ",
      })),
      companyForms(Cp1253Words({"ΑΕ", "ΕΠΕ", "ΙΚΕ", "ΟΕ", "ΚΑΙ ΣΙΑ ΕΕ"})),
      professions(Cp1253Words({
          "ΕΜΠΟΡΙΟ",
          "ΚΑΤΑΣΚΕΥΕΣ",
          "ΕΣΤΙΑΣΗ",
          "ΜΕΤΑΦΟΡΕΣ",
          "ΛΟΓΙΣΤΙΚΑ",
          "ΦΑΡΜΑΚΕΙΟ",
          "ΠΑΝΤΟΠΩΛΕΙΟ",
          "ΗΛΕΚΤΡΟΛΟΓΟΣ",
          "ΥΔΡΑΥΛΙΚΟΣ",
          "ΧΟΝΔΡΕΜΠΟΡΙΟ",
      })),
      cities(Cp1253Words({
          "ΑΘΗΝΑ",
          "ΘΕΣ/ΝΙΚΗ",
          "ΠΕΙΡΑΙΑΣ",
          "ΠΑΤΡΑ",
          "ΛΑΡΙΣΑ",
          "ΒΟΛΟΣ",
          "ΧΑΝΙΑ",
          "ΚΑΒΑΛΑ",
          "ΙΩΑΝΝΙΝΑ",
          "ΣΕΡΡΕΣ",
          "ΚΟΖΑΝΗ",
          "ΗΡΑΚΛΕΙΟ",
      })),
      streets(Cp1253Words({
          "ΕΡΜΟΥ",
          "ΣΤΑΔΙΟΥ",
          "ΑΚΑΔΗΜΙΑΣ",
          "ΠΑΤΗΣΙΩΝ",
          "ΕΓΝΑΤΙΑΣ",
          "ΤΣΙΜΙΣΚΗ",
          "ΚΗΦΙΣΙΑΣ",
          "ΒΕΝΙΖΕΛΟΥ",
          "ΜΗΤΡΟΠΟΛΕΩΣ",
          "ΑΓΙΟΥ ΔΗΜΗΤΡΙΟΥ",
          "28ΗΣ ΟΚΤΩΒΡΙΟΥ",
          "ΚΟΡΑΗ",
      }))
{
}

// ---------------------------------------------------------------------------

namespace {

struct Timing {
    Seconds measured;
    Seconds reference;
};

// The two sides take turns, so a slow patch of the machine hits both alike.
Timing BestOf(const Figure& figure)
{
    Timing best{figure.measured(), figure.reference()};
    for (int i = 1; i < figure.repetitions; ++i) {
        best.measured = std::min(best.measured, figure.measured());
        best.reference = std::min(best.reference, figure.reference());
    }
    return best;
}

}  // namespace

// EPINAX_BENCH_SECONDS=1 also shows both sides in milliseconds on stderr,
// for telling a slower program from a faster reference.
void Report(const std::vector<Figure>& figures)
{
    const bool showSeconds = std::getenv("EPINAX_BENCH_SECONDS") != nullptr;
    for (const Figure& figure : figures) {
        const Timing best = BestOf(figure);
        std::printf("%s: ratio=%.2f (compared with %s)\n", figure.name.c_str(), best.measured / best.reference,
                    figure.comparedWith.c_str());
        std::fflush(stdout);
        if (showSeconds)
            std::fprintf(stderr, "  %s: %.1f ms against %.1f ms\n", figure.name.c_str(), best.measured * 1e3,
                         best.reference * 1e3);
    }
}

}  // namespace epinax::bench
