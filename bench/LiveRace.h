// The race both live-server benches serve: 200 riders, 180 started, 150 finished by 10:30.
#pragma once

#include <string>

#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace vandoret::bench {

inline void FillLiveRace(vandoret::testing::FakeHost& host, Timekeeper& tk) {
    tk.startList.SortGrid1.SetRowCount(201);
    for (int r = 1; r <= 200; ++r) {
        const int minute = 9 * 60 + r;
        tk.startList.SortGrid1.SetCell(
            0, r, std::to_string(minute / 60) + ":" + (minute % 60 < 10 ? "0" : "") + std::to_string(minute % 60));
        tk.startList.SortGrid1.SetCell(1, r, std::to_string(r));
        tk.startList.SortGrid1.SetCell(2, r, "Reiterin " + std::to_string(r));
        tk.startList.SortGrid1.SetCell(3, r, "Pferd " + std::to_string(r));
        tk.startList.SortGrid1.SetCell(4, r, "RV Verein");
        tk.startList.SortGrid1.SetCell(5, r, "Ort");
    }
    tk.startList.RefreshNumberList();
    tk.SelectRider(0);
    for (int r = 0; r < 180; ++r) {
        host.SetClock(9, 30 + r / 10, (r % 10) * 6);
        tk.registrations.RegisterStart();
    }
}

// One more finish, its number typed in (the finish's rider is the next of 1, 2, 3, …).
inline void AddLiveFinish(vandoret::testing::FakeHost& host, Timekeeper& tk, int& finished) {
    host.now += 1.0 / 86400.0;
    tk.registrations.RegisterFinish();
    tk.registrations.SortGrid3.SetCell(2, tk.registrations.SortGrid3.RowCount() - 1, std::to_string(++finished));
}

inline void FinishLiveRace(vandoret::testing::FakeHost& host, Timekeeper& tk, int& finished) {
    for (int i = 0; i < 150; ++i) {
        host.SetClock(10, 0, 0);
        host.now += i * 7.0 / 86400.0;
        AddLiveFinish(host, tk, finished);
    }
    host.SetClock(10, 30, 0);
}

} // namespace vandoret::bench
