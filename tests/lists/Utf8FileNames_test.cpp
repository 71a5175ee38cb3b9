// File names with letters beyond ASCII, which Windows takes through its ANSI code page unless the
// program converts them from UTF-8 itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/FileStamp.h"
#include "fakes/FakeHost.h"
#include "lists/TextFile.h"
#include "reports/ResultsPage.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {
namespace {

namespace fs = std::filesystem;

const char* const kNames[] = {"Starterliste.txt", "Geländeritt.txt", "Jörg Ärger € 2026.html", "Ærø Łódź.txt"};

class Utf8FileNames : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / (std::string("vandoret_utf8_") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string InDir(const std::string& name) const { return PathToUtf8(dir_) + "/" + name; }

    fs::path dir_;
};

TEST_F(Utf8FileNames, PathKeepsTheName) {
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        EXPECT_EQ(PathToUtf8(PathFromUtf8(name)), name);
        EXPECT_EQ(PathToUtf8(PathFromUtf8(name).filename()), name);
    }
}

TEST_F(Utf8FileNames, ListFilesWithUmlautsRoundTrip) {
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        const std::string path = InDir(name);
        ASSERT_TRUE(WriteWholeFile(path, "Startzeit\tSt.Nr.\r\n"));
        EXPECT_TRUE(fs::is_regular_file(dir_ / PathFromUtf8(name)));
        std::string bytes;
        EXPECT_EQ(ReadWholeFile(path, bytes), ReadOutcome::Ok);
        EXPECT_EQ(bytes, "Startzeit\tSt.Nr.\r\n");
    }
}

TEST_F(Utf8FileNames, BrokenUtf8GivesAPathThatCannotBeOpened) {
    const std::string broken = InDir("Liste\xff\xfe.txt");
    EXPECT_NO_THROW(PathFromUtf8(broken));
    EXPECT_EQ(DosFileStamp(broken), -1);
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(broken, bytes), ReadOutcome::NotOpened);
#ifdef _WIN32
    EXPECT_FALSE(WriteWholeFile(broken, "x")); // Windows names are UTF-16: no such name there
#endif
}

TEST_F(Utf8FileNames, StampOfAFileWithUmlauts) {
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        const std::string path = InDir(name);
        EXPECT_EQ(DosFileStamp(path), -1);
        std::ofstream(PathFromUtf8(path)) << "Startzeit\r\n";
        ASSERT_TRUE(fs::exists(dir_ / PathFromUtf8(name)));
        EXPECT_NE(DosFileStamp(path), -1);
    }
}

TEST_F(Utf8FileNames, ResultsPageOfAProgramWithUmlautsInItsName) {
    FakeHost host;
    host.applicationTitle = "Zeitmessung Geländeritt";
    Timekeeper tk{host};
    WriteResultsPage(tk.host(), tk.results.SortGrid4, InDir(ResultsPageName(tk.host())));
    EXPECT_TRUE(fs::exists(dir_ / PathFromUtf8("Zeitmessung Geländeritt.html")));
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
} // namespace vandoret::testing
