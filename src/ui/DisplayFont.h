// The LCD display font: registered from the resources' bytes in memory at start-up (no file is
// written anywhere) and removed at exit. Failures are ignored; the display then uses a
// substitute font.
#pragma once

#include <QString>

namespace vandoret::ui {

// Registers the program's resources (fonts, help pages); safe to call more than once.
void EnsureResources();

class DisplayFont {
public:
    // True when the font could be registered; family() then names it.
    bool Install();
    void Remove();
    bool Installed() const { return id_ >= 0; }
    QString family() const { return family_; }

private:
    int id_ = -1;
    QString family_;
};

} // namespace vandoret::ui
