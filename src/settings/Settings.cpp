// LoadSettings, SaveSettings and ComputeAllowedTime over a SettingsStore.
#include "settings/Settings.h"

#include <cmath>
#include <cstring>
#include <limits>

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

void ReadSequence(SettingsStore& store, Settings& s) {
    SequenceReader r(store);
    // Each read applies its value at once; the first failure keeps the rest at their defaults.
    (void)(r.Int("Left", s.Left) && r.Int("Top", s.Top) && r.Int("Width", s.Width) && r.Int("Height", s.Height) &&
           r.Port("Port", s.Port) && r.Text("BaseName", s.BaseName) && r.Bool("Sound", s.Sound) &&
           r.Int("Alg1", s.Alg1) && r.Int("Alg2", s.Alg2) && r.Int("Alg3", s.Alg3) && r.Int("Len", s.Len) &&
           r.Double("tempo", s.tempo) && r.Int("StartInt", s.StartInt) && r.Int("StartClock", s.StartClock) &&
           r.Double("StrafPkt", s.StrafPkt) && r.Int("StrafSek", s.StrafSek) && r.Text("DisText", s.DisText) &&
           r.Bool("AutoStart", s.AutoStart) &&
           // Read after all the others: a store written before it existed reads as before.
           r.WebPort("WebPort", s.WebPort));
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

} // namespace

void ComputeAllowedTime(Settings& settings) {
    const Settings defaults;
    // A hand-edited store may hold a length or tempo that would divide by zero or give a negative
    // time. The two belong together: if either is unusable, both go back to their defaults, so
    // the allowed time is the designed ten minutes rather than a mix of one stored and one default.
    if (settings.Len <= 0 || !(settings.tempo > 0.0) || !std::isfinite(settings.tempo)) {
        settings.Len = defaults.Len;
        settings.tempo = defaults.tempo;
    }
    const long double days =
        static_cast<long double>(settings.Len) / static_cast<long double>(settings.tempo) / 1440.0L;
    const double stored = static_cast<double>(days);
    const long double ms = std::nearbyint(static_cast<long double>(stored) * 86'400'000.0L); // halves to even
    // A very long course at a very low tempo does not fit 32 bits: such a ride never earns penalties.
    const long double top = static_cast<long double>(std::numeric_limits<Duration>::max());
    settings.AllowedTime = ms >= top ? std::numeric_limits<Duration>::max() : static_cast<Duration>(ms);
}

void LoadSettings(SettingsStore& store, Settings& settings) {
    if (store.OpenForRead()) {
        ReadSequence(store, settings);
        store.Close();
    }
    ComputeAllowedTime(settings);
}

void SaveSettings(SettingsStore& store, const Settings& s) {
    if (!store.OpenForWrite()) {
        return;
    }
    store.Write("Left", IntValue(s.Left));
    store.Write("Top", IntValue(s.Top));
    store.Write("Width", IntValue(s.Width));
    store.Write("Height", IntValue(s.Height));
    store.Write("Port", RegValue::Dword(s.Port));
    store.Write("BaseName", RegValue::Sz(s.BaseName));
    store.Write("Sound", RegValue::Dword(s.Sound ? 1u : 0u));
    store.Write("Alg1", IntValue(s.Alg1));
    store.Write("Alg2", IntValue(s.Alg2));
    store.Write("Alg3", IntValue(s.Alg3));
    store.Write("Len", IntValue(s.Len));
    store.Write("tempo", DoubleValue(s.tempo));
    store.Write("StartInt", IntValue(s.StartInt));
    store.Write("StartClock", IntValue(s.StartClock));
    store.Write("StrafPkt", DoubleValue(s.StrafPkt));
    store.Write("StrafSek", IntValue(s.StrafSek));
    store.Write("DisText", RegValue::Sz(s.DisText));
    store.Write("AutoStart", RegValue::Dword(s.AutoStart ? 1u : 0u));
    store.Write("WebPort", RegValue::Dword(s.WebPort));
    store.Close();
}

} // namespace vandoret
