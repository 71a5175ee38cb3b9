// A settings key held in memory, for tests: the values are public, and every call is counted so a
// test can see what was opened, read and written.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "settings/SettingsStore.h"

namespace vandoret {

class MemorySettingsStore : public SettingsStore {
public:
    bool keyExists = false; // OpenForRead succeeds only when the key exists
    bool writable = true;   // OpenForWrite fails when false
    std::map<std::string, RegValue> values;

    std::vector<std::string> reads;  // names in the order they were read
    std::vector<std::string> writes; // names in the order they were written
    int closes = 0;

    bool OpenForRead() override;
    bool OpenForWrite() override;
    std::optional<RegValue> Read(const std::string& name) override;
    void Write(const std::string& name, const RegValue& value) override;
    void Close() override;

private:
    bool open_ = false;
};

} // namespace vandoret
