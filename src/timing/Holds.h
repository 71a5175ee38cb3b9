// Holds on the course, as the operator records them: F5 "Anhalten" when a fence judge radios
// that a rider was stopped, Shift+F5 "Weiter" when the rider goes on (Timekeeper::NewHold,
// ApplyHold).
//
// What the operations promise:
//  - The entry carries one or more numbers (a fence rebuild stops every rider approaching it),
//    the moment (taken when the key was pressed, editable for a hold reported late) and an
//    optional reason. Each number's hold is journaled with its moment.
//  - "Anhalten" needs a number with a start and no open hold; "Weiter" one with an open hold and
//    a moment not before its beginning. Bad input changes nothing and gives a German message.
//  - The held time of a rider (the sum of the ended holds) is written into an empty "Pausen" of
//    the rider's stop row when the number is assigned; a later hold change rewrites the cell only
//    while it still holds the program's value, never a pause the operator typed.
//  - A finish row that gets the number of a rider still held asks for "Weiter" first
//    (TakeRestartWanted).
#pragma once

#include <string>

namespace vandoret {

struct HoldEntry {
    bool restart = false; // "Weiter"; else "Anhalten"
    std::string numbers;  // "12" or "12 14, 17"
    std::string time;     // "09:31:02,3"
    std::string reason;   // may be empty
};

struct HoldResult {
    bool done = false;   // recorded; the dialog closes
    std::string message; // otherwise why not
};

} // namespace vandoret
