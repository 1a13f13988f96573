// Feeds arbitrary bytes to one workbook reader, chosen when this file is
// built (EPINAX_FUZZ_READER, EPINAX_FUZZ_EXTENSION). The readers take a path,
// so each input is written to a file first. Whatever the bytes, a reader may
// refuse them with EWorkbookError and nothing else, and a block it gives must
// be whole: the size it claims, within the limits, ending in used cells.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "import/Workbook.h"

namespace {

using epinax::TSheetBlock;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_workbook: %s\n", what);
    std::abort();
}

// One directory per fuzzing process, so parallel jobs never share files.
class Workspace {
public:
    Workspace()
    {
        std::string pattern = "/tmp/epinax-fuzz-workbook-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp failed");
        file_ = pattern + "/input" EPINAX_FUZZ_EXTENSION;
        dir_ = pattern;
    }
    ~Workspace()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const std::string& File() const { return file_; }

private:
    std::string dir_, file_;
};

const Workspace& Dir()
{
    static const Workspace workspace;
    return workspace;
}

void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) Fail("cannot write the input file");
}

bool RowUsed(const TSheetBlock& block, int row)
{
    for (int column = 0; column < block.StoredColumns(); ++column)
        if (!block.At(row, column).IsEmpty()) return true;
    return block.columns > block.StoredColumns();  // its value may lie past the kept columns
}

void CheckBlock(const TSheetBlock& block)
{
    if (block.rows < 0 || block.rows > TSheetBlock::kMaxRows || block.columns < 0 ||
        block.columns > TSheetBlock::kMaxColumns)
        Fail("a block outside the limits");
    if ((block.rows == 0) != (block.columns == 0)) Fail("a block with rows but no columns, or the reverse");
    if (block.cells.size() != static_cast<std::size_t>(block.rows) * static_cast<std::size_t>(block.StoredColumns()))
        Fail("a block whose cells do not fill it");
    if (block.rows > 0 && !RowUsed(block, block.rows - 1)) Fail("a block that ends in an empty row");
    for (const epinax::TCell& cell : block.cells)
        if (cell.kind != epinax::TCell::Kind::Text && !cell.text.empty()) Fail("a cell with text that is no text");
}

// The reader itself, in this process, so that a fault in it or in its
// library is found and shown; the program runs it in a confined helper.
epinax::TSheetBlock Read(const std::string& path) { return epinax::EPINAX_FUZZ_READER(path); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFile(Dir().File(), std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        CheckBlock(Read(Dir().File()));
    } catch (const epinax::EWorkbookError&) {
        // a refusal with its message is the expected way out
    }
    return 0;
}
