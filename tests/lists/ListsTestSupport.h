// Helpers for the list file tests: a private temporary folder, file writing and reading, and
// the current directory put back after each test.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {

class TempFolder {
public:
    TempFolder() {
        // Test processes run in parallel: a random name keeps their folders apart.
        std::random_device random;
        for (;;) {
            path_ = std::filesystem::temp_directory_path() /
                    ("vandoret-lists-" + std::to_string(random()) + "-" + std::to_string(random()));
            if (std::filesystem::create_directories(path_)) {
                break; // a new folder, ours alone
            }
        }
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A Timekeeper over a fake host in a temporary folder; the current directory is restored after.
class ListsTest : public ::testing::Test {
protected:
    ListsTest() : saved_(std::filesystem::current_path()), tk(host) {}
    ~ListsTest() override {
        std::error_code ec;
        std::filesystem::current_path(saved_, ec);
    }

    // Row r of the start list as its six cells.
    std::vector<std::string> Row1(int r) const {
        std::vector<std::string> cells;
        for (int c = 0; c < tk.startList.SortGrid1.ColCount(); ++c) {
            cells.push_back(tk.startList.SortGrid1.Cells(c, r));
        }
        return cells;
    }

    std::filesystem::path saved_;
    TempFolder dir;
    FakeHost host;
    Timekeeper tk;
};

} // namespace vandoret::testing
