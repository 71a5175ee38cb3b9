// The scripted session of the kill test, shared by the driver program and the test that checks
// what a recovery gives. Step i is exactly one handler call (with whatever typing precedes it),
// so a kill lands either between two handlers or inside one. Every kEpoch steps the session
// starts over with cleared lists, so the lists after step n follow from the steps since the
// last epoch began.
#pragma once

#include <string>

#include "contacts/port_layer/PortLayer.h"
#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {

inline constexpr long kEpoch = 64;

inline void RunKillStep(Timekeeper& tk, FakeHost& host, long i) {
    host.now = MakeTimeOfDay(8, 0, 0) + static_cast<double>(i % 40'000) * 0.731 / 86'400.0;
    const long k = i % kEpoch;
    const auto someRow = [&tk, i] {
        return 1 + static_cast<int>((i * 7) % (tk.registrations.SortGrid3.RowCount() - 1));
    };
    if (k == 0) { // the lists cleared, everything as at the start
        tk.sbCLSClick(false);
        for (int n = 1; n <= 40; ++n) {
            tk.startList.cbNr.Items.push_back(std::to_string(n));
        }
        tk.startList.cbNr.ItemIndex = 0;
        tk.settings.AutoStart = true;
        tk.registrations.StartContactFree = true;
        tk.registrations.FinishContactFree = (i / kEpoch) % 2 == 0; // every other epoch the light barrier is locked
        tk.contacts.LastModemStatus = 0x55555555;
        return;
    }
    switch (k % 8) {
    case 0:
    case 1:
        tk.registrations.RegisterStart(); // F4
        break;
    case 2:
    case 3:
        tk.registrations.RegisterFinish(); // F8
        break;
    case 4:
        tk.contacts.DecodeContacts(kMsCtsOn, host.now - 0.002 / 86'400.0); // the light barrier (maybe locked)
        break;
    case 5:
        tk.contacts.DecodeContacts(0, host.now);
        break;
    case 6: { // a start number typed into "St.Nr." and Enter (unknown numbers get "!")
        const int row = someRow();
        tk.SortGrid3SelectCell(2, row);
        tk.registrations.SortGrid3.SetCell(2, row, std::to_string(i % 50));
        tk.SortGrid3KeyPress(U'\r');
        break;
    }
    default: {
        const int row = someRow();
        if (k % 16 == 7) { // Ctrl+0 on the stop list
            tk.pages.ActiveTab = kTabStopTimes;
            tk.registrations.SortGrid3.SetRow(row);
            host.yesNoAnswers.push_back(true);
            tk.sbDelLineClick();
        } else { // "F.-Pkt." typed, then an arrow key moves on
            tk.SortGrid3SelectCell(5, row);
            tk.registrations.SortGrid3.SetCell(5, row, std::to_string(i % 9));
            tk.SortGrid3EditCommitted(row);
        }
    }
    }
}

} // namespace vandoret::testing
