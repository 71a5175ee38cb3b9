#include "ui/HoldDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogPlacement.h"

namespace vandoret::ui {

THoldDialog::THoldDialog(Timekeeper& tk, const HoldEntry& entry, QWidget* parent)
    : QDialog(parent, kDialogFrame | Qt::MSWindowsFixedSizeDialogHint), tk_(tk), entry_(entry) {
    setWindowTitle(entry.restart ? "Weiter" : "Anhalten");
    setModal(true);

    edNumbers = new QLineEdit(QString::fromStdString(entry.numbers), this);
    edNumbers->setMaxLength(200);
    edNumbers->setToolTip(QString::fromUtf8("Mehrere Nummern durch Leerzeichen getrennt, z. B. „12 14“"));
    // The moment of the key press; a hold reported late by radio is typed over: hh:mm:ss,z.
    edTime = new QLineEdit(this);
    const char sep = tk.locale().timeSeparator;
    const QString literal = QString('\\') + QChar(sep);
    edTime->setInputMask("99" + literal + "99" + literal + "99\\,9");
    edTime->setText(QString::fromStdString(entry.time));
    edReason = new QLineEdit(QString::fromStdString(entry.reason), this);
    edReason->setMaxLength(200);
    edReason->setPlaceholderText(QString::fromUtf8("z. B. Sturz vor Hindernis 7 (freiwillig)"));

    auto* form = new QFormLayout;
    form->addRow("St.&Nr.:", edNumbers);
    form->addRow("&Uhrzeit:", edTime);
    if (entry.restart) {
        edReason->hide();
    } else {
        form->addRow("&Grund:", edReason);
    }

    lbMessage = new QLabel(this);
    lbMessage->setWordWrap(true);
    lbMessage->setStyleSheet("QLabel { color: #b00000; font-weight: bold; }");
    lbMessage->hide();

    OKBtn = new QPushButton("OK", this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Abbrechen", this);
    connect(OKBtn, &QPushButton::clicked, this, &THoldDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lbMessage);
    layout->addLayout(buttons);
    setMinimumWidth(340);
}

void THoldDialog::setVisible(bool visible) {
    if (visible) {
        CenterOnOwnerWindow(this);
    }
    QDialog::setVisible(visible);
}

void THoldDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edNumbers->setFocus(Qt::OtherFocusReason);
    edNumbers->selectAll();
}

HoldEntry THoldDialog::Entry() const {
    HoldEntry entry = entry_;
    entry.numbers = edNumbers->text().toStdString();
    entry.time = edTime->text().toStdString();
    entry.reason = entry.restart ? std::string() : edReason->text().toStdString();
    return entry;
}

void THoldDialog::accept() {
    const HoldResult result = tk_.ApplyHold(Entry());
    if (result.done) {
        QDialog::accept();
        return;
    }
    lbMessage->setText(QString::fromStdString(result.message));
    lbMessage->setVisible(!result.message.empty());
    edNumbers->setFocus(Qt::OtherFocusReason);
}

} // namespace vandoret::ui
