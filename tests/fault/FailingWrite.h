// A full disk on demand: every write() of the program linked with
// -Wl,--wrap=write (the core's static libraries included) goes through here,
// and once armed, fails with ENOSPC when the bytes allowed are spent, as a
// disk does when it fills: the write that meets the end takes what still
// fits and says so, the next one fails. Only write() fails; fsync, rename,
// link and the rest go on as usual.
#pragma once

#include <cstddef>

namespace epinax::test {

// From now on `bytesAllowed` more bytes are written, then writes fail.
void ArmWriteFailure(size_t bytesAllowed);
void DisarmWriteFailure();
// The bytes written since the last ArmWriteFailure (armed or not since).
size_t BytesWrittenSinceArmed();
// The calls that were refused since then.
size_t WritesRefusedSinceArmed();

// Armed for a scope: disarmed however the scope ends.
class WriteFailure {
public:
    explicit WriteFailure(size_t bytesAllowed) { ArmWriteFailure(bytesAllowed); }
    ~WriteFailure() { DisarmWriteFailure(); }
    WriteFailure(const WriteFailure&) = delete;
    WriteFailure& operator=(const WriteFailure&) = delete;
};

// Counts without refusing anything: how many bytes an operation writes.
class WriteCounter {
public:
    WriteCounter();
    ~WriteCounter() { DisarmWriteFailure(); }
    WriteCounter(const WriteCounter&) = delete;
    WriteCounter& operator=(const WriteCounter&) = delete;
    size_t Bytes() const { return BytesWrittenSinceArmed(); }
};

}  // namespace epinax::test
