// A journal writer in memory (one text per day, failures on demand) and a settable clock.
#pragma once

#include <map>
#include <string>

#include "journal/Journal.h"

namespace vandoret::testing {

class MemoryJournalWriter : public JournalWriter {
public:
    std::map<std::string, std::string> files; // day -> text
    int failNext = 0;                         // the next n appends fail, half their text written
    bool Append(const std::string& day, const std::string& lines) override {
        if (failNext > 0) {
            --failNext;
            files[day] += lines.substr(0, lines.size() / 2);
            return false;
        }
        files[day] += lines;
        return true;
    }
    std::string ReadNewest() override { return files.empty() ? std::string() : files.rbegin()->second; }
};

class FakeJournalClock : public JournalClock {
public:
    JournalStamp now{2024, 5, 11, 9 * 3'600'000};
    JournalStamp Now() override { return now; }
};

} // namespace vandoret::testing
