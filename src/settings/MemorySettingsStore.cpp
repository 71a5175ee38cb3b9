#include "settings/MemorySettingsStore.h"

namespace vandoret {

bool MemorySettingsStore::OpenForRead() {
    open_ = keyExists;
    return open_;
}

bool MemorySettingsStore::OpenForWrite() {
    if (!writable) {
        return false;
    }
    keyExists = true;
    open_ = true;
    return true;
}

std::optional<RegValue> MemorySettingsStore::Read(const std::string& name) {
    reads.push_back(name);
    if (!open_) {
        return std::nullopt;
    }
    const auto it = values.find(name);
    if (it == values.end()) {
        return std::nullopt;
    }
    return it->second;
}

void MemorySettingsStore::Write(const std::string& name, const RegValue& value) {
    writes.push_back(name);
    if (open_) {
        values[name] = value;
    }
}

void MemorySettingsStore::Close() {
    open_ = false;
    ++closes;
}

} // namespace vandoret
