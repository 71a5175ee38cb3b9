// The LCD display font: written from the resources to "ZR_LCD_1.TTF" in the current folder at
// start-up, registered for the run, and removed and deleted at exit. Failures are ignored; the
// display then uses a substitute font.
#pragma once

#include <QString>

namespace vandoret::ui {

// Registers the program's resources (fonts, help pages); safe to call more than once.
void EnsureResources();

class DisplayFont {
public:
    static constexpr const char* kFileName = "ZR_LCD_1.TTF";

    // True when the font could be registered; family() then names it.
    bool Install();
    void Remove();
    bool Installed() const { return id_ >= 0; }
    QString family() const { return family_; }
    QString filePath() const { return path_; }

private:
    int id_ = -1;
    QString family_;
    QString path_;
};

} // namespace vandoret::ui
