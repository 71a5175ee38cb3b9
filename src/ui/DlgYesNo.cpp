#include "ui/DlgYesNo.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "ui/DialogPlacement.h"
#include "ui/DialogRun.h"
#include "ui/Pictures.h"

namespace vandoret::ui {

TFDlgYesNo::TFDlgYesNo(QWidget* parent)
    : QDialog(parent, kDialogFrame | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint) {
    // FormCreate: the caption is the application title that the main window set.
    setWindowTitle(QCoreApplication::applicationName());
    setFixedSize(222, 94);
    setModal(true);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);

    Label1 = new QLabel("?", this);
    Label1->setGeometry(40, 6, 169, 49);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    QFont lf = f;
    lf.setPixelSize(13);
    lf.setBold(true);
    Label1->setFont(lf);

    Icon = new QLabel(this);
    Icon->setGeometry(4, 14, 32, 32);
    Icon->setPixmap(pictures::QuestionIcon());
    Icon2 = new QLabel(this);
    Icon2->setGeometry(4, 14, 32, 32);
    Icon2->setPixmap(pictures::WarningIcon());
    Icon2->hide();

    // Lines after the first (what a recovery offers, damage found) are shown below it, and the
    // dialog grows to hold them.
    Details = new QLabel(this);
    Details->setWordWrap(true);
    Details->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Details->hide();

    OKBtn = new QPushButton("Ja", this);
    OKBtn->setGeometry(39, 60, 75, 25);
    CancelBtn = new QPushButton("Nein", this);
    CancelBtn->setGeometry(135, 60, 75, 25);
    // Neither button is the default one; Enter answers through the focused first button.
    OKBtn->setAutoDefault(true);
    CancelBtn->setAutoDefault(true);
    setTabOrder(OKBtn, CancelBtn);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TFDlgYesNo::AskYesNo(const QString& question) {
    const qsizetype lineEnd = question.indexOf('\n');
    const QString details = lineEnd < 0 ? QString() : question.mid(lineEnd + 1).trimmed();
    Label1->setText(lineEnd < 0 ? question : question.left(lineEnd));
    Details->setText(details);
    Details->setVisible(!details.isEmpty());
    if (details.isEmpty()) {
        setFixedSize(222, 94);
        Label1->setGeometry(40, 6, 169, 49);
        OKBtn->setGeometry(39, 60, 75, 25);
        CancelBtn->setGeometry(135, 60, 75, 25);
    } else {
        constexpr int kWidth = 440;
        Label1->setGeometry(40, 6, kWidth - 48, 40);
        Details->setFixedWidth(kWidth - 48);
        const int height = Details->heightForWidth(kWidth - 48);
        Details->setGeometry(40, 50, kWidth - 48, height);
        const int buttons = 50 + height + 10;
        setFixedSize(kWidth, buttons + 34);
        OKBtn->setGeometry(kWidth / 2 - 90, buttons, 75, 25);
        CancelBtn->setGeometry(kWidth / 2 + 15, buttons, 75, 25);
    }
    const bool isQuestion = question.contains('?');
    Icon->setVisible(isQuestion);
    Icon2->setVisible(!isQuestion);
    OKBtn->setText(isQuestion ? "Ja" : "OK");
    CancelBtn->setText(isQuestion ? "Nein" : "Abbrechen");
}

bool TFDlgYesNo::Ask(const QString& question) {
    AskYesNo(question);
    return RunDialog(*this) == QDialog::Accepted;
}

void TFDlgYesNo::setVisible(bool visible) {
    if (visible) {
        CenterOnOwnerWindow(this);
    }
    QDialog::setVisible(visible);
}

void TFDlgYesNo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    OKBtn->setFocus(Qt::OtherFocusReason);
}

} // namespace vandoret::ui
