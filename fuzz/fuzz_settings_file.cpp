// The settings file reader: any bytes as the settings file of the program.
//
// Checked: a file the reader accepts, written out again, reads back to the same key and values
// (twice written, the text stays the same); and through the file store, the settings the program
// read, saved at shut-down, read back the same at the next start, every value the first read
// reached included, while the values the program does not know stay in the file.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzSupport.h"
#include "lists/TextFile.h"
#include "settings/FileSettingsStore.h"
#include "settings/RegFileFormat.h"
#include "settings/Settings.h"

using namespace vandoret;

namespace {

bool SameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Setting number i (in the order of kSettingNames) of both records is the same; a setting added
// to kSettingNames must be added here (the static_assert below reminds).
static_assert(kSettingCount == 22, "compare the new setting in SameSetting");
bool SameSetting(int i, const Settings& a, const Settings& b) {
    switch (i) {
    case 0:
        return a.Left == b.Left;
    case 1:
        return a.Top == b.Top;
    case 2:
        return a.Width == b.Width;
    case 3:
        return a.Height == b.Height;
    case 4:
        return a.Port == b.Port;
    case 5:
        return a.BaseName == b.BaseName;
    case 6:
        return a.Sound == b.Sound;
    case 7:
        return a.Alg1 == b.Alg1;
    case 8:
        return a.Alg2 == b.Alg2;
    case 9:
        return a.Alg3 == b.Alg3;
    case 10:
        return a.Len == b.Len;
    case 11:
        return SameDouble(a.tempo, b.tempo);
    case 12:
        return a.StartInt == b.StartInt;
    case 13:
        return a.StartClock == b.StartClock;
    case 14:
        return SameDouble(a.StrafPkt, b.StrafPkt);
    case 15:
        return a.StrafSek == b.StrafSek;
    case 16:
        return a.DisText == b.DisText;
    case 17:
        return a.AutoStart == b.AutoStart;
    case 18:
        return a.WebPort == b.WebPort;
    case 19:
        return a.Wertung == b.Wertung;
    case 20:
        return a.Hoechstzeit == b.Hoechstzeit;
    case 21:
        return a.Mindestzeit == b.Mindestzeit;
    default:
        return false;
    }
}

// A name the program writes; names are compared without regard to the case of A-Z, as the
// registry does.
bool KnownName(const std::string& name) {
    for (const char* known : kSettingNames) {
        const std::string_view k(known);
        if (k.size() == name.size() && std::equal(k.begin(), k.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The text form on its own.
    const std::optional<RegFile> parsed = ParseRegFile(bytes);
    if (parsed) {
        const std::string text = FormatRegFile(*parsed);
        const std::optional<RegFile> again = ParseRegFile(text);
        FUZZ_CHECK(again.has_value(), "a written settings file reads");
        FUZZ_CHECK(again->key == parsed->key, "the key reads back");
        if (again->values != parsed->values) {
            for (const RegFile* f : {&*parsed, &*again}) {
                std::fprintf(stderr, "--- %zu values\n", f->values.size());
                for (const auto& [name, value] : f->values) {
                    std::fprintf(stderr, "\"%s\" type %d dword %u text \"%s\" binary %zu\n", name.c_str(),
                                 static_cast<int>(value.type), value.dword, value.text.c_str(), value.binary.size());
                }
            }
        }
        FUZZ_CHECK(again->values == parsed->values, "every value reads back");
        FUZZ_CHECK(FormatRegFile(*again) == text, "written twice, the text stays the same");
    }

    // Through the file store: the start reads, the shut-down saves, the next start reads.
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    FileSettingsStore store(folder, "Vandoret");
    if (!WriteWholeFile(PathToUtf8(store.FilePath()), bytes)) {
        return 0;
    }
    Settings first;
    SettingsRead read;
    LoadSettings(store, first, &read);
    FUZZ_CHECK(read.reached >= 1 && read.reached <= kSettingCount, "the read reached a known setting");
    SaveSettings(store, first, &read);

    std::string saved;
    FUZZ_CHECK(ReadWholeFile(PathToUtf8(store.FilePath()), saved) == ReadOutcome::Ok, "the settings were saved");
    const std::optional<RegFile> savedFile = ParseRegFile(saved);
    FUZZ_CHECK(savedFile.has_value(), "the saved settings file reads");
    if (parsed) {
        for (const auto& entry : parsed->values) {
            if (!KnownName(entry.first)) {
                const bool kept =
                    std::find(savedFile->values.begin(), savedFile->values.end(), entry) != savedFile->values.end();
                if (!kept) {
                    std::fprintf(stderr, "value \"%s\" (type %d) not kept\n", entry.first.c_str(),
                                 static_cast<int>(entry.second.type));
                }
                FUZZ_CHECK(kept, "a value the program does not know stays");
            }
        }
    }

    FileSettingsStore next(folder, "Vandoret");
    Settings second;
    SettingsRead readAgain;
    LoadSettings(next, second, &readAgain);
    FUZZ_CHECK(readAgain.reached >= read.reached, "the saved settings read at least as far");
    const int compared = read.reached == kSettingCount ? kSettingCount : read.reached;
    for (int i = 0; i < compared; ++i) {
        if (!SameSetting(i, first, second)) {
            std::fprintf(stderr, "setting %s changed\n", kSettingNames[i]);
        }
        FUZZ_CHECK(SameSetting(i, first, second), "a setting read, saved and read again stays the same");
    }
    return 0;
}
