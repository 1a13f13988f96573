// A file size limit for the scope, shared by the core's and the windows'
// tests (it needs neither test framework).
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace epinax::test {

// A file size limit for the scope: write() then fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved_;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    struct rlimit saved_ {};
    void (*previous_)(int) = nullptr;
};

}  // namespace epinax::test
