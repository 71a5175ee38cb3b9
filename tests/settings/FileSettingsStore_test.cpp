#include "settings/FileSettingsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <unistd.h>

#include "fakes/FileSizeLimit.h"
#include "settings/RegFileFormat.h"
#include "settings/Settings.h"

namespace vandoret {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

std::uint64_t Bits(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    return bits;
}

// Each test gets its own configuration folder through XDG_CONFIG_HOME.
class FileStore : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadOld_ = old != nullptr;
        old_ = old ? old : "";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / ("vandoret-settings-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(root_);
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    void TearDown() override {
        if (hadOld_) {
            ::setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        std::error_code ec;
        fs::permissions(root_ / "Kronvale", fs::perms::owner_all, ec);
        fs::remove_all(root_, ec);
    }
    fs::path File(const std::string& title = "Vandoret") const { return root_ / "Kronvale" / (title + ".reg"); }

    fs::path root_;
    bool hadOld_ = false;
    std::string old_;
};

constexpr const char* kDefaultsFile = "Windows Registry Editor Version 5.00\r\n"
                                      "\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\Kronvale\\Vandoret]\r\n"
                                      "\"Left\"=dword:0000014d\r\n"
                                      "\"Top\"=dword:000000a9\r\n"
                                      "\"Width\"=dword:00000320\r\n"
                                      "\"Height\"=dword:00000168\r\n"
                                      "\"Port\"=dword:00000000\r\n"
                                      "\"BaseName\"=\"Starterliste.txt\"\r\n"
                                      "\"Sound\"=dword:00000001\r\n"
                                      "\"Alg1\"=dword:00000000\r\n"
                                      "\"Alg2\"=dword:00000001\r\n"
                                      "\"Alg3\"=dword:00000001\r\n"
                                      "\"Len\"=dword:00000960\r\n"
                                      "\"tempo\"=hex:00,00,00,00,00,00,6e,40\r\n"
                                      "\"StartInt\"=dword:00000005\r\n"
                                      "\"StartClock\"=dword:0000023a\r\n"
                                      "\"StrafPkt\"=hex:9a,99,99,99,99,99,d9,3f\r\n"
                                      "\"StrafSek\"=dword:00000001\r\n"
                                      "\"DisText\"=\"Dis.\"\r\n"
                                      "\"AutoStart\"=dword:00000001\r\n"
                                      "\"WebPort\"=dword:00000000\r\n"
                                      "\"Wertung\"=dword:00000000\r\n"
                                      "\"Hoechstzeit\"=dword:00000000\r\n"
                                      "\"Mindestzeit\"=dword:00000000\r\n"
                                      "\r\n";

TEST_F(FileStore, TheFileLivesInTheConfigurationFolder) {
    EXPECT_EQ(FileSettingsStore::DefaultFolder(), root_ / "Kronvale");
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1); // not absolute: ignored
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        EXPECT_EQ(FileSettingsStore::DefaultFolder(), fs::path(home) / ".config" / "Kronvale");
    }
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    EXPECT_EQ(FileSettingsStore("Vandoret").FilePath(), File());
    EXPECT_EQ(FileSettingsStore("Zeit 2").FilePath(), File("Zeit 2"));
    EXPECT_EQ(FileSettingsStore("../x").FilePath().parent_path(), root_ / "Kronvale");
}

TEST_F(FileStore, DefaultsAreWrittenAsARegistryExport) {
    FileSettingsStore store("Vandoret");
    SaveSettings(store, Settings{});
    EXPECT_EQ(ReadFile(File()), kDefaultsFile);
    // Nothing but the file is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(root_ / "Kronvale")) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(FileStore, WrittenReadAndWrittenAgainIsByteIdentical) {
    std::vector<Settings> variants(4);
    variants[1].Left = -7;
    variants[1].Port = 255;
    variants[1].BaseName = "C:\\Reiten\\\"Start\" Grünwald.txt";
    variants[1].tempo = 0.1 + 0.2;
    variants[1].StrafPkt = 5e-324;
    variants[1].DisText = "";
    variants[1].Sound = false;
    variants[2].tempo = 34.3;
    variants[2].StrafPkt = -0.0;
    variants[2].DisText = "zwei\r\nZeilen\t\"x\"";
    variants[2].BaseName = "bad \xFF\xC3 utf-8 \xED\xA0\x80 \xF0\x9F\x90\x8E";
    variants[3].StrafPkt = std::numeric_limits<double>::quiet_NaN();
    variants[3].BaseName = std::string("nul\0inside", 10);
    for (std::size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE(i);
        Settings saved = variants[i];
        ComputeAllowedTime(saved);
        FileSettingsStore store("Vandoret");
        SaveSettings(store, saved);
        const std::string first = ReadFile(File());

        Settings loaded;
        LoadSettings(store, loaded);
        EXPECT_EQ(loaded.Left, saved.Left);
        EXPECT_EQ(loaded.Port, saved.Port);
        EXPECT_EQ(loaded.BaseName, saved.BaseName);
        EXPECT_EQ(loaded.Sound, saved.Sound);
        EXPECT_EQ(Bits(loaded.tempo), Bits(saved.tempo));
        EXPECT_EQ(Bits(loaded.StrafPkt), Bits(saved.StrafPkt));
        EXPECT_EQ(loaded.DisText, saved.DisText);
        EXPECT_EQ(loaded.AllowedTime, saved.AllowedTime);

        SaveSettings(store, loaded);
        EXPECT_EQ(ReadFile(File()), first);
    }
}

TEST_F(FileStore, MissingFoldersAreCreatedOnWrite) {
    const fs::path deep = root_ / "a" / "b";
    ::setenv("XDG_CONFIG_HOME", deep.c_str(), 1);
    FileSettingsStore store("Vandoret");
    Settings loaded;
    LoadSettings(store, loaded); // nothing there: all defaults
    EXPECT_EQ(loaded.AllowedTime, 600'000);
    Settings s;
    s.Len = 3000;
    SaveSettings(store, s);
    EXPECT_TRUE(fs::exists(deep / "Kronvale" / "Vandoret.reg"));
    LoadSettings(store, loaded);
    EXPECT_EQ(loaded.Len, 3000);
}

TEST_F(FileStore, AFolderThatCannotBeCreatedWritesNothing) {
    WriteFile(root_ / "blocker", "a file where the folder should be");
    ::setenv("XDG_CONFIG_HOME", (root_ / "blocker").c_str(), 1);
    FileSettingsStore store("Vandoret");
    EXPECT_FALSE(store.OpenForWrite());
    SaveSettings(store, Settings{}); // silently nothing
    EXPECT_EQ(ReadFile(root_ / "blocker"), "a file where the folder should be");
}

TEST_F(FileStore, DamagedFilesReadAsAMissingKey) {
    const std::string header =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kronvale\\V]\r\n";
    const std::vector<std::string> damaged = {
        "",
        "\r\n\r\n",
        std::string("\0\0\0\0", 4),
        "\xFF\xFE\x00",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kronvale\\V]\r\n\"Len\"=dword:00000bb8\r\n",
        "Windows Registry Editor Version 5.00\r\n",                           // no key
        "Windows Registry Editor Version 5.00\r\n\"Len\"=dword:00000bb8\r\n", // value before the key
        header + "[HKEY_CURRENT_USER\\Software\\Other]\r\n",
        header + "[-HKEY_CURRENT_USER\\Software\\Kronvale\\V]\r\n",
        header + "[unclosed\r\n",
        header + "[]\r\n",
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << i << ": " << damaged[i]);
        WriteFile(File(), damaged[i]);
        FileSettingsStore store("Vandoret");
        EXPECT_FALSE(store.OpenForRead());
        Settings s;
        LoadSettings(store, s);
        EXPECT_EQ(s.Len, 2400);
        EXPECT_EQ(s.AllowedTime, 600'000);
    }
}

TEST_F(FileStore, ADamagedFileIsReplacedByTheNextSave) {
    WriteFile(File(), "garbage\x01\x02");
    FileSettingsStore store("Vandoret");
    SaveSettings(store, Settings{});
    EXPECT_EQ(ReadFile(File()), kDefaultsFile);
}

TEST_F(FileStore, AFullDiskKeepsTheOldFile) {
    if (!testing::FileSizeLimit::Available()) {
        GTEST_SKIP() << "no file size limit on this platform";
    }
    WriteFile(File(), kDefaultsFile);
    Settings changed;
    changed.BaseName = "Starterliste " + std::string(2000, 'x') + ".txt";
    {
        testing::FileSizeLimit full(std::strlen(kDefaultsFile) + 100); // the write stops part-way
        FileSettingsStore store("Vandoret");
        SaveSettings(store, changed);
    }
    EXPECT_EQ(ReadFile(File()), kDefaultsFile);
    EXPECT_EQ(std::distance(fs::directory_iterator(File().parent_path()), {}), 1) << "a temporary file was left";
    // The program goes on: with room again, the next save writes the settings.
    FileSettingsStore store("Vandoret");
    SaveSettings(store, changed);
    Settings read;
    LoadSettings(store, read);
    EXPECT_EQ(read.BaseName, changed.BaseName);
}

TEST_F(FileStore, GarbageNeverCrashes) {
    std::mt19937 rng(12345);
    const std::string good = kDefaultsFile;
    const std::string alphabet = "\"\\=:,[]()@-;hexdword0123456789abcdefABCDEF \t\r\n\xFF\xC3";
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
        const int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            const std::size_t pos = rng() % (text.size() + 1);
            const char c = alphabet[rng() % alphabet.size()];
            switch (rng() % 3) {
            case 0:
                text.insert(text.begin() + static_cast<std::ptrdiff_t>(pos), c);
                break;
            case 1:
                if (pos < text.size()) {
                    text.erase(pos, 1);
                }
                break;
            default:
                if (pos < text.size()) {
                    text[pos] = c;
                }
            }
        }
        const std::optional<RegFile> parsed = ParseRegFile(text);
        if (parsed) {
            // Whatever was accepted is written back in a form that reads back the same.
            const std::string again = FormatRegFile(*parsed);
            const std::optional<RegFile> reparsed = ParseRegFile(again);
            ASSERT_TRUE(reparsed.has_value()) << text;
            EXPECT_EQ(FormatRegFile(*reparsed), again);
        }
    }
    for (int round = 0; round < 500; ++round) {
        std::string text(rng() % 200, '\0');
        for (char& c : text) {
            c = static_cast<char>(rng());
        }
        (void)ParseRegFile(text);
        (void)ParseRegFile("Windows Registry Editor Version 5.00\n[K]\n" + text);
    }
}

TEST(RegFileText, AValueAndABrokenLineOfTheSameNameInAnotherCaseReadBackTheSame) {
    // The broken line replaces the value; it is written back as it stood, so it keeps its spelling.
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[K]\r\n"
                             "\"Lang\"=dword:00000001\r\n"
                             "\"LaNg\"=hex:01,0d1\r\n";
    const std::optional<RegFile> parsed = ParseRegFile(text);
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->values.size(), 1u);
    EXPECT_EQ(parsed->values[0].first, "LaNg");
    EXPECT_EQ(parsed->values[0].second.type, RegType::Unreadable);
    const std::optional<RegFile> back = ParseRegFile(FormatRegFile(*parsed));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->values, parsed->values);
}

TEST_F(FileStore, AnOversizedFileIsNotRead) {
    std::string text = kDefaultsFile;
    text += std::string(2u << 20, ';');
    WriteFile(File(), text);
    FileSettingsStore store("Vandoret");
    EXPECT_FALSE(store.OpenForRead());
}

TEST_F(FileStore, AnUnreadableFileReadsAsMissing) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    FileSettingsStore store("Vandoret");
    SaveSettings(store, Settings{});
    fs::permissions(File(), fs::perms::none);
    EXPECT_FALSE(store.OpenForRead());
}

TEST_F(FileStore, AFolderInPlaceOfTheFileReadsAsMissing) {
    fs::create_directories(File());
    FileSettingsStore store("Vandoret");
    EXPECT_FALSE(store.OpenForRead());
    SaveSettings(store, Settings{}); // the rename fails; nothing breaks
    EXPECT_TRUE(fs::is_directory(File()));
}

TEST_F(FileStore, ReadsWhatRegeditWrites) {
    // regedit's own export: UTF-16LE with a byte order mark, hex(2) for REG_EXPAND_SZ,
    // continuation lines, comments, LF line ends and blanks around the bytes.
    const std::string utf8 = "Windows Registry Editor Version 5.00\n"
                             "; exported\n"
                             "[HKEY_CURRENT_USER\\Software\\Kronvale\\Vandoret]\n"
                             "\"Left\"=dword:1\n"
                             "\"Top\"=dword:00000002\n"
                             "\"Width\"=hex(4):00,04,00,00\n"
                             "\"Height\"=dword:00000300\n"
                             "\"Port\"=dword:00000104\n"
                             "\"BaseName\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,c4,00,2e,00,74,00,\\\n"
                             "  78,00,74,00,00,00\n"
                             "\"Sound\"=dword:00000000\n"
                             "\"Alg1\"=dword:00000001\n"
                             "\"Alg2\"=dword:00000001\n"
                             "\"Alg3\"=dword:00000000\n"
                             "\"Len\"=dword:000009c4\n"
                             "\"tempo\"=hex: 00, 00,00,00,00,80,6b,40\n"
                             "\"StartInt\"=dword:00000003\n";
    std::string utf16 = "\xFF\xFE";
    for (std::uint8_t b : Utf8ToUtf16Le(utf8)) {
        utf16 += static_cast<char>(b);
    }
    for (const std::string& text : {utf8, utf16, "\xEF\xBB\xBF" + utf8}) { // also UTF-8 with its mark
        WriteFile(File(), text);
        FileSettingsStore store("Vandoret");
        Settings s;
        LoadSettings(store, s);
        EXPECT_EQ(s.Left, 1);
        EXPECT_EQ(s.Width, 1024);
        EXPECT_EQ(s.Port, 4);
        EXPECT_EQ(s.BaseName, "%TEMP%\\Ä.txt");
        EXPECT_FALSE(s.Sound);
        EXPECT_EQ(s.Alg1, 1);
        EXPECT_EQ(s.Len, 2500);
        EXPECT_EQ(s.tempo, 220.0);
        EXPECT_EQ(s.AllowedTime, 681'818);
        EXPECT_EQ(s.StartInt, 3);
        EXPECT_EQ(s.StartClock, 570); // not stored: the sequence ended there
    }
}

TEST_F(FileStore, OtherValuesOfTheKeySurviveASave) {
    WriteFile(File(),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kronvale\\Vandoret]\r\n"
              "\"Len\"=dword:00000001\r\n\"Extra\"=hex(b):01,00,00,00,00,00,00,00\r\n");
    FileSettingsStore store("Vandoret");
    SaveSettings(store, Settings{});
    const std::string text = ReadFile(File());
    EXPECT_NE(text.find("\"Extra\"=hex(b):01,00,00,00,00,00,00,00\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Len\"=dword:00000960\r\n"), std::string::npos);
}

// A line that cannot be read is that one value mistyped: the guarded read stops there as for a
// mistyped registry value, and the save writes back what the read reached (repairing the bad value)
// and what the run changed, while the values after it, and values the program does not know, stay.
TEST_F(FileStore, OneBadLineCostsOnlyThatValue) {
    const std::string header =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kronvale\\Vandoret]\r\n";
    const std::string before = "\"left\"=dword:00000007\r\n\"Top\"=dword:00000008\r\n\"Width\"=dword:00000400\r\n"
                               "\"Height\"=dword:00000200\r\n\"Port\"=dword:00000002\r\n\"BaseName\"=\"A.txt\"\r\n"
                               "\"Sound\"=dword:00000000\r\n\"Alg1\"=dword:00000001\r\n\"Alg2\"=dword:00000000\r\n"
                               "\"Alg3\"=dword:00000000\r\n";
    const std::string after = "\"TEMPO\"=hex:00,00,00,00,00,80,6b,40\r\n\"StartInt\"=dword:00000003\r\n"
                              "\"StartClock\"=dword:0000021c\r\n\"StrafPkt\"=hex:00,00,00,00,00,00,e0,3f\r\n"
                              "\"Extra\"=hex(b):01,00,00,00,00,00,00,00\r\n";
    // Each bad form of the line that holds Len, and lines without a name the read could find.
    const char* const bad[] = {
        "\"Len\"=dword:0000zz00",
        "\"Len\"=dword:000000bb8",
        "\"Len\"=dword:",
        "\"Len\"=",
        "\"Len\"",
        "\"Len\"=-",
        "\"Len\"=\"bad \\escape\"",
        "\"Len\"=\"a\" trailing",
        "\"Len\"=hex:00,00,0g,00",
        "\"Len\"=hex:000,00",
        "\"Len\"=hex:00,,00",
        "\"Len\"=hex(:00",
        "\"Len\"=hex(123456789):00",
        "\"Len\"=hex:00,\\\r\n  zz",
        "Len=dword:00000bb8",
        "\"Len=dword:00000bb8",
        "@=\"default\"",
    };
    for (const char* b : bad) {
        SCOPED_TRACE(b);
        const std::string line = std::string(b) + "\r\n";
        WriteFile(File(), header + before + line + after);
        FileSettingsStore store("Vandoret");
        Settings s;
        SettingsRead read;
        LoadSettings(store, s, &read);
        EXPECT_EQ(s.Left, 7); // names match without regard to case
        EXPECT_EQ(s.Alg3, 0);
        EXPECT_EQ(s.Len, 2400);
        EXPECT_EQ(s.tempo, 240.0); // read as the default for this run
        EXPECT_EQ(s.StartInt, 5);

        s.StrafSek = 9; // changed by the operator
        SaveSettings(store, s, &read);
        const std::string text = ReadFile(File());
        EXPECT_NE(text.find("\"left\"=dword:00000007\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find(after), std::string::npos) << text; // not read, not changed: kept
        EXPECT_NE(text.find("\"StrafSek\"=dword:00000009\r\n"), std::string::npos) << text;
        EXPECT_EQ(text.find("DisText"), std::string::npos) << text; // not read, not changed, not there
        const bool named = std::string_view(b).substr(0, 5) == "\"Len\"";
        // The bad Len itself is rewritten with this run's value; a line without a readable name stays.
        EXPECT_NE(text.find("\"Len\"=dword:00000960\r\n"), std::string::npos) << text;
        EXPECT_EQ(text.find(line) != std::string::npos, !named) << text;

        // The next start reads everything again.
        Settings again;
        LoadSettings(store, again);
        EXPECT_EQ(again.tempo, 220.0);
        EXPECT_EQ(again.StartClock, 540);
        EXPECT_EQ(again.StrafPkt, 0.5);
        EXPECT_EQ(again.StrafSek, 9);
    }
}

TEST(RegFileFormat, ValuesRoundTrip) {
    RegFile file;
    file.key = "HKEY_CURRENT_USER\\Software\\Kronvale\\T";
    std::vector<std::uint8_t> longBytes(100);
    for (std::size_t i = 0; i < longBytes.size(); ++i) {
        longBytes[i] = static_cast<std::uint8_t>(i * 37);
    }
    file.values = {
        {"D", RegValue::Dword(0xFFFFFFFF)},
        {"Name \"with\" \\", RegValue::Sz("x")},
        {"E", RegValue::ExpandSz("%PATH%;ä€😀")},
        {"Empty", RegValue::Sz("")},
        {"EmptyBin", RegValue::Binary({})},
        {"Long", RegValue::Binary(longBytes)},
        {"LongText", RegValue::ExpandSz(std::string(120, 'x'))},
        {"Q", RegValue::Other(11, {1, 2, 3, 4, 5, 6, 7, 8})},
        {"Multi", RegValue::Other(7, {0x61, 0, 0, 0, 0, 0})},
        {"Ctl", RegValue::Sz("a\nb\x7f")},
    };
    const std::string text = FormatRegFile(file);
    // Long hex values are wrapped within 80 columns.
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_LE(end - start, 80u);
        start = end + 2;
    }
    const std::optional<RegFile> back = ParseRegFile(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->key, file.key);
    ASSERT_EQ(back->values.size(), file.values.size());
    for (std::size_t i = 0; i < file.values.size(); ++i) {
        EXPECT_EQ(back->values[i], file.values[i]) << file.values[i].first;
    }
    EXPECT_NE(text.find("\"E\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,3b,00,e4,00,ac,20,3d,d8,00,de,\\\r\n"
                        "  00,00\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"Name \\\"with\\\" \\\\\"=\"x\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Ctl\"=hex(1):61,00,0a,00,62,00,7f,00,00,00\r\n"), std::string::npos);
}

TEST(RegFileFormat, AnyByteStringSurvivesUtf16) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 12, '\0');
        for (char& c : text) {
            c = static_cast<char>(rng() % 4 == 0 ? 0xC0 + rng() % 64 : rng());
        }
        const std::vector<std::uint8_t> wide = Utf8ToUtf16Le(text);
        ASSERT_EQ(Utf16LeToUtf8(wide.data(), wide.size()), text);
    }
}

} // namespace
} // namespace vandoret
