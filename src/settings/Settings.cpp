// LoadSettings, SaveSettings and ComputeAllowedTime over a SettingsStore.
#include "settings/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "settings/SettingsStore.h"

namespace vandoret {
namespace {

// One read of the guarded sequence. Integer, boolean and double reads return false on a missing
// or mistyped value, which ends the sequence; a text read only fails on a mistyped value.
class SequenceReader {
public:
    explicit SequenceReader(SettingsStore& store) : store_(store) {}

    bool Int(const char* name, std::int32_t& target) {
        std::uint32_t raw = 0;
        if (!Dword(name, raw)) {
            return false;
        }
        target = static_cast<std::int32_t>(raw);
        return true;
    }

    bool Port(const char* name, std::uint8_t& target) {
        std::uint32_t raw = 0;
        if (!Dword(name, raw)) {
            return false;
        }
        target = static_cast<std::uint8_t>(raw & 0xFFu);
        return true;
    }

    bool Bool(const char* name, bool& target) {
        std::uint32_t raw = 0;
        if (!Dword(name, raw)) {
            return false;
        }
        target = raw != 0;
        return true;
    }

    // The live results port: a value that is no TCP port reads as 0 (off).
    bool WebPort(const char* name, std::uint32_t& target) {
        std::uint32_t raw = 0;
        if (!Dword(name, raw)) {
            return false;
        }
        target = raw <= 65535 ? raw : 0;
        return true;
    }

    // A rule set the program does not know reads as the first one.
    bool Choice(const char* name, std::uint32_t& target, std::uint32_t count) {
        std::uint32_t raw = 0;
        if (!Dword(name, raw)) {
            return false;
        }
        target = raw < count ? raw : 0;
        return true;
    }

    // A time in milliseconds; one beyond a day (a hand-edited store) reads as 0, the default.
    bool Milliseconds(const char* name, std::uint32_t& target) {
        std::uint32_t raw = 0;
        if (!Dword(name, raw)) {
            return false;
        }
        target = raw <= 86'400'000u ? raw : 0;
        return true;
    }

    bool Double(const char* name, double& target) {
        const std::optional<RegValue> value = store_.Read(name);
        if (!value || value->type != RegType::Binary || value->binary.size() != sizeof(double)) {
            return false;
        }
        // The eight bytes are the IEEE-754 double in little-endian order.
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < sizeof(double); ++i) {
            bits |= static_cast<std::uint64_t>(value->binary[i]) << (8 * i);
        }
        std::memcpy(&target, &bits, sizeof(double));
        return true;
    }

    bool Text(const char* name, std::string& target) {
        const std::optional<RegValue> value = store_.Read(name);
        if (!value) {
            target.clear();
            return true;
        }
        if (value->type != RegType::Sz && value->type != RegType::ExpandSz) {
            return false;
        }
        target = value->text;
        return true;
    }

private:
    bool Dword(const char* name, std::uint32_t& raw) {
        const std::optional<RegValue> value = store_.Read(name);
        if (!value || value->type != RegType::Dword) {
            return false;
        }
        raw = value->dword;
        return true;
    }

    SettingsStore& store_;
};

// The number of names the sequence reached, the failing one included.
int ReadSequence(SettingsStore& store, Settings& s) {
    SequenceReader r(store);
    int reached = 0;
    // Each read applies its value at once; the first failure keeps the rest at their defaults.
    const auto step = [&reached](bool ok) {
        ++reached;
        return ok;
    };
    (void)(step(r.Int("Left", s.Left)) && step(r.Int("Top", s.Top)) && step(r.Int("Width", s.Width)) &&
           step(r.Int("Height", s.Height)) && step(r.Port("Port", s.Port)) && step(r.Text("BaseName", s.BaseName)) &&
           step(r.Bool("Sound", s.Sound)) && step(r.Int("Alg1", s.Alg1)) && step(r.Int("Alg2", s.Alg2)) &&
           step(r.Int("Alg3", s.Alg3)) && step(r.Int("Len", s.Len)) && step(r.Double("tempo", s.tempo)) &&
           step(r.Int("StartInt", s.StartInt)) && step(r.Int("StartClock", s.StartClock)) &&
           step(r.Double("StrafPkt", s.StrafPkt)) && step(r.Int("StrafSek", s.StrafSek)) &&
           step(r.Text("DisText", s.DisText)) && step(r.Bool("AutoStart", s.AutoStart)) &&
           // Read after all the others: a store written before them reads as before.
           step(r.WebPort("WebPort", s.WebPort)) && step(r.Choice("Wertung", s.Wertung, 2)) &&
           step(r.Milliseconds("Hoechstzeit", s.Hoechstzeit)) && step(r.Milliseconds("Mindestzeit", s.Mindestzeit)));
    return reached;
}

RegValue DoubleValue(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof(double));
    std::vector<std::uint8_t> bytes(sizeof(double));
    for (std::size_t i = 0; i < sizeof(double); ++i) {
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return RegValue::Binary(std::move(bytes));
}

RegValue IntValue(std::int32_t v) {
    return RegValue::Dword(static_cast<std::uint32_t>(v));
}

// Every stored setting as its registry value, in the order of kSettingNames.
std::vector<RegValue> StoredValues(const Settings& s) {
    return {IntValue(s.Left),
            IntValue(s.Top),
            IntValue(s.Width),
            IntValue(s.Height),
            RegValue::Dword(s.Port),
            RegValue::Sz(s.BaseName),
            RegValue::Dword(s.Sound ? 1u : 0u),
            IntValue(s.Alg1),
            IntValue(s.Alg2),
            IntValue(s.Alg3),
            IntValue(s.Len),
            DoubleValue(s.tempo),
            IntValue(s.StartInt),
            IntValue(s.StartClock),
            DoubleValue(s.StrafPkt),
            IntValue(s.StrafSek),
            RegValue::Sz(s.DisText),
            RegValue::Dword(s.AutoStart ? 1u : 0u),
            RegValue::Dword(s.WebPort),
            RegValue::Dword(s.Wertung),
            RegValue::Dword(s.Hoechstzeit),
            RegValue::Dword(s.Mindestzeit)};
}

// Left, Top, Width and Height come first: the window's place, not a choice.
constexpr std::size_t kFirstChoice = 4;
static_assert(std::string_view(kSettingNames[kFirstChoice]) == "Port");

} // namespace

bool ChoicesDiffer(const Settings& a, const Settings& b) {
    const std::vector<RegValue> left = StoredValues(a);
    const std::vector<RegValue> right = StoredValues(b);
    return !std::equal(left.begin() + kFirstChoice, left.end(), right.begin() + kFirstChoice);
}

void ComputeAllowedTime(Settings& settings) {
    const Settings defaults;
    // A hand-edited store may hold a length or tempo that would divide by zero or give a negative
    // time. Only the unusable one goes back to its default; the operator's other value stays.
    if (!(settings.tempo > 0.0) || !std::isfinite(settings.tempo)) {
        settings.tempo = defaults.tempo;
    }
    if (settings.Len <= 0) {
        settings.Len = defaults.Len;
    }
    const long double days =
        static_cast<long double>(settings.Len) / static_cast<long double>(settings.tempo) / 1440.0L;
    const double stored = static_cast<double>(days);
    const long double ms = std::nearbyint(static_cast<long double>(stored) * 86'400'000.0L); // halves to even
    // A very long course at a very low tempo does not fit 32 bits: such a ride never earns penalties.
    const long double top = static_cast<long double>(std::numeric_limits<Duration>::max());
    settings.AllowedTime = ms >= top ? std::numeric_limits<Duration>::max() : static_cast<Duration>(ms);
}

void LoadSettings(SettingsStore& store, Settings& settings, SettingsRead* read) {
    int reached = kSettingCount; // no key: nothing stored that the save could keep
    if (store.OpenForRead()) {
        reached = ReadSequence(store, settings);
        store.Close();
    }
    ComputeAllowedTime(settings);
    if (read != nullptr) {
        read->reached = reached;
        read->loaded = settings;
    }
}

void SaveSettings(SettingsStore& store, const Settings& s, const SettingsRead* read) {
    if (!store.OpenForWrite()) {
        return;
    }
    const std::vector<RegValue> values = StoredValues(s);
    const std::vector<RegValue> loaded = read != nullptr ? StoredValues(read->loaded) : std::vector<RegValue>();
    for (int i = 0; i < kSettingCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        // A value the read never reached keeps what the store holds, unless the run changed it.
        if (read == nullptr || i < read->reached || values[k] != loaded[k]) {
            store.Write(kSettingNames[k], values[k]);
        }
    }
    store.Close();
}

} // namespace vandoret
