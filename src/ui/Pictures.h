// The program's pictures, drawn with QPainter so that they stay sharp and consistent:
// tool button icons, banner, logo, indicators, the dialog icons and the application icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vandoret::ui::pictures {

enum class Tool { Help, Settings, Info, Open, Save, Print, Clear, DeleteLine, Web };

QIcon ToolIcon(Tool tool);
QPixmap Banner(int width, int height);
QPixmap Logo(); // 189 x 41
QPixmap DisplayBackground(int width, int height);
QPixmap LockIndicator(bool free);        // 32 x 31: 0 locked, 1 free
QPixmap StatusIndicator(bool countdown); // countdown off / on
QPixmap Speaker();                       // the sound icon
QPixmap SoundOverlay(bool on);           // 15 x 15
QPixmap QuestionIcon();                  // 32 x 32, blue "?" in a white speech bubble
QPixmap WarningIcon();                   // 32 x 32, yellow triangle with "!"
QIcon ApplicationIcon();
QPixmap SortArrow(bool up); // 7 x 7, the sort column's caption arrow

} // namespace vandoret::ui::pictures
