// What every figure of the benchmark shares: the clock, the plain system
// calls the figures are set against, scratch directories, and the Greek
// sample words the generated files are made of.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace epinax::bench {

using Seconds = double;

template <typename Work>
Seconds Timed(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<Seconds>(std::chrono::steady_clock::now() - start).count();
}

// Throws when a figure did not do what it claims to time.
void Require(bool condition, const std::string& what);

// The references: the plain system calls, whole files at a time.
std::string PlainRead(const std::string& path);
void PlainWrite(const std::string& path, std::string_view bytes);
// open/read/write/close of `source` into a new file `destination`.
void PlainCopy(const std::string& source, const std::string& destination);
void PlainDurableCopy(const std::string& source, const std::string& destination);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// One figure: what is timed, and the plain work it is set against. Each
// returns the seconds of the timed part only, so a side may restore its
// state before or after without the restoring counting.
struct Figure {
    std::string name;
    std::string comparedWith;
    int repetitions;
    std::function<Seconds()> measured;
    std::function<Seconds()> reference;
};

// ---------------------------------------------------------------------------
// Greek texts. The sample words are typed in UTF-8 for readability and turned
// into Windows-1253 by a converter that knows only what they use: ASCII and
// the capital Greek letters, which the code page keeps in the same order from
// 0xC1 on. The core's own converter is deliberately not used, so a fault there
// cannot skew the data the program is timed on.

std::string CapitalsToCp1253(std::string_view utf8);

struct Vocabulary {
    Vocabulary();

    std::vector<std::string> surnames, firstNames, tradeWords, companyForms, professions, cities, streets;
};

// Times each figure, the best of its repetitions on both sides, and prints
// "NAME: ratio=R (compared with WHAT)".
void Report(const std::vector<Figure>& figures);

}  // namespace epinax::bench
