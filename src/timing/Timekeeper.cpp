#include "timing/Timekeeper.h"

namespace vandoret {

Timekeeper::Timekeeper(Host& host, Locale locale) : host_(host), locale_(locale) {
    const auto report = [this](const std::string& text) { host_.ShowMessage(text); };
    for (int tab = 0; tab < 5; ++tab) {
        Grid(tab).OnMessage = report;
    }
    const char* const captions1[] = {"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"};
    const char* const captions2[] = {"Kontakt-Nr.", "Startzeit", "St.Nr."};
    const char* const captions3[] = {"Kontakt-Nr.", "Stoppzeit", "St.Nr.", "Pausen", "EZ-Pkt.", "F.-Pkt."};
    const char* const captions4[] = {"Platz", "St.Nr.", "Name", "Pferd", "Club", "Ort", "Zeit", "Punkte"};
    const char* const captions5[] = {"St.Nr.", "Name", "Pferd", "Club", "Ort"};
    const auto write = [](TSortGrid& grid, const auto& captions) {
        int col = 0;
        for (const char* caption : captions) {
            grid.SetCell(col++, 0, caption);
        }
    };
    write(SortGrid1, captions1);
    write(SortGrid2, captions2);
    write(SortGrid3, captions3);
    write(SortGrid4, captions4);
    write(SortGrid5, captions5);
    SetUpListSorting();
}

TSortGrid& Timekeeper::Grid(int tab) {
    switch (tab) {
    case kTabStartTimes:
        return SortGrid2;
    case kTabStopTimes:
        return SortGrid3;
    case kTabResults:
        return SortGrid4;
    case kTabEventing:
        return SortGrid5;
    default:
        return SortGrid1;
    }
}

} // namespace vandoret
