// The shared middle panel of the status bar: the notes live as properties of the panel.
#include "ui/StatusMiddle.h"

#include <QLabel>
#include <QVariant>

namespace vandoret::ui {
namespace {

constexpr const char* kAddress = "vandoretLiveAddress";
constexpr const char* kAddressTip = "vandoretLiveAddressTip";
constexpr const char* kWarning = "vandoretWarning";
constexpr const char* kAlarm = "vandoretAlarm";

void Show(QLabel* panel) {
    const QString warning = panel->property(kWarning).toString();
    const QString text = warning.isEmpty() ? panel->property(kAddress).toString() : warning;
    panel->setText(text.isEmpty() ? QString() : " " + text);
    // A journal that cannot write is white on red; a note to be seen, black on yellow, until clicked.
    const QString style = warning.isEmpty() ? QString()
                          : panel->property(kAlarm).toBool()
                              ? QStringLiteral("color: white; background: #c00000; font-weight: bold;")
                              : QStringLiteral("color: black; background: #ffd800;");
    if (panel->styleSheet() != style) {
        panel->setStyleSheet(style);
    }
    panel->setToolTip(warning.isEmpty()                  ? panel->property(kAddressTip).toString()
                      : panel->property(kAlarm).toBool() ? QString()
                                                         : QString::fromUtf8("Klicken, wenn gelesen"));
}

} // namespace

void SetMiddlePanelAddress(QLabel* panel, const QString& address, const QString& tip) {
    if (panel != nullptr) {
        panel->setProperty(kAddress, address);
        panel->setProperty(kAddressTip, tip);
        Show(panel);
    }
}

void SetMiddlePanelWarning(QLabel* panel, const QString& warning, bool alarm) {
    if (panel != nullptr) {
        panel->setProperty(kWarning, warning);
        panel->setProperty(kAlarm, alarm);
        Show(panel);
    }
}

} // namespace vandoret::ui
