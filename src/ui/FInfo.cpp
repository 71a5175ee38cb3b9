#include "ui/FInfo.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

#include "ui/Pictures.h"

namespace vandoret::ui {
namespace {

const char* const kNotice =
    "Vandoret misst Start- und Zielzeiten im Gelände, zählt bis zum geplanten Start herunter und "
    "berechnet Reitzeiten, Zeitfehlerpunkte und Platzierungen.\n\n"
    "Starts und Ziele werden per Taste (F4, F8), per Mausklick oder über Kontakte an einer seriellen "
    "Schnittstelle erfasst.\n\n"
    "Vandoret ist freie Software unter der GNU General Public License, Version 3 oder später. "
    "Die Anzeigeschrift DSEG ist unter der SIL Open Font License 1.1 frei verfügbar.";

QPixmap LogoOnBanner() {
    QPixmap pm(238, 41);
    QPainter p(&pm);
    p.drawPixmap(0, 0, pictures::Banner(238, 41));
    p.drawPixmap((238 - 189) / 2 + 8, 0, pictures::Logo());
    return pm;
}

} // namespace

QString NoticeText(const FilePlaces& places) {
    QString text;
    const auto place = [&text](const char* what, const QString& where) {
        if (!where.isEmpty()) {
            text += QString::fromUtf8(what) + ":\n" + where + "\n";
        }
    };
    place("Journal (Ordner)", places.journal);
    place("Einstellungen", places.settings);
    place("Ergebnisseite (Strg+H)", places.resultsPage);
    if (!text.isEmpty()) {
        text += "\n";
    }
    return text + QString::fromUtf8(kNotice);
}

TFormInfo::TFormInfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle("Information");
    setFixedSize(256, 359);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);

    Image1 = new QLabel(this);
    Image1->setGeometry(10, 4, 238, 65);
    Image1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Image1->setPixmap(LogoOnBanner());
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    auto* panel = new QFrame(this);
    panel->setGeometry(8, 48, 38, 38);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    ImageICON = new QLabel(panel);
    ImageICON->setGeometry(3, 3, 32, 32);
    ImageICON->setPixmap(pictures::ApplicationIcon().pixmap(32, 32));

    Label1 = new QLabel("Vandoret", this);
    QFont f1("Arial");
    f1.setPixelSize(19);
    f1.setBold(true);
    f1.setUnderline(true);
    Label1->setFont(f1);
    Label1->setStyleSheet("color: rgb(128, 0, 0);");
    Label1->setGeometry(56, 71, 192, 24);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    LabelVer = new QLabel("Version " VANDORET_VERSION " (" VANDORET_RELEASE_DATE ")", this);
    QFont fv = font();
    fv.setPixelSize(15);
    LabelVer->setFont(fv);
    LabelVer->setGeometry(56, 96, 192, 20);
    LabelVer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(7, 148, 241, 125);
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    QFont mf = font();
    mf.setPixelSize(11);
    Memo1->setFont(mf);
    Memo1->setPlainText(NoticeText({}));

    sOK = new QPushButton("Einverstanden", this);
    sOK->setGeometry(56, 279, 145, 28);
    QFont fb = font();
    fb.setPixelSize(15);
    fb.setBold(true);
    sOK->setFont(fb);
    connect(sOK, &QPushButton::clicked, this, &QDialog::accept);

    Lab = new QLabel(QString::fromUtf8("Lob und Kritik, Verbesserungsvorschläge,\r\nFragen und Bestellungen bitte "
                                       "schriftlich über"),
                     this);
    QFont fl = font();
    fl.setPixelSize(10);
    Lab->setFont(fl);
    Lab->setGeometry(8, 309, 238, 30);
    Lab->setAlignment(Qt::AlignCenter);
    Lab->setWordWrap(true);

    Label2 = new QLabel(QString(kContactAddress).remove("https://"), this);
    Label2->setGeometry(8, 340, 238, 16);
    QFont f2 = font();
    f2.setPixelSize(11);
    Label2->setFont(f2);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setStyleSheet("color: blue; text-decoration: underline;");
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);
}

void TFormInfo::Image1Click() {
    if (openUrl) {
        openUrl(kContactAddress);
    } else {
        QDesktopServices::openUrl(QUrl(kContactAddress));
    }
}

void TFormInfo::showEvent(QShowEvent* event) {
    if (places) {
        Memo1->setPlainText(NoticeText(places()));
    }
    QDialog::showEvent(event);
}

void TFormInfo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFormInfo::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Image1 || watched == Label2) && event->type() == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vandoret::ui
