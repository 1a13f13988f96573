#include "StatementGenerator.h"

#include <cstdint>
#include <fstream>
#include <random>
#include <stdexcept>
#include <unordered_set>
#include <vector>

#include "BenchSupport.h"

namespace epinax::bench {

namespace {

constexpr size_t kLine = 150;
// Where the rows' invoice count and value (in cents) stand inside the tail,
// the part of a row after the tax number (from position 16).
constexpr size_t kTailStart = 15;
constexpr size_t kInvoicesInTail = 92 - kTailStart;
constexpr size_t kCentsInTail = 99 - kTailStart;

std::string Padded(std::string text, size_t width)
{
    text.resize(width, ' ');
    return text;
}

std::string Zeros(std::int64_t value, size_t width)
{
    std::string digits = std::to_string(value);
    if (digits.size() > width) throw std::logic_error("a generated number does not fit its field");
    return std::string(width - digits.size(), '0') + digits;
}

std::string FormLine() { return Padded("0IL01    20250314", kLine); }

std::string HeaderLine()
{
    const Vocabulary words;
    std::string line = "1" + std::string("2024") + "1101" + Padded("", 6);
    line += Padded(words.tradeWords[1] + " " + words.companyForms[0], 18) + kOwnAfm;
    line += Padded(words.professions[9], 16) + Padded(words.cities[0], 10) + Padded(words.streets[1], 16);
    line += Padded("12", 3) + "10564" + "2101234567" + Padded("", 10);
    line += Padded("info@example.gr", 34) + "   E";
    return line;
}

// The rows of one list. Tails are kept to make them distinct or to repeat
// them; the totals are summed from the rows as written.
class ListGenerator {
public:
    ListGenerator(char type, int afmBase, Tails tails, unsigned seed)
        : type_(type), afmBase_(afmBase), tails_(tails), random_(seed)
    {
    }

    std::string Row(int row)
    {
        std::string tail = TailFor(row);
        invoices_ += std::stoll(tail.substr(kInvoicesInTail, 7));
        cents_ += std::stoll(tail.substr(kCentsInTail, 16));
        return std::string(1, type_) + Zeros(row, 5) + ValidAfm(afmBase_ + row) + tail;
    }

    // Line type 3 or 5, with a public-sector value of 1234,50.
    std::string TotalsLine() const
    {
        constexpr std::int64_t kPublicCents = 123450;
        std::string line = std::string(1, static_cast<char>(type_ + 1)) + "999999011" + Zeros(kPublicCents, 16);
        line += "999999999" + Zeros(invoices_, 16) + Zeros(cents_ + kPublicCents, 16);
        return Padded(line, kLine);
    }

private:
    // One row in twenty takes the tail of an earlier row, so that about one
    // row in ten shares its tail; every other tail is new.
    std::string TailFor(int row)
    {
        if (tails_ == Tails::OneInTenRepeated && row % 20 == 0 && !originals_.empty())
            return originals_[static_cast<size_t>(Between(0, static_cast<int>(originals_.size()) - 1))];
        std::string tail = NewTail();
        while (!seen_.insert(tail).second) tail = NewTail();
        if (tails_ == Tails::OneInTenRepeated) originals_.push_back(tail);
        return tail;
    }

    std::string NewTail()
    {
        std::string tail = Padded(Name(), 27) + Padded(Pick(words_.professions), 15);
        tail += Between(0, 3) == 0 ? "1" : "0";
        tail += Padded(Pick(words_.cities), 10) + Padded(Pick(words_.streets), 16);
        tail += Padded(std::to_string(Between(1, 199)), 3) + Zeros(Between(10000, 85999), 5);
        tail += Zeros(Between(1, 400), 7) + Zeros(Between(1, 5'000'000), 16);
        return Padded(tail, kLine - kTailStart);
    }

    std::string Name()
    {
        if (Between(0, 2) == 0)
            return Pick(words_.tradeWords) + " " + Pick(words_.surnames) + " " + Pick(words_.companyForms);
        return Pick(words_.surnames) + " " + Pick(words_.firstNames);
    }

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    const std::string& Pick(const std::vector<std::string>& list)
    {
        return list[static_cast<size_t>(Between(0, static_cast<int>(list.size()) - 1))];
    }

    char type_;
    int afmBase_;
    Tails tails_;
    std::mt19937 random_;
    Vocabulary words_;
    std::unordered_set<std::string> seen_;
    std::vector<std::string> originals_;
    std::int64_t invoices_ = 0;
    std::int64_t cents_ = 0;
};

// Lines go out in slices, so that the whole file is never held at once.
class LineWriter {
public:
    explicit LineWriter(const std::string& path) : path_(path), out_(path, std::ios::binary | std::ios::trunc) {}

    void Add(const std::string& line)
    {
        if (line.size() != kLine) throw std::logic_error("a generated line is not 150 characters");
        slice_ += line;
        slice_ += "\r\n";
        if (slice_.size() >= (1u << 20)) Flush();
    }

    void Finish()
    {
        Flush();
        if (!out_.flush()) throw std::runtime_error("cannot write " + path_);
    }

private:
    void Flush()
    {
        out_.write(slice_.data(), static_cast<std::streamsize>(slice_.size()));
        slice_.clear();
    }

    std::string path_;
    std::ofstream out_;
    std::string slice_;
};

void AddList(LineWriter& out, ListGenerator&& list, int rows)
{
    for (int row = 1; row <= rows; ++row) out.Add(list.Row(row));
    if (rows > 0) out.Add(list.TotalsLine());
}

}  // namespace

std::string ValidAfm(int first8)
{
    std::string digits = Zeros(first8, 8);
    int sum = 0;
    for (int i = 0; i < 8; ++i) sum += (digits[static_cast<size_t>(i)] - '0') << (8 - i);
    return digits + static_cast<char>('0' + sum % 11 % 10);
}

void GenerateStatementFile(const std::string& path, const StatementShape& shape)
{
    LineWriter out(path);
    out.Add(FormLine());
    out.Add(HeaderLine());
    // The lists' tax numbers lie apart, so no number is in both lists.
    AddList(out, ListGenerator('2', 10'000'000, shape.tails, 1253), shape.customers);
    AddList(out, ListGenerator('4', 20'000'000, shape.tails, 737), shape.suppliers);
    out.Finish();
}

}  // namespace epinax::bench
