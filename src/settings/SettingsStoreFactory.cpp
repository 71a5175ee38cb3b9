// The settings store of the platform the program runs on.
#include "settings/SettingsStore.h"

#include "base/FilePaths.h"

#ifdef _WIN32
#include "settings/RegistrySettingsStoreWin32.h"
#else
#include "settings/FileSettingsStore.h"
#endif

namespace vandoret {

std::unique_ptr<SettingsStore> MakeSettingsStore(const std::string& applicationTitle) {
#ifdef _WIN32
    return std::make_unique<RegistrySettingsStore>(applicationTitle);
#else
    return std::make_unique<FileSettingsStore>(applicationTitle);
#endif
}

std::string SettingsPlace(const std::string& applicationTitle) {
#ifdef _WIN32
    return "HKEY_CURRENT_USER\\Software\\Kronvale\\" + applicationTitle;
#else
    return PathToUtf8(FileSettingsStore(applicationTitle).FilePath());
#endif
}

} // namespace vandoret
