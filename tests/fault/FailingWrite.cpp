#include "FailingWrite.h"

#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>

extern "C" ssize_t __real_write(int fd, const void* bytes, size_t count);
extern "C" ssize_t __wrap_write(int fd, const void* bytes, size_t count);

namespace epinax::test {

namespace {

// The scratch files' worker thread never writes, but the counts are read by
// the test while the program may be running one: atomics cost nothing here.
std::atomic<bool> armed{false};
std::atomic<size_t> allowed{0};
std::atomic<size_t> written{0};
std::atomic<size_t> refused{0};

}  // namespace

void ArmWriteFailure(size_t bytesAllowed)
{
    written = 0;
    refused = 0;
    allowed = bytesAllowed;
    armed = true;
}

void DisarmWriteFailure() { armed = false; }

size_t BytesWrittenSinceArmed() { return written; }

size_t WritesRefusedSinceArmed() { return refused; }

WriteCounter::WriteCounter() { ArmWriteFailure(std::numeric_limits<size_t>::max()); }

}  // namespace epinax::test

using namespace epinax::test;

extern "C" ssize_t __wrap_write(int fd, const void* bytes, size_t count)
{
    if (!armed) return __real_write(fd, bytes, count);
    size_t room = allowed - std::min(allowed.load(), written.load());
    if (count > 0 && room == 0) {
        ++refused;
        errno = ENOSPC;
        return -1;
    }
    ssize_t done = __real_write(fd, bytes, std::min(count, room));
    if (done > 0) written += static_cast<size_t>(done);
    return done;
}
