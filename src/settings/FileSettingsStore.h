// The settings key as a text file, for systems without a registry.
//
// One file per application title, "<title>.reg" in the folder "Kronvale" of the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config), in the text form of a registry export
// (RegFileFormat.h). The file is only ever replaced whole: it is written to a temporary file in
// the same folder and renamed over the old one, so a crash mid-write leaves the old file intact.
// A file that is missing, unreadable or damaged reads as a missing key.
#pragma once

#include <filesystem>
#include <string>

#include "settings/RegFileFormat.h"
#include "settings/SettingsStore.h"

namespace vandoret {

class FileSettingsStore : public SettingsStore {
public:
    // The file of that title in the user's configuration folder.
    explicit FileSettingsStore(const std::string& applicationTitle);
    // The file of that title in the given folder (tests).
    FileSettingsStore(std::filesystem::path folder, const std::string& applicationTitle);

    // "$XDG_CONFIG_HOME/Kronvale" or "$HOME/.config/Kronvale"; empty when neither is set.
    static std::filesystem::path DefaultFolder();

    const std::filesystem::path& FilePath() const { return path_; }

    bool OpenForRead() override;
    bool OpenForWrite() override;
    std::optional<RegValue> Read(const std::string& name) override;
    void Write(const std::string& name, const RegValue& value) override;
    // Writes the file when it was opened for writing; a failed write keeps the old file.
    void Close() override;

private:
    enum class Mode { Closed, Reading, Writing };

    std::optional<RegFile> Load() const;
    bool Store(const std::string& text) const;

    std::filesystem::path folder_;
    std::filesystem::path path_;
    std::string key_;
    Mode mode_ = Mode::Closed;
    RegFile file_;
};

} // namespace vandoret
