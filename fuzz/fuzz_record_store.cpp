// Feeds arbitrary bytes to the record store as a counterparty record file,
// then walks every field, edits, saves and reopens. Whatever the input, the
// store may refuse it with its own errors but must never crash, and a saved
// file must read back with as many records as were saved.
#include <stdlib.h>

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
#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace {

using epinax::TFixedFormatDataSet;

const std::vector<int>& Schema()
{
    static const std::vector<int> schema = epinax::CounterpartySchema();
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
    std::string_view file;
    std::string editValue;
    std::size_t fieldPick = 0;
    bool caseInsensitive = false;
    bool partialKey = false;
};

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

bool OpenOrRefuse(TFixedFormatDataSet& store, const std::string& path)
{
    store.SetFileName(path);
    store.SetSchema(Schema());
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
    for (int row = 0; row < store.RecordCount(); ++row) {
        for (std::size_t i = 0; i < Schema().size(); ++i) bytes += store.FieldTextAt(row, store.Field(i)).size();
        bytes += store.RecordTextAt(row).size();
    }
    if (bytes == static_cast<std::size_t>(-1)) Fail("unreachable");  // keeps the reads from being optimised away
}

void LookUp(TFixedFormatDataSet& store, const Case& c)
{
    store.FindRecord(store.Field(c.fieldPick % Schema().size()), c.editValue, c.caseInsensitive, c.partialKey);
}

void EditFirst(TFixedFormatDataSet& store, const Case& c)
{
    if (store.RecordCount() == 0) return;
    store.First();
    store.Edit();
    store.Field(c.fieldPick % Schema().size()).SetAsString(c.editValue);
    store.Post();
}

void CheckReopened(const std::string& path, int expectedCount)
{
    TFixedFormatDataSet reopened("FuzzReopened");
    if (!OpenOrRefuse(reopened, path)) Fail("a saved file could not be opened again");
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
    if (!OpenOrRefuse(store, source)) return;
    ReadEverything(store);
    LookUp(store, c);
    EditFirst(store, c);
    store.SaveAs(saved);
    CheckReopened(saved, store.RecordCount());
    store.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Exercise(CaseFrom(input));
    return 0;
}
