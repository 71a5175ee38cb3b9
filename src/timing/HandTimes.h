// Hand times: a start or finish entered from the stopwatch or the starter's signal when a contact
// failed, and the correction of a recorded time.
//
// What the operations promise (Timekeeper::NewHandTime, CorrectHandTime, ApplyHandTime):
//  - A new entry adds a row to the start times or stop times list exactly as a key or contact
//    registration does (row number, the time as "hh:mm:ss,z", the number; counters and results
//    follow), with the entered time. A start for the rider selected in the number list moves the
//    selection on as F4 does; a start for any other rider leaves the countdown alone.
//  - A correction replaces the time and number of one row. It names the row and the cells it
//    showed; if the row has changed meanwhile, the row still holding those cells is corrected,
//    and if none does, nothing changes.
//  - The entry belongs to the number it carries, never to the rider selected when it is applied:
//    contacts and timers go on while the dialog is open.
//  - Every row whose time was written by hand is marked (TSortGrid::RowMarked; a correction of
//    the number alone leaves a key or contact time unmarked), the list draws it in its own
//    colour, the results show "H" beside its ride time, and the journal keeps the old value, the
//    new value, the reason and the moment.
//  - Bad input changes nothing and gives a German message for the dialog: a time that is not
//    one, an empty reason, a start without a number, a finish not after the rider's start (or a
//    start not before the rider's finish), and a number missing from the start list unless the
//    question "Nummer nicht in der Startliste — trotzdem eintragen?" is answered "Ja"; a start for
//    a number that already has one asks "Nummer <n> hat schon eine Startzeit — trotzdem
//    eintragen?" (the results keep using the first start while it is there).
//  - A finish more than twelve hours before the start is the next day's (a ride over midnight).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/TimeValues.h"

namespace vandoret {

enum class HandTimeKind { Start, Finish };

// What the dialog shows and hands back.
struct HandTimeEntry {
    HandTimeKind kind = HandTimeKind::Finish;
    std::string number;
    std::string time; // "09:31:02,3": the locale's time separator, a comma before the tenth
    std::string reason;
    // A correction: the row of the list and its time and number when the dialog opened. Row 0:
    // a new entry.
    int row = 0;
    std::string oldTime;
    std::string oldNumber;
    bool Correction() const { return row > 0; }
};

// The field a message is about, so the dialog can put the cursor there.
enum class HandTimeField { None, Number, Time, Reason };

struct HandTimeResult {
    bool done = false;   // the lists were changed; the dialog closes
    std::string message; // otherwise why not (empty: the operator said "Nein")
    HandTimeField field = HandTimeField::None;
};

// "hh:mm:ss,z" (hours may have one digit, the tenth may be left out) with the locale's time
// separator or ':', blanks around allowed. Hours 0-23, minutes and seconds 0-59.
std::optional<TimeOfDay> ParseHandTime(std::string_view text, const Locale& locale = {});

} // namespace vandoret
