#include "ui/HandTimeDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/DialogPlacement.h"

namespace vandoret::ui {
namespace {

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

// A mask character given as a literal.
QString Literal(char c) {
    return QString('\\') + QChar(c);
}

} // namespace

THandTimeDialog::THandTimeDialog(Timekeeper& tk, const HandTimeEntry& entry, QWidget* parent)
    : QDialog(parent, kDialogFrame | Qt::MSWindowsFixedSizeDialogHint), tk_(tk), entry_(entry) {
    setWindowTitle("Handzeit");
    setModal(true);

    rbStart = new QRadioButton("&Start", this);
    rbZiel = new QRadioButton("&Ziel", this);
    (entry.kind == HandTimeKind::Start ? rbStart : rbZiel)->setChecked(true);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(rbStart);
    kinds->addWidget(rbZiel);
    kinds->addStretch();

    edNumber = new QLineEdit(ToQ(entry.number), this);
    edNumber->setMaxLength(20);

    // The time of day is typed over digit by digit: hh:mm:ss,z.
    edTime = new QLineEdit(this);
    const char sep = tk.locale().timeSeparator;
    edTime->setInputMask("99" + Literal(sep) + "99" + Literal(sep) + "99" + Literal(',') + "9");
    edTime->setText(ToQ(entry.time));

    cbReason = new QComboBox(this);
    cbReason->setEditable(true);
    cbReason->addItems({"Lichtschranke ausgefallen", "Kontakt nicht ausgelöst", "Fehlauslösung", "Falsche Nummer"});
    cbReason->setCurrentIndex(-1);
    cbReason->setEditText(QString());
    cbReason->setInsertPolicy(QComboBox::NoInsert);

    auto* form = new QFormLayout;
    form->addRow("", kinds);
    form->addRow("St.&Nr.:", edNumber);
    form->addRow("&Uhrzeit:", edTime);
    form->addRow("&Grund:", cbReason);

    lbOld = new QLabel(this);
    if (entry.Correction()) {
        const bool start = entry.kind == HandTimeKind::Start;
        lbOld->setText(QString("Korrektur: Zeile %1 der %2, bisher %3")
                           .arg(entry.row)
                           .arg(start ? "Startzeiten" : "Stoppzeiten")
                           .arg(ToQ(entry.oldTime)));
        rbStart->setEnabled(start);
        rbZiel->setEnabled(!start);
    } else {
        lbOld->hide();
    }
    lbMessage = NewRefusalLabel(this);
    QHBoxLayout* buttons = NewOkCancelRow(this, OKBtn, CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbOld);
    layout->addLayout(form);
    layout->addWidget(lbMessage);
    layout->addLayout(buttons);
    setMinimumWidth(340);
}

void THandTimeDialog::setVisible(bool visible) {
    if (visible) {
        CenterOnOwnerWindow(this);
    }
    QDialog::setVisible(visible);
}

void THandTimeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A correction starts at the time; a new entry at the number.
    QWidget* first = entry_.Correction() ? static_cast<QWidget*>(edTime) : edNumber;
    first->setFocus(Qt::OtherFocusReason);
    edTime->setCursorPosition(0);
}

HandTimeEntry THandTimeDialog::Entry() const {
    HandTimeEntry entry = entry_;
    entry.kind = rbStart->isChecked() ? HandTimeKind::Start : HandTimeKind::Finish;
    entry.number = edNumber->text().toStdString();
    entry.time = edTime->text().toStdString();
    entry.reason = cbReason->currentText().toStdString();
    return entry;
}

void THandTimeDialog::accept() {
    const HandTimeResult result = tk_.ApplyHandTime(Entry());
    if (result.done) {
        QDialog::accept();
        return;
    }
    lbMessage->setText(ToQ(result.message));
    lbMessage->setVisible(!result.message.empty());
    QWidget* field = result.field == HandTimeField::Number   ? static_cast<QWidget*>(edNumber)
                     : result.field == HandTimeField::Time   ? static_cast<QWidget*>(edTime)
                     : result.field == HandTimeField::Reason ? static_cast<QWidget*>(cbReason)
                                                             : OKBtn;
    field->setFocus(Qt::OtherFocusReason);
}

} // namespace vandoret::ui
