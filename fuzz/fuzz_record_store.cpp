// Feeds arbitrary bytes to the record store as a record file, and, when the
// first byte is odd, the first line as its schema too ('|' between the lines),
// then walks every field, edits, saves and reopens. Whatever the input, the
// store may refuse it with its own errors but must never crash, and a saved
// file must read back with as many records as were saved.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "common/Errors.h"
#include "common/Numbers.h"
#include "record_store/SdfData.h"

namespace {

using epinax::TFixedFormatDataSet;

const std::vector<std::string>& CounterpartySchema()
{
    static const std::vector<std::string> schema{
        "RecordType=1", "AA=5",       "AFMCust=9", "NameCust=27",    "ProfCust=15", "Ypovolh=1", "City=10",
        "Street=16",    "StreetNo=3", "TK=5",      "NoTimologion=7", "Value=16",    "FILLER=35",
    };
    return schema;
}

// One directory per fuzzing process, so parallel jobs never share files.
class Workspace {
public:
    Workspace()
    {
        std::string pattern = "/tmp/epinax-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        dir_ = pattern;
    }
    ~Workspace()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    std::string File(const char* name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

const Workspace& Dir()
{
    static const Workspace workspace;
    return workspace;
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_record_store: %s\n", what);
    std::abort();
}

struct Case {
    std::vector<std::string> schema;
    std::string_view file;
    std::string editValue;
    std::size_t fieldPick = 0;
    bool caseInsensitive = false;
    bool partialKey = false;
};

std::vector<std::string> SplitSchema(std::string_view line)
{
    std::vector<std::string> lines;
    for (;;) {
        const std::size_t bar = line.find('|');
        lines.emplace_back(line.substr(0, bar));
        if (bar == std::string_view::npos) return lines;
        line.remove_prefix(bar + 1);
    }
}

// A line of the file cannot hold CR, LF or NUL (they end the line or the
// file), so the value written into a field leaves them out: with them the
// record count could not survive the round trip by design.
std::string EditValueFrom(std::string_view input)
{
    std::string value;
    for (char c : input.substr(input.size() > 24 ? input.size() - 24 : 0))
        if (c != '\r' && c != '\n' && c != '\0') value += c;
    return value;
}

Case CaseFrom(std::string_view input)
{
    Case c;
    c.file = input;
    c.schema = CounterpartySchema();
    if (!input.empty() && (static_cast<unsigned char>(input[0]) & 1u)) {
        const std::size_t end = input.find('\n');
        c.schema = SplitSchema(input.substr(0, end));
        c.file = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);
    }
    c.editValue = EditValueFrom(input);
    if (!input.empty()) {
        const auto middle = static_cast<unsigned char>(input[input.size() / 2]);
        c.fieldPick = middle;
        c.caseInsensitive = middle & 0x40u;
        c.partialKey = middle & 0x80u;
    }
    return c;
}

void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) Fail("cannot write the input file");
}

bool OpenOrRefuse(TFixedFormatDataSet& store, const std::string& path, const std::vector<std::string>& schema)
{
    store.SetFileName(path);
    store.SetSchema(schema);
    try {
        store.Open();
        return true;
    } catch (const epinax::EDatabaseError&) {
    } catch (const epinax::EFileError&) {
    }
    if (store.Active()) Fail("a store that refused to open is still active");
    return false;
}

void ReadEverything(TFixedFormatDataSet& store)
{
    std::size_t bytes = 0;
    int visited = 0;
    for (store.First(); !store.Eof(); store.Next(), ++visited) {
        for (int i = 0; i < store.FieldCount(); ++i) {
            bytes += store.Fields(i).AsString().size();
            bytes += store.Fields(i).IsNull() ? 1 : 0;
        }
        bytes += store.CurrentRecordText().size();
    }
    if (visited != store.RecordCount()) Fail("First/Next did not visit every record");
    if (bytes == static_cast<std::size_t>(-1)) Fail("unreachable");  // keeps the reads from being optimised away
}

void LookUp(TFixedFormatDataSet& store, const Case& c)
{
    if (store.FieldCount() == 0) return;
    const std::string& key = store.Fields(0).FieldName();
    try {
        store.FindRecord(key, {c.editValue}, c.caseInsensitive, c.partialKey);
    } catch (const epinax::EDatabaseError&) {
        // a field name holding ';' names several keys for one value
    }
}

void EditFirst(TFixedFormatDataSet& store, const Case& c)
{
    if (store.IsEmpty() || store.FieldCount() == 0) return;
    store.First();
    store.Edit();
    store.Fields(static_cast<int>(c.fieldPick % static_cast<std::size_t>(store.FieldCount()))).SetAsString(c.editValue);
    store.Post();
}

// A field given without a usable width takes the length of the file's longest
// line, so such a schema lays the saved file out differently from the one it
// came from, and may then find its records too long.
bool WidthsDependOnFile(const std::vector<std::string>& schema)
{
    for (const std::string& line : schema) {
        if (std::all_of(line.begin(), line.end(), [](unsigned char c) { return c <= ' '; }))
            continue;  // skipped by the store
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || line.find_first_not_of(' ') >= eq) return true;
        const auto width = epinax::ParseInteger(std::string_view(line).substr(eq + 1));
        if (!width || *width < 0) return true;
    }
    return false;
}

void CheckReopened(const std::string& path, const std::vector<std::string>& schema, int expectedCount)
{
    TFixedFormatDataSet reopened("FuzzReopened");
    if (!OpenOrRefuse(reopened, path, schema)) {
        if (!WidthsDependOnFile(schema)) Fail("a saved file could not be opened again");
        // The record count does not depend on the layout: count with a plain one.
        if (!OpenOrRefuse(reopened, path, {"Line=1"}))
            Fail("a saved file could not be opened again, even as plain lines");
    }
    if (reopened.RecordCount() != expectedCount) Fail("the saved file reads back with a different record count");
    ReadEverything(reopened);
}

// Removes the files of one input when it is done, so an interrupted run
// leaves at most an empty directory behind.
class Cleanup {
public:
    explicit Cleanup(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    ~Cleanup()
    {
        std::error_code ignored;
        for (const std::string& path : paths_) std::filesystem::remove(path, ignored);
    }
    Cleanup(const Cleanup&) = delete;
    Cleanup& operator=(const Cleanup&) = delete;

private:
    std::vector<std::string> paths_;
};

void Exercise(const Case& c)
{
    const std::string source = Dir().File("records.txt");
    const std::string saved = Dir().File("saved.txt");
    const Cleanup cleanup({source, saved});
    WriteFile(source, c.file);
    TFixedFormatDataSet store("Fuzz");
    if (!OpenOrRefuse(store, source, c.schema)) return;
    ReadEverything(store);
    LookUp(store, c);
    EditFirst(store, c);
    store.SaveAs(saved);
    CheckReopened(saved, c.schema, store.RecordCount());
    store.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Exercise(CaseFrom(input));
    return 0;
}
