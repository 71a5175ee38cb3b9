// The shared middle panel of the status bar: the notes live as properties of the panel.
#include "ui/StatusMiddle.h"

#include <QLabel>
#include <QVariant>

namespace vandoret::ui {
namespace {

constexpr const char* kAddress = "vandoretLiveAddress";
constexpr const char* kWarning = "vandoretWarning";

void Show(QLabel* panel) {
    const QString warning = panel->property(kWarning).toString();
    const QString text = warning.isEmpty() ? panel->property(kAddress).toString() : warning;
    panel->setText(text.isEmpty() ? QString() : " " + text);
}

} // namespace

void SetMiddlePanelAddress(QLabel* panel, const QString& address) {
    if (panel != nullptr) {
        panel->setProperty(kAddress, address);
        Show(panel);
    }
}

void SetMiddlePanelWarning(QLabel* panel, const QString& warning) {
    if (panel != nullptr) {
        panel->setProperty(kWarning, warning);
        Show(panel);
    }
}

} // namespace vandoret::ui
