// The words of the journal: the kind of each line (its second field, after the stamp) and the
// fixed words inside lines. The writer writes them and the replay reads them from here only, so
// that what is written can always be read back.
#pragma once

#include <string_view>

namespace vandoret::journal_word {

// Kinds of line.
inline constexpr std::string_view kSessionBegin = "Sitzungsbeginn";
inline constexpr std::string_view kSessionEnd = "Sitzungsende";
inline constexpr std::string_view kRecovered = "Wiederhergestellt";
inline constexpr std::string_view kStart = "Start";
inline constexpr std::string_view kFinish = "Ziel";
inline constexpr std::string_view kEdit = "Eingabe";
inline constexpr std::string_view kRow = "Zeile";
inline constexpr std::string_view kRowCount = "Zeilenzahl";
inline constexpr std::string_view kStand = "Stand";
inline constexpr std::string_view kRowDeleted = "Zeile gelöscht";
inline constexpr std::string_view kListsCleared = "Listen geleert";
inline constexpr std::string_view kProtocolOpened = "Protokoll geöffnet";
inline constexpr std::string_view kContacts = "Kontakte";
inline constexpr std::string_view kHandTime = "Handzeit";
inline constexpr std::string_view kCorrection = "Korrektur";
inline constexpr std::string_view kSelection = "Auswahl";
inline constexpr std::string_view kCountdown = "Countdown";
inline constexpr std::string_view kSaved = "Gespeichert";
inline constexpr std::string_view kClockStep = "Uhrsprung"; // the wall clock jumped: when, by how many ms
inline constexpr std::string_view kStatus = "Status";       // a rider's status: the number and its word
inline constexpr std::string_view kHold = "Anhalten";       // a rider held on the course: number, moment, reason
inline constexpr std::string_view kRestart = "Weiter";      // the held rider goes on: number, moment

// Words inside lines.
inline constexpr std::string_view kSession = "Sitzung";        // before the session number
inline constexpr std::string_view kContinued = "Fortsetzung";  // a session going on in a later file
inline constexpr std::string_view kStartTimes = "Startzeiten"; // the lists
inline constexpr std::string_view kStopTimes = "Stoppzeiten";
inline constexpr std::string_view kSavedResults = "Ergebnisse"; // what was saved
inline constexpr std::string_view kSavedStartList = "Startliste";
inline constexpr std::string_view kOn = "ein"; // the countdown switch
inline constexpr std::string_view kOff = "aus";
inline constexpr std::string_view kHandMark = "H";         // a row timed by hand
inline constexpr std::string_view kAutomaticMark = "Auto"; // a start the program took by itself
inline constexpr std::string_view kNoStatus = "kein";      // a status taken back
inline constexpr std::string_view kOld = "alt";            // a hand time's old time and number
inline constexpr std::string_view kReason = "Grund";

} // namespace vandoret::journal_word
