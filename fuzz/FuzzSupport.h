// Shared pieces of the fuzz targets: the invariant check, a reader of the fuzzer's bytes, and a
// private folder for targets that go through real files.
//
// Every target defines LLVMFuzzerTestOneInput. Built with clang and VANDORET_FUZZ, libFuzzer drives
// it; in the ordinary build RunCorpus.cpp feeds it each file of the target's corpus, so every kept
// finding stays a regression test.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

// A broken invariant is a finding: say which and stop, so the fuzzer keeps the input.
#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "invariant broken: %s (%s) at %s:%d\n", what, #condition, __FILE__, __LINE__);        \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

namespace vandoret::fuzz {

// Takes numbers and texts off the front of the input; past the end everything reads as zero.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint32_t U32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = (v << 8) | Byte();
        }
        return v;
    }
    // A number in [0, n).
    int Below(int n) { return n <= 1 ? 0 : Byte() % n; }
    // Up to max bytes, the length taken from the input first.
    std::string_view Text(std::size_t max) {
        const std::size_t want = Byte() % (max + 1);
        const std::size_t n = std::min(want, size_ - std::min(pos_, size_));
        std::string_view text(reinterpret_cast<const char*>(data_) + std::min(pos_, size_), n);
        pos_ += n;
        return text;
    }
    std::string_view Rest() {
        const std::size_t from = std::min(pos_, size_);
        pos_ = size_;
        return {reinterpret_cast<const char*>(data_) + from, size_ - from};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A folder of this process's own, in memory where the system has /dev/shm; removed at exit.
inline const std::filesystem::path& ScratchFolder() {
    struct Folder {
        std::filesystem::path path;
        Folder() {
            std::error_code ec;
            std::filesystem::path base = "/dev/shm";
            if (!std::filesystem::is_directory(base, ec)) {
                base = std::filesystem::temp_directory_path(ec);
            }
            path = base / ("vandoret-fuzz-" + std::to_string(::getpid()));
            std::filesystem::create_directories(path, ec);
        }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static Folder folder;
    return folder.path;
}

// True when s is well-formed UTF-8 (no surrogates, no overlong forms).
inline bool IsUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) {
            return false;
        }
        std::uint32_t cp = len == 1 ? b : b & (0x7F >> len);
        for (int k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += len;
    }
    return true;
}

} // namespace vandoret::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
