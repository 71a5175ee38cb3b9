// A full disk for one test: while a FileSizeLimit lives, no file of this process grows beyond
// the given size, so a write fails part-way with EFBIG as it would with ENOSPC. Works for root
// too, unlike a read-only folder. POSIX only: Available() is false elsewhere.
#pragma once

#include <cstddef>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace vandoret::testing {

class FileSizeLimit {
public:
#ifndef _WIN32
    explicit FileSizeLimit(std::size_t bytes) {
        // Going over the limit raises SIGXFSZ, which would end the process: the write is to fail.
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    static constexpr bool Available() {
        return true;
    }
#else
    explicit FileSizeLimit(std::size_t) {}
    static constexpr bool Available() {
        return false;
    }
#endif
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
#ifndef _WIN32
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
#endif
};

} // namespace vandoret::testing
