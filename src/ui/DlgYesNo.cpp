#include "ui/DlgYesNo.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "ui/Pictures.h"

namespace vandoret::ui {

TFDlgYesNo::TFDlgYesNo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
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
    Label1->setText(question);
    const bool isQuestion = question.contains('?');
    Icon->setVisible(isQuestion);
    Icon2->setVisible(!isQuestion);
    OKBtn->setText(isQuestion ? "Ja" : "OK");
    CancelBtn->setText(isQuestion ? "Nein" : "Abbrechen");
}

bool TFDlgYesNo::Ask(const QString& question) {
    AskYesNo(question);
    if (parentWidget() != nullptr) {
        const QRect pr = parentWidget()->window()->frameGeometry();
        move(pr.center() - rect().center());
    }
    return exec() == QDialog::Accepted;
}

void TFDlgYesNo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    OKBtn->setFocus(Qt::OtherFocusReason);
}

} // namespace vandoret::ui
