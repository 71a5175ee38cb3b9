// The rules of the settings dialog "Einstellungen" (TCfgDialog), without any window: how the
// settings fill the fields, how length, tempo and allowed time follow each other, how the edit
// fields read their texts, and how the fields are transferred back when the dialog ends with OK.
// The Qt dialog (Cfg.h) only shows the fields and calls these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/TimeValues.h"
#include "settings/Settings.h"

namespace vandoret {

// What the open port says about its timing, for the dialog's port group.
struct PortTiming {
    int port = 0;                 // the number of the open port; 0: none is open
    std::string priority;         // the waiting thread's priority, e.g. "Echtzeit (SCHED_FIFO 10)"
    std::string latencyNotice;    // "USB-Latenz 16 ms — auf 1 ms stellen", or empty
    std::string latencyAdvice;    // what sets the latency timer where the program may not
    bool latencyWritable = false; // the program may set it to 1 ms
};

// What the settings dialog needs of the serial port when it is confirmed: the port is closed,
// and after a short pause opened again with the chosen number. The main window implements it
// over its port object (TComPort); tests use a recording fake.
struct PortControl {
    virtual ~PortControl() = default;
    // Closes the port and stops its waiting thread; errors are ignored. Harmless when closed.
    virtual void ClosePort() = 0;
    // Opens "COM" + number and starts its waiting thread; false when it could not be opened.
    virtual bool OpenPort(int number) = 0;
    // The port numbers found at program start (the dialog offers only these).
    virtual std::vector<int> AvailablePorts() const = 0;
    // The device that a port number stands for for the whole run (e.g. "/dev/ttyUSB0"); empty
    // when it is not known. The dialog shows it beside the number.
    virtual std::string DeviceOf(int) const { return {}; }
    // The pause between closing and opening again; sleeps by default.
    virtual void Pause(int milliseconds);
    // The open port's timing; none by default.
    virtual PortTiming Timing() const { return {}; }
    // Sets the adapter's latency timer of the open port to 1 ms (the operator agreed); false
    // when it could not be set.
    virtual bool SetLatencyToOneMs() { return false; }
};

namespace cfg {

inline constexpr int kStartIntMin = 1, kStartIntMax = 30, kStartIntMaxLength = 2;
inline constexpr int kLenMin = 10, kLenMax = 100'000, kLenMaxLength = 6;
inline constexpr double kTempoMin = 1.0, kTempoMax = 999.0, kTempoStep = 1.0;
inline constexpr int kTempoMaxLength = 3, kStrafPktMaxLength = 5, kStrafSekMaxLength = 3;
inline constexpr int kReopenPauseMs = 50;
// "Live-Ergebnisse Port": 0 is off, else the TCP port of the live results web server.
inline constexpr int kWebPortMin = 0, kWebPortMax = 65535, kWebPortMaxLength = 5;
inline constexpr const char* kNoPort = "Kein";

// ---- Ports and contact rows -------------------------------------------------------------------

// FormCreate: "Kein", then "COM" + n for each n from 1 to 32 that was found at start-up.
std::vector<std::string> PortItems(const std::vector<int>& available);
// The item "COM" + port, or 0 ("Kein") when there is none (also for port 0).
int PortItemIndex(const std::vector<std::string>& items, int port);
// The port number of an item: 0 for "Kein", else the number after its first three characters.
int PortFromItem(const std::vector<std::string>& items, int index);
// cbPortChange: the contact rows are enabled exactly when a port is chosen.
inline bool ContactRowsEnabled(int portItemIndex) {
    return portItemIndex > 0;
}

// ---- Edit fields -------------------------------------------------------------------------------

// An integer as the platform reads it: blanks before it, an optional sign and decimal digits
// that fit 32 bits. nullopt otherwise.
std::optional<std::int32_t> ParseInteger(std::string_view text);
// A decimal number as the platform reads it, with the locale's decimal separator and an optional
// exponent ("0,4", "-1,5E2", " 3"). nullopt otherwise (also for an empty text).
std::optional<double> ParseDecimal(std::string_view text, const Locale& locale);

// Integer spin field: its value is the integer in its text, or its minimum when there is none.
int SpinValue(std::string_view text, int min);
inline int Clamp(int v, int min, int max) {
    return v < min ? min : v > max ? max : v;
}
// A typed character the integer spin fields let through: digits, "+", "-", the decimal separator
// and control keys other than Enter.
bool SpinKeyAllowed(char32_t c, const Locale& locale);

// The decimal spin field eTempo: one decimal in the locale's format ("240,0"), halves away from zero.
std::string FormatTempo(double value, const Locale& locale);
double ClampTempo(double value);
// Its value: the number in its text clamped to 1.0 .. 999.0; 1.0 when the text is not a number.
double TempoValue(std::string_view text, const Locale& locale);
// On focus loss: the value the field keeps. An empty text becomes 1.0; a text that is not a
// number in range gives nullopt (the field returns to its old value and keeps the focus).
std::optional<double> TempoOnExit(std::string_view text, const Locale& locale);

// eStrafPktKeyPress: Backspace, the digits and the decimal separator; everything else is dropped.
bool StrafKeyAllowed(char32_t c, const Locale& locale);

// The shortest decimal text of a number in the locale's format: 0.4 gives "0,4".
std::string FormatShortestDecimal(double value, const Locale& locale);

// ---- Length, tempo and allowed time --------------------------------------------------------------

// seLenChange: the allowed time len / tempo / 1440 as a time of day (wrapping at 24 hours).
TimeOfDay TimeFromLenTempo(int len, double tempo);
// eTimeChange: the tempo len * 60 / t for the whole hours, minutes and seconds t shown in the time
// field; nullopt for 00:00:00, where no tempo follows.
std::optional<double> TempoFromTime(int len, TimeOfDay shown);
// The whole hours, minutes and seconds a time picker shows of a time of day.
int ShownSeconds(TimeOfDay value);

// Step 3: the first start as a time of day, read from its minute text. Under one hour, and for a
// value outside one day, the minute text gives no time of day: it shows as that many minutes
// after midnight (45 shows 00:45).
TimeOfDay StartClockTime(std::int32_t startClock, const Locale& locale);
// Step 9: whole minutes after midnight of the first-start field.
std::int32_t StartClockMinutes(TimeOfDay value);
// Step 5 and step 9: the allowed time as a time of day and back in milliseconds (halves to even).
TimeOfDay AllowedTimeOfDay(Duration allowedTime);
Duration AllowedTimeFromField(TimeOfDay value);

// ---- The edit cycle ------------------------------------------------------------------------------

// What the controls of the dialog hold, as far as the transfer reads them.
struct CfgFields {
    int portIndex = 0; // item of cbPort
    int alg1 = 0, alg2 = 1, alg3 = 1;
    TimeOfDay startClock = 0.0; // eStartClock
    std::string startIntText;   // eStartInt
    std::string lenText;        // seLen
    std::string tempoText;      // eTempo
    TimeOfDay time = 0.0;       // eTime, the full value
    std::string strafPktText, strafSekText, disText;
    std::string webPortText;  // eWebPort
    int wertung = 0;          // item of cbWertung: "wie bisher", "nach Reglement"
    TimeOfDay limit = 0.0;    // DateTimePicker1, "Maximale Zeit:"
    bool limitFollows = true; // it shows twice the allowed time, as the operator has not set it
    TimeOfDay minimum = 0.0;  // eMindestzeit; 00:00:00 = none
};

// "Maximale Zeit:" while the operator has not set it: twice the allowed time shown.
TimeOfDay FollowingLimit(TimeOfDay allowed);
// The operator set "Maximale Zeit:" to `shown`: it follows the allowed time again at 00:00:00.
inline bool LimitFollows(TimeOfDay shown) {
    return ShownSeconds(shown) == 0;
}

// Steps 1 to 7: the fields for the settings, with eTime derived from Len and tempo as shown.
CfgFields FieldsFromSettings(const Settings& settings, const std::vector<std::string>& portItems, const Locale& locale);

// Steps 9 to 12, after OK, then the live results port (0 to 65535, no number: 0 = off) and last the rules (rule set,
// time limit: 0 while it follows, speed-fault time: 0 = none). Returns the message to show
// when a field does not convert; the transfer then stops at that field (earlier settings keep their new values, that
// one and all later ones, the port and the polarities their old ones) and the port is left alone.
std::optional<std::string> TransferBack(const CfgFields& fields, const std::vector<std::string>& portItems,
                                        Settings& settings, PortControl& port, const Locale& locale);

std::string FloatError(std::string_view text);   // "'%s' is not a valid floating point value"
std::string IntegerError(std::string_view text); // "'%s' is not a valid integer value"
// A penalty step of 0 seconds or below cannot be computed; it is refused like a bad number.
std::string StrafSekError(std::string_view text);

} // namespace cfg
} // namespace vandoret
