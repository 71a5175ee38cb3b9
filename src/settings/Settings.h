// The one settings record of a run, and its persistence.
//
// LoadSettings fills the record once at start-up; in between only the settings dialog, the sound
// icon, the AutoStart box, the start list opened (BaseName), window moves and the port check at
// start-up change it. SaveSettings writes it back at shut-down and whenever one of the operator's
// choices changed (ChoicesDiffer), so a crash does not lose them. AllowedTime is derived from Len
// and tempo and never stored.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>

#include "base/TimeValues.h"

namespace vandoret {

class SettingsStore;

// Contact polarity, stored as its ordinal; equals the item index of the polarity drop-downs.
enum class Polarity : std::int32_t { NPN = 0, PNP = 1 };

struct Settings {
    std::int32_t Left = 333;
    std::int32_t Top = 169;
    std::int32_t Width = 800;
    std::int32_t Height = 360;
    std::uint8_t Port = 0; // serial port "COM" + n; 0 = none
    std::string BaseName = "Starterliste.txt";
    bool Sound = true;
    std::int32_t Alg1 =
        static_cast<std::int32_t>(Polarity::NPN); // row "Start frei:"; polarity of the start contact line DSR
    std::int32_t Alg2 = static_cast<std::int32_t>(Polarity::PNP); // row "Start:"; polarity of the finish line CTS
    std::int32_t Alg3 = static_cast<std::int32_t>(Polarity::PNP); // row "Ziel:"; polarity of the release line RLSD
    std::int32_t Len = 2400;                                      // course length, metres
    double tempo = 240.0;                                         // required speed, metres per minute
    std::int32_t StartInt = 5;                                    // minutes between planned starts
    std::int32_t StartClock = 570;                                // first planned start, minutes after midnight
    double StrafPkt = 0.4;                                        // penalty points per commenced penalty step
    std::int32_t StrafSek = 1;                                    // seconds of one penalty step
    std::string DisText = "Dis.";
    bool AutoStart = true;
    std::uint32_t WebPort = 0; // TCP port of the live results web server; 0 = off
    // Read after the others, so that a store written before them reads as before:
    std::uint32_t Wertung = 0;     // the rules of the results: 0 "wie bisher", 1 "nach Reglement"
    std::uint32_t Hoechstzeit = 0; // time limit in ms ("Maximale Zeit:"); 0 = twice the allowed time
    std::uint32_t Mindestzeit = 0; // speed-fault time in ms; 0 = none

    Duration AllowedTime = 600'000; // derived: ComputeAllowedTime
};

// The rule sets of Wertung, as "Wertung:" offers them.
inline constexpr const char* kWertungNames[] = {"wie bisher", "nach Reglement"};

// The names under which the settings are stored, in the order they are read and written.
inline constexpr const char* kSettingNames[] = {
    "Left",    "Top",       "Width",   "Height",  "Port",        "BaseName",   "Sound",    "Alg1",
    "Alg2",    "Alg3",      "Len",     "tempo",   "StartInt",    "StartClock", "StrafPkt", "StrafSek",
    "DisText", "AutoStart", "WebPort", "Wertung", "Hoechstzeit", "Mindestzeit"};

inline constexpr int kSettingCount = static_cast<int>(std::size(kSettingNames));

// What LoadSettings met in the store, kept for SaveSettings.
struct SettingsRead {
    int reached = kSettingCount; // names of kSettingNames the guarded read reached, the failing one included
    Settings loaded;             // the record as the read left it
};

// True when the two records differ in a stored value other than the window's place and size:
// the operator's choices. Values are compared as they are stored, so a NaN equals itself.
bool ChoicesDiffer(const Settings& a, const Settings& b);

// AllowedTime := Len / tempo / 1440 days in milliseconds, rounded half to even.
// 2400 m at 240.0 gives 600 000; 2500 m at 220.0 gives 681 818.
// A tempo of 0 or below or not a finite number (a hand-edited store) is replaced by 240.0 first,
// a Len of 0 or below by 2400; the other of the two keeps its value. A time beyond 32 bits of milliseconds gives the
// largest Duration.
void ComputeAllowedTime(Settings& settings);

// Reads the settings in their order as one guarded sequence: the first integer, boolean or
// double that is missing or of another type ends it, keeping what was read before; a missing
// text reads as empty and the sequence goes on. Always ends with ComputeAllowedTime. `read`, if
// given, learns how far the sequence got and what it left.
void LoadSettings(SettingsStore& store, Settings& settings, SettingsRead* read = nullptr);

// Writes the stored settings in order. A store that cannot be opened writes nothing. Given what
// the start read, it writes only the values the read reached (the failing one with what this run
// holds, which repairs it) and those the run changed since; a value after a mistyped one keeps
// what the store holds, and values the program does not know stay too.
void SaveSettings(SettingsStore& store, const Settings& settings, const SettingsRead* read = nullptr);

} // namespace vandoret
