// A journal writer in memory (one text per day, failures on demand), a settable clock and the
// rows of a grid as a replay gives them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "journal/Journal.h"

namespace vandoret::testing {

class MemoryJournalWriter : public JournalWriter {
public:
    std::map<std::string, std::string> files; // day -> text
    int failNext = 0;                         // the next n appends fail, half their text written
    std::size_t failKeep = std::string::npos; // or this much of it
    bool Append(const std::string& day, const std::string& lines) override {
        const std::string file = unreadable.count(day) != 0 ? day + "-2" : day; // never the unreadable one
        if (failNext > 0) {
            --failNext;
            files[file] += lines.substr(0, failKeep == std::string::npos ? lines.size() / 2 : failKeep);
            return false;
        }
        files[file] += lines;
        return true;
    }
    std::map<std::string, std::string> unreadable; // day -> why its file cannot be read
    std::vector<JournalFileText> ReadAll() override {
        std::vector<JournalFileText> all;
        for (const auto& [day, text] : files) {
            const auto error = unreadable.find(day);
            all.push_back({day, "Vandoret-" + day + ".txt", error == unreadable.end() ? text : std::string(),
                           error == unreadable.end() ? std::string() : error->second});
        }
        return all;
    }
    std::string ReadNewest() const { return files.empty() ? std::string() : files.rbegin()->second; }
};

// The data rows of a grid (without its caption row), as a replay gives them.
inline JournalRows RowsOf(const TSortGrid& grid) {
    JournalRows rows;
    for (int r = 1; r < grid.RowCount(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < grid.ColCount(); ++c) {
            rows.back().push_back(grid.Cells(c, r));
        }
    }
    return rows;
}

class FakeJournalClock : public JournalClock {
public:
    JournalStamp now{2024, 5, 11, 9 * 3'600'000};
    JournalStamp Now() override { return now; }
};

} // namespace vandoret::testing
