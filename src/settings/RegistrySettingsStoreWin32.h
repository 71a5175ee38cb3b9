// The settings key in the Windows registry: HKEY_CURRENT_USER\Software\Kronvale\<title>.
// Compiled on Windows only.
#pragma once

#include <string>

#include "settings/SettingsStore.h"

namespace vandoret {

class RegistrySettingsStore : public SettingsStore {
public:
    explicit RegistrySettingsStore(const std::string& applicationTitle);
    ~RegistrySettingsStore() override;
    RegistrySettingsStore(const RegistrySettingsStore&) = delete;
    RegistrySettingsStore& operator=(const RegistrySettingsStore&) = delete;

    bool OpenForRead() override;
    bool OpenForWrite() override;
    std::optional<RegValue> Read(const std::string& name) override;
    void Write(const std::string& name, const RegValue& value) override;
    void Close() override;

private:
    std::wstring path_;   // below HKEY_CURRENT_USER
    void* key_ = nullptr; // HKEY of the open key
};

} // namespace vandoret
