// The registry backend of the settings store; runs on Windows only (or under wine).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "settings/RegistrySettingsStoreWin32.h"
#include "settings/Settings.h"

namespace vandoret {
namespace {

std::vector<std::uint8_t> BytesOf(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    std::vector<std::uint8_t> b(8);
    for (std::size_t i = 0; i < 8; ++i) {
        b[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return b;
}

std::uint64_t Bits(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    return bits;
}

bool KeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Every test works under its own application title and removes its key afterwards, and the
// parent key too when the test created it.
class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        title_ = "VandoretTest-" + std::to_string(GetCurrentProcessId()) + "-" + info->name();
        path_ = L"Software\\Kronvale\\" + std::wstring(title_.begin(), title_.end());
        hadParent_ = KeyExists(L"Software\\Kronvale");
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        EXPECT_FALSE(KeyExists(path_.c_str()));
        if (!hadParent_) {
            RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Kronvale"); // fails, harmlessly, if not empty
        }
    }

    std::string title_;
    std::wstring path_;
    bool hadParent_ = false;
};

TEST_F(RegistryStore, MissingKeyReadsAsMissingAndGivesDefaults) {
    RegistrySettingsStore store(title_);
    EXPECT_FALSE(store.OpenForRead());
    EXPECT_EQ(store.Read("Left"), std::nullopt);
    store.Write("Left", RegValue::Dword(1)); // not open: ignored
    store.Close();
    EXPECT_FALSE(KeyExists(path_.c_str()));

    Settings s;
    s.Len = 1; // LoadSettings only overwrites what it reads
    std::unique_ptr<SettingsStore> platform = MakeSettingsStore(title_);
    LoadSettings(*platform, s);
    EXPECT_EQ(s.Len, 1);
    EXPECT_EQ(s.BaseName, "Starterliste.txt");
    EXPECT_FALSE(KeyExists(path_.c_str())); // reading never creates the key
}

TEST_F(RegistryStore, ValuesRoundTripWithTheirTypes) {
    const std::vector<std::pair<std::string, RegValue>> values = {
        {"Zero", RegValue::Dword(0)},
        {"AllBits", RegValue::Dword(0xFFFFFFFFu)},
        {"Port", RegValue::Dword(260)},
        {"Empty", RegValue::Sz("")},
        {"BaseName", RegValue::Sz("Starterliste.txt")},
        {"Umlauts", RegValue::Sz("Jörg Müller, Straße 5 €")},
        {"NotUtf8", RegValue::Sz(std::string("a\xff\xfe"
                                             "b"))},
        {"Expand", RegValue::ExpandSz("%USERPROFILE%\\Liste.txt")}, // kept unexpanded
        {"NoBytes", RegValue::Binary({})},
        {"tempo", RegValue::Binary(BytesOf(240.0))},
        {"Qword", RegValue::Other(REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8})},
        {"LongDword", RegValue::Other(REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0})}, // mistyped: 8-byte DWORD
        {"Namé", RegValue::Dword(7)},
    };
    RegistrySettingsStore writer(title_);
    ASSERT_TRUE(writer.OpenForWrite());
    for (const auto& [name, value] : values) {
        writer.Write(name, value);
    }
    writer.Close();

    RegistrySettingsStore reader(title_);
    ASSERT_TRUE(reader.OpenForRead());
    for (const auto& [name, value] : values) {
        SCOPED_TRACE(name);
        EXPECT_EQ(reader.Read(name), value);
    }
    EXPECT_EQ(reader.Read("Missing"), std::nullopt);
    reader.Close();
    EXPECT_EQ(reader.Read("Zero"), std::nullopt); // closed
}

TEST_F(RegistryStore, DoublesComeBackBitForBit) {
    const double doubles[] = {240.0,
                              0.4,
                              1.0 / 3.0,
                              0.1 + 0.2,
                              -0.0,
                              std::numeric_limits<double>::denorm_min(),
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
    for (double d : doubles) {
        SCOPED_TRACE(d);
        RegistrySettingsStore store(title_);
        ASSERT_TRUE(store.OpenForWrite());
        store.Write("tempo", RegValue::Binary(BytesOf(d)));
        store.Close();
        ASSERT_TRUE(store.OpenForRead());
        EXPECT_EQ(store.Read("tempo"), RegValue::Binary(BytesOf(d)));
        store.Close();
    }
}

TEST_F(RegistryStore, SettingsSaveAndLoadGiveBackEveryStoredSetting) {
    Settings saved;
    saved.Left = -1200; // a window on a screen left of the main one
    saved.Top = 20;
    saved.Width = 1024;
    saved.Height = 700;
    saved.Port = 255;
    saved.BaseName = "Geländeritt 2026.txt";
    saved.Sound = false;
    saved.Alg1 = 1;
    saved.Alg2 = 0;
    saved.Alg3 = 0;
    saved.Len = 3137;
    saved.tempo = 520.0 / 3.0;
    saved.StartInt = 7;
    saved.StartClock = 615;
    saved.StrafPkt = 0.1 + 0.3;
    saved.StrafSek = 4;
    saved.DisText = "Aufg.";
    saved.AutoStart = false;
    std::unique_ptr<SettingsStore> platform = MakeSettingsStore(title_);
    SaveSettings(*platform, saved);

    Settings loaded;
    RegistrySettingsStore store(title_);
    LoadSettings(store, loaded);
    EXPECT_EQ(loaded.Left, saved.Left);
    EXPECT_EQ(loaded.Top, saved.Top);
    EXPECT_EQ(loaded.Width, saved.Width);
    EXPECT_EQ(loaded.Height, saved.Height);
    EXPECT_EQ(loaded.Port, saved.Port);
    EXPECT_EQ(loaded.BaseName, saved.BaseName);
    EXPECT_EQ(loaded.Sound, saved.Sound);
    EXPECT_EQ(loaded.Alg1, saved.Alg1);
    EXPECT_EQ(loaded.Alg2, saved.Alg2);
    EXPECT_EQ(loaded.Alg3, saved.Alg3);
    EXPECT_EQ(loaded.Len, saved.Len);
    EXPECT_EQ(Bits(loaded.tempo), Bits(saved.tempo));
    EXPECT_EQ(loaded.StartInt, saved.StartInt);
    EXPECT_EQ(loaded.StartClock, saved.StartClock);
    EXPECT_EQ(Bits(loaded.StrafPkt), Bits(saved.StrafPkt));
    EXPECT_EQ(loaded.StrafSek, saved.StrafSek);
    EXPECT_EQ(loaded.DisText, saved.DisText);
    EXPECT_EQ(loaded.AutoStart, saved.AutoStart);
}

TEST_F(RegistryStore, MistypedValueEndsLoading) {
    RegistrySettingsStore store(title_);
    ASSERT_TRUE(store.OpenForWrite());
    store.Write("Left", RegValue::Dword(10));
    store.Write("Top", RegValue::Dword(20));
    store.Write("Width", RegValue::Dword(1024));
    store.Write("Height", RegValue::Other(REG_QWORD, {0xBC, 2, 0, 0, 0, 0, 0, 0})); // 700 as a QWORD
    store.Write("Port", RegValue::Dword(3));
    store.Close();

    Settings s;
    LoadSettings(store, s);
    EXPECT_EQ(s.Width, 1024);
    EXPECT_EQ(s.Height, 360);
    EXPECT_EQ(s.Port, 0);
}

TEST_F(RegistryStore, WritingKeepsValuesItDoesNotTouch) {
    RegistrySettingsStore store(title_);
    ASSERT_TRUE(store.OpenForWrite());
    store.Write("Foreign", RegValue::Sz("bleibt"));
    store.Write("Left", RegValue::Dword(1));
    store.Close();
    ASSERT_TRUE(store.OpenForWrite());
    store.Write("Left", RegValue::Dword(2));
    store.Close();
    ASSERT_TRUE(store.OpenForRead());
    EXPECT_EQ(store.Read("Foreign"), RegValue::Sz("bleibt"));
    EXPECT_EQ(store.Read("Left"), RegValue::Dword(2));
}

} // namespace
} // namespace vandoret

#endif // _WIN32
