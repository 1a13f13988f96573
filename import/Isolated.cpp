#include "import/Isolated.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "common/Greek.h"

namespace epinax {

namespace {

// What goes through the pipe: a tag, then the block or the error's message.
enum : char { kBlock = 'B', kError = 'E' };

void PutNumber(std::string& out, std::uint64_t value) { out.append(reinterpret_cast<const char*>(&value), 8); }

std::string Serialised(const TSheetBlock& block)
{
    std::string out(1, kBlock);
    PutNumber(out, static_cast<std::uint64_t>(block.rows));
    PutNumber(out, static_cast<std::uint64_t>(block.columns));
    PutNumber(out, block.cells.size());
    for (const TCell& cell : block.cells) {
        out += static_cast<char>(cell.kind);
        if (cell.kind == TCell::Kind::Text) {
            PutNumber(out, cell.text.size());
            out += cell.text;
        } else if (cell.kind == TCell::Kind::Number) {
            std::uint64_t bits;
            std::memcpy(&bits, &cell.number, 8);
            PutNumber(out, bits);
        }
    }
    return out;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Number()
    {
        Need(8);
        std::uint64_t value;
        std::memcpy(&value, bytes_.data(), 8);
        bytes_.remove_prefix(8);
        return value;
    }
    std::string Text(std::uint64_t size)
    {
        Need(size);
        std::string text(bytes_.substr(0, size));
        bytes_.remove_prefix(size);
        return text;
    }
    char Byte() { return Text(1)[0]; }

private:
    void Need(std::uint64_t size)
    {
        if (bytes_.size() < size) throw EWorkbookError("");
    }
    std::string_view bytes_;
};

TSheetBlock Deserialised(std::string_view bytes)
{
    Reader in(bytes.substr(1));
    TSheetBlock block;
    block.rows = static_cast<int>(in.Number());
    block.columns = static_cast<int>(in.Number());
    const std::uint64_t count = in.Number();
    if (count != static_cast<std::uint64_t>(block.rows) * static_cast<std::uint64_t>(block.StoredColumns()))
        throw EWorkbookError("");
    block.cells.resize(count);
    for (TCell& cell : block.cells) {
        cell.kind = static_cast<TCell::Kind>(in.Byte());
        if (cell.kind == TCell::Kind::Text) {
            cell.text = in.Text(in.Number());
        } else if (cell.kind == TCell::Kind::Number) {
            std::uint64_t bits = in.Number();
            std::memcpy(&cell.number, &bits, 8);
        }
    }
    return block;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

[[noreturn]] void RunChild(int out, const std::function<TSheetBlock(const std::string&)>& read, const std::string& path)
{
    std::string result;
    try {
        result = Serialised(read(path));
    } catch (const EWorkbookError& error) {
        result = std::string(1, kError) + error.what();
    } catch (...) {
        ::_exit(2);
    }
    ::_exit(WriteAll(out, result) ? 0 : 3);
}

// Everything the child writes, until it closes the pipe or time runs out.
bool ReadFromChild(int in, std::string& bytes, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[65536];
    while (true) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{in, POLLIN, 0};
        int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) return false;
        ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

std::string UnreadableMessage(const std::string& path)
{
    return G("Το αρχείο ") + DisplayPath(path.substr(path.rfind('/') + 1)) +
           G(" δεν διαβάζεται: είναι κατεστραμμένο ή δεν είναι βιβλίο εργασίας.");
}

}  // namespace

TSheetBlock ReadInChildProcess(const std::function<TSheetBlock(const std::string&)>& read, const std::string& path,
                               int seconds)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw EWorkbookError(UnreadableMessage(path));
    pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        throw EWorkbookError(UnreadableMessage(path));
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        RunChild(pipeEnds[1], read, path);
    }
    ::close(pipeEnds[1]);
    std::string bytes;
    bool whole = ReadFromChild(pipeEnds[0], bytes, seconds);
    ::close(pipeEnds[0]);
    if (!whole) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    if (!whole || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || bytes.empty())
        throw EWorkbookError(UnreadableMessage(path));
    if (bytes[0] == kError) throw EWorkbookError(bytes.substr(1));
    try {
        return Deserialised(bytes);
    } catch (const EWorkbookError&) {
        throw EWorkbookError(UnreadableMessage(path));
    }
}

}  // namespace epinax
