// epinax-bench: how the record store, and the statement built on it, compare
// with the plain system calls and tools that do the same work. Every figure is
// a ratio against a reference timed in the same run on the same file, so the
// numbers travel between machines; each side is the best of several
// repetitions, which keeps a busy neighbour from showing up as a slowdown.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "CliFigures.h"
#include "ExportFigures.h"
#include "ImportFigures.h"
#include "ReportFigures.h"
#include "StatementFigures.h"
#include "ZipFigures.h"
#include "entry/Counterparty.h"
#include "entry/RecordLayout.h"
#include "record_store/SdfData.h"

namespace {

using epinax::TFixedFormatDataSet;
using namespace epinax::bench;

constexpr int kRecordCount = 99'999;
using epinax::kRecordLength;
constexpr int kRepetitions = 15;

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
            "2",
            "",
            Afm(),
            Name(),
            Pick(words_.professions),
            "0",
            Pick(words_.cities),
            Pick(words_.streets),
            std::to_string(Between(1, 199)),
            std::to_string(Between(10000, 85999)),
            std::to_string(Between(1, 400)),
            Amount(),
            "",
        };
        for (size_t i = 0; i < values.size(); ++i) line += Padded(values[i], epinax::kRecordFields[i].width);
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
        for (int i = 0; i < 7; ++i) digits += static_cast<char>('0' + Between(0, 9));
        int sum = 0;
        for (int i = 0; i < 8; ++i) sum += (digits[static_cast<size_t>(i)] - '0') << (8 - i);
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
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

// ---------------------------------------------------------------------------
// The run.

struct Context {
    std::string dir;
    std::string recordFile;
    std::string fileBytes;  // the record file as plain read() returns it
    int outputs = 0;

    std::string NewOutputPath() { return dir + "/output-" + std::to_string(++outputs) + ".txt"; }
};

std::unique_ptr<TFixedFormatDataSet> OpenStore(const std::string& path)
{
    auto store = std::make_unique<TFixedFormatDataSet>("Counterparties");
    store->SetFileName(path);
    store->SetSchema(epinax::CounterpartySchema());
    store->Open();
    Require(store->RecordCount() == kRecordCount, "record count after open");
    return store;
}

Seconds StoreOpen(Context& context)
{
    TFixedFormatDataSet store("Counterparties");
    const Seconds spent = Timed([&] {
        store.SetFileName(context.recordFile);
        store.SetSchema(epinax::CounterpartySchema());
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
    store->GotoBookmark(store->RecordIdAt(kRecordCount / 2 - 1));
    const std::string output = context.NewOutputPath();
    const Seconds spent = Timed([&] {
        store->Edit();
        store->Field(epinax::field::Value).SetAsString("1,5");
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
    const Seconds spent =
        Timed([&] { found = store->FindRecord(store->Field(epinax::field::Afm), {"000000000"}, false, false); });
    Require(!found, "the all-zeros tax number must not be found");
    return spent;
}

std::vector<Figure> StoreFigures(Context& context)
{
    auto on = [&context](Seconds (*work)(Context&)) { return [&context, work] { return work(context); }; };
    return {
        {"open", "plain read() of the same file", kRepetitions, on(StoreOpen), on(ReferenceRead)},
        {"post-saveas", "plain write() of the same bytes to a new file", kRepetitions, on(StorePostSaveAs),
         on(ReferenceWrite)},
        {"findrecord-miss", "plain read() of the same file", kRepetitions, on(StoreFindRecordMiss), on(ReferenceRead)},
    };
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

    Report(StoreFigures(context));
    {
        // Made after the peak was taken: the statement's files and lists are
        // much larger than the one store the peak is about.
        StatementSuite statements;
        Report(statements.Figures());
    }
    {
        ReportSuite reports;
        Report(reports.Figures());
    }
    {
        ZipSuite zip;
        Report(zip.Figures());
    }
    {
        ExportSuite exports;
        Report(exports.Figures());
    }
    {
        ImportSuite imports;
        Report(imports.Figures());
    }
#ifdef EPINAX_CLI
    {
        CliSuite cli(EPINAX_CLI);
        Report(cli.Figures());
    }
#endif
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
