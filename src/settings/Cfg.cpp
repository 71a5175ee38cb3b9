// The settings dialog window.
#include "settings/Cfg.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace vandoret::ui {
namespace {

constexpr int kRowHeight = 22;
const QColor kDialogColor(0xC8, 0xC2, 0xD6);
const QColor kPenaltyColor(0xFF, 0xCC, 0xCC);
const QColor kSilver(0xC0, 0xC0, 0xC0);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void SetBase(QWidget* w, const QColor& color) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, color);
    w->setPalette(p);
}

// Draws the popup items of a polarity list like the box itself.
class PolarityDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        TCfgDialog::cbAlgDrawItem(*painter, option.rect, index.row(), !(option.state & QStyle::State_Enabled),
                                  (option.state & QStyle::State_Selected) != 0, option.palette, option.font);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {66, 16}; }
};

QPixmap ContactPicture(bool closed) {
    QPixmap pm(41, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor color = closed ? QColor(0xD0, 0x10, 0x10) : QColor(0x80, 0x80, 0x80);
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1, 11), QPointF(11, 11));
    p.drawLine(QPointF(30, 11), QPointF(40, 11));
    p.setBrush(color);
    p.drawEllipse(QPointF(13, 11), 2, 2);
    p.drawEllipse(QPointF(28, 11), 2, 2);
    // The blade: lifted when open, lying on the second terminal when closed.
    if (closed) {
        p.drawLine(QPointF(13, 11), QPointF(29, 9));
    } else {
        p.drawLine(QPointF(13, 11), QPointF(27, 3));
    }
    return pm;
}

} // namespace

// ---- Polarity lists ----------------------------------------------------------------------------

PolarityBox::PolarityBox(QWidget* parent) : QComboBox(parent) {
    addItems({"NPN", "PNP"});
    setItemDelegate(new PolarityDelegate(this));
}

void PolarityBox::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    QRect item(field.left(), field.top() + (field.height() - 16) / 2, field.width(), 16);
    TCfgDialog::cbAlgDrawItem(p, item, currentIndex(), !isEnabled(), false, palette(), font());
}

const QPixmap& TCfgDialog::Image1() {
    static const QPixmap pm = ContactPicture(true);
    return pm;
}

const QPixmap& TCfgDialog::Image2() {
    static const QPixmap pm = ContactPicture(false);
    return pm;
}

void TCfgDialog::cbAlgDrawItem(QPainter& p, const QRect& rect, int index, bool disabled, bool selected,
                               const QPalette& palette, const QFont& font) {
    p.save();
    const QPalette::ColorGroup group = disabled ? QPalette::Disabled : QPalette::Active;
    p.fillRect(rect, palette.color(group, selected ? QPalette::Highlight : QPalette::Base));
    if (!disabled && (index == 0 || index == 1)) {
        p.setFont(font);
        p.setPen(palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect textRect = rect.adjusted(1, 1, 0, 0);
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, index == 0 ? "NPN" : "PNP");
        // The picture sits 25 pixels in, or just behind the text where the font is wider.
        const int x = std::max(25, QFontMetrics(font).horizontalAdvance("NPN") + 4);
        p.drawPixmap(rect.left() + x, rect.top(), index == 0 ? Image2() : Image1());
    }
    p.restore();
}

// ---- The dialog ----------------------------------------------------------------------------------

TCfgDialog::TCfgDialog(PortControl& port, Locale locale, QWidget* parent)
    : QDialog(parent), port_(port), locale_(locale) {
    runModal = [](TCfgDialog& d) { return d.exec(); };
    showMessage = [this](const std::string& text) {
        QMessageBox::critical(this, QApplication::applicationName(), Q(text));
    };
    askQuestion = [this](const std::string& text) {
        return QMessageBox::question(this, QApplication::applicationName(), Q(text)) == QMessageBox::Yes;
    };
    BuildControls();
    FormCreate();
}

void TCfgDialog::FormCreate() {
    portItems_ = cfg::PortItems(port_.AvailablePorts());
    cbPort->clear();
    for (const std::string& item : portItems_) {
        cbPort->addItem(Q(item));
    }
    // The device behind each number, as the port layer gave the numbers at start-up: on the item
    // itself and, all together, on the box.
    QStringList devices;
    for (int number : port_.AvailablePorts()) {
        const std::string device = port_.DeviceOf(number);
        const int index = cbPort->findText(Q("COM" + std::to_string(number)));
        if (device.empty() || index < 0) {
            continue;
        }
        cbPort->setItemData(index, Q(device), Qt::ToolTipRole);
        devices << Q("COM" + std::to_string(number) + " = " + device);
    }
    cbPort->setToolTip(devices.join(QLatin1Char('\n')));
    eTempo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QLabel* TCfgDialog::Caption(const QString& text, int x, int y, QWidget* field, int fieldWidth) {
    // A caption with a run of blanks has its field in that run: the text before the blanks stands left
    // of the field, the unit after them right of it. Each part is a label of its own, sized to its text,
    // so that no label lies over the field and takes its clicks.
    const auto makeLabel = [this, y](const QString& part, int left) {
        auto* label = new QLabel(part, this);
        const QFontMetrics fm(label->font());
        label->setGeometry(left, y + (kRowHeight - fm.height()) / 2, fm.horizontalAdvance(part) + 2, fm.height());
        return label;
    };
    const qsizetype gap = text.indexOf("  ");
    QLabel* label = makeLabel(gap < 0 ? text : text.left(gap), x);
    if (field == nullptr) {
        return label;
    }
    const QFontMetrics fm(label->font());
    const int start = label->geometry().right() + 1 + fm.horizontalAdvance(' ');
    if (gap < 0) {
        field->setGeometry(start, y, fieldWidth, kRowHeight);
        return label;
    }
    const qsizetype after = text.indexOf(QRegularExpression("[^ ]"), gap);
    const int end =
        after < 0 ? start + fieldWidth : x + fm.horizontalAdvance(text.left(after)) - fm.horizontalAdvance(' ');
    const int width = std::max(std::min(fieldWidth, end - start), 24);
    field->setGeometry(start + std::max(0, (end - start - width) / 2), y, width, kRowHeight);
    if (after >= 0) {
        makeLabel(text.mid(after), std::max(end, field->geometry().right() + 1) + fm.horizontalAdvance(' '));
    }
    return label;
}

void TCfgDialog::BuildControls() {
    setWindowTitle("Einstellungen");
    setFixedSize(421, 304);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kDialogColor);
    setPalette(pal);
    setAutoFillBackground(true);
    QFont small = font(); // the dialog is laid out for a small font, as on the operator's PC
    small.setPointSize(8);
    setFont(small);

    eStartClock = new TimePicker("HH:mm", this);
    eStartInt = new SpinEdit(cfg::kStartIntMin, cfg::kStartIntMax, cfg::kStartIntMaxLength, locale_, this);
    seLen = new SpinEdit(cfg::kLenMin, cfg::kLenMax, cfg::kLenMaxLength, locale_, this);
    eTempo = new DecimalSpinEdit(cfg::kTempoMaxLength, locale_, this);
    eTime = new TimePicker("HH:mm:ss", this);
    eStrafPkt = new FilteredLineEdit(&cfg::StrafKeyAllowed, cfg::kStrafPktMaxLength, locale_, this);
    eStrafSek = new FilteredLineEdit(&cfg::StrafKeyAllowed, cfg::kStrafSekMaxLength, locale_, this);
    DateTimePicker1 = new TimePicker("HH:mm:ss", this);
    eDis = new QLineEdit("Dis.", this);
    eWebPort = new SpinEdit(cfg::kWebPortMin, cfg::kWebPortMax, cfg::kWebPortMaxLength, locale_, this);
    cbWertung = new QComboBox(this);
    for (const char* name : kWertungNames) {
        cbWertung->addItem(name);
    }
    eMindestzeit = new TimePicker("HH:mm:ss", this);

    const int x = 10;
    Caption("autom. START um                     Uhr", x, 12, eStartClock, 64);
    Caption("Start-Interval:              Min.", x, 40, eStartInt, 44);
    Caption("Rennstrecke:                      m", x, 76, seLen, 72);
    Caption("Tempo:                      m/min", x, 104, eTempo, 72);
    const int timeX = Caption("Erlaubte Zeit:", x, 140)->geometry().right() + 6;
    eTime->setGeometry(std::max(seLen->x(), timeX), 140, 76, kRowHeight);
    eTime->setToolTip("HH:MM:SS");
    SetBase(eTime, kSilver);

    const int penaltyX = Caption("Zeitüberschreitung:", x, 176)->geometry().right() + 6;
    eStrafPkt->setGeometry(penaltyX, 176, 44, kRowHeight);
    SetBase(eStrafPkt, kPenaltyColor);
    Caption("Straf-Pkt. für je:           Sek.", penaltyX + 52, 176, eStrafSek, 32);
    SetBase(eStrafSek, kPenaltyColor);

    Caption("Maximale Zeit:", x, 208);
    DateTimePicker1->setGeometry(penaltyX, 208, 76, kRowHeight);
    DateTimePicker1->setToolTip(QString::fromUtf8(
        "Höchstzeit, HH:MM:SS: wer netto länger braucht, ist ausgeschieden (nur bei Wertung nach Reglement). "
        "Folgt 2 × erlaubte Zeit, bis Sie sie ändern; 00:00:00 = wieder 2 × erlaubte Zeit"));
    SetBase(DateTimePicker1, kSilver);
    DateTimePicker1->SetTime(MakeTimeOfDay(1, 0, 0));
    eDis->setGeometry(penaltyX + 84, 208, 56, kRowHeight);

    // The rules of the results.
    Caption("Wertung:", x, 240, cbWertung, 128);
    cbWertung->setToolTip(QString::fromUtf8(
        "wie bisher: Strafpunkte auf die Bruttozeit, keine Höchst- oder Mindestzeit\n"
        "nach Reglement: angefangene Sekunden, Pausen vor den Strafpunkten abgezogen, Höchst- und Mindestzeit"));
    Caption("Mindestzeit:", 206, 240, eMindestzeit, 76);
    eMindestzeit->setToolTip(QString::fromUtf8(
        "Mindestzeit, HH:MM:SS: wer netto schneller ist, erhält Strafpunkte je angefangenem Intervall "
        "(nur bei Wertung nach Reglement); 00:00:00 = keine"));
    SetBase(eMindestzeit, kSilver);

    // The live results web server, in the free corner left of the buttons.
    Caption("Live-Ergebnisse Port:", x, 272, eWebPort, 64);
    eWebPort->setToolTip(
        QString::fromUtf8("0 = aus; sonst der Port, unter dem Browser im lokalen Netz die Ergebnisse abrufen"));

    GroupBox1 = new QGroupBox(" Externe USB-/COM-Kontakte ", this);
    GroupBox1->setGeometry(206, 6, 207, 158);
    QFont bold = small;
    bold.setBold(true);
    GroupBox1->setFont(bold); // the caption only: the controls inside get the plain font below
    cbPort = new QComboBox(GroupBox1);
    cbLS1 = new QLineEdit(" 1+4", GroupBox1);
    cbAlg1 = new PolarityBox(GroupBox1);
    cbLS2 = new QLineEdit(" 4+6", GroupBox1);
    cbAlg2 = new PolarityBox(GroupBox1);
    cbLS3 = new QComboBox(GroupBox1);
    cbLS3->setEditable(true);
    cbLS3->addItems({"7+8", "4+6"});
    cbLS3->setCurrentIndex(0);
    cbAlg3 = new PolarityBox(GroupBox1);
    for (QLineEdit* e : {cbLS1, cbLS2}) {
        e->setReadOnly(true);
    }
    QFont plain = small;
    plain.setBold(false); // explicitly, so that it does not inherit the caption's weight
    const auto groupLabel = [this, &plain](const QString& text, int gx, int gy) {
        auto* label = new QLabel(text, GroupBox1);
        label->setFont(plain);
        label->setGeometry(gx, gy, label->sizeHint().width(), kRowHeight);
        return label;
    };
    groupLabel("Anschluss:", 6, 26);
    cbPort->setGeometry(72, 26, 96, kRowHeight);
    groupLabel("Ausgang:", 114, 52);
    const struct {
        const char* caption;
        QWidget* contact;
        PolarityBox* polarity;
    } rows[] = {{"Start frei:", cbLS1, cbAlg1}, {"Start:", cbLS2, cbAlg2}, {"Ziel:", cbLS3, cbAlg3}};
    int gy = 74;
    for (const auto& row : rows) {
        groupLabel(row.caption, 6, gy);
        row.contact->setGeometry(row.contact == cbLS3 ? 60 : 64, gy, row.contact == cbLS3 ? 52 : 38, kRowHeight);
        row.polarity->setGeometry(114, gy, 88, kRowHeight);
        gy += 26;
    }

    // The open port's timing in the two free places of the group: left of "Ausgang:" the waiting
    // thread's priority, below the last row the adapter's latency timer when it is too long.
    lPriority = new QLabel(GroupBox1);
    lPriority->setGeometry(6, 50, 106, 20);
    lLatency = new QLabel(GroupBox1);
    lLatency->setGeometry(6, 148, 196, 10);
    lLatency->setTextFormat(Qt::RichText);
    lLatency->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(lLatency, &QLabel::linkActivated, this, [this] { LatencyClick(); });

    for (QWidget* child : GroupBox1->findChildren<QWidget*>()) {
        child->setFont(plain);
    }
    QFont tiny = plain;
    tiny.setPixelSize(9);
    lPriority->setFont(tiny);
    lLatency->setFont(tiny);

    OKBtn = new QPushButton("OK", this);
    OKBtn->setGeometry(238, 270, 80, 26);
    OKBtn->setDefault(true);
    bCancel = new QPushButton("Abbrechen", this);
    bCancel->setGeometry(326, 270, 86, 26);

    QWidget* order[] = {OKBtn,     bCancel,   eStartClock,     eStartInt, seLen,     eTempo,       eTime,
                        eStrafPkt, eStrafSek, cbPort,          cbLS1,     cbAlg1,    cbLS2,        cbAlg2,
                        cbAlg3,    cbLS3,     DateTimePicker1, eDis,      cbWertung, eMindestzeit, eWebPort};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }

    connect(OKBtn, &QPushButton::clicked, this, &TCfgDialog::OKBtnClick);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbPort, &QComboBox::currentIndexChanged, this, &TCfgDialog::cbPortChange);
    connect(seLen, &SpinEdit::Changed, this, &TCfgDialog::seLenChange);
    connect(eTempo, &DecimalSpinEdit::Changed, this, &TCfgDialog::seLenChange);
    connect(eTime, &TimePicker::ChangedByOperator, this, &TCfgDialog::eTimeChange);
    connect(DateTimePicker1, &TimePicker::ChangedByOperator, this, &TCfgDialog::DateTimePicker1Change);
}

void TCfgDialog::FormShow() {
    timing_ = port_.Timing();
    cbPortChange();
    seLenChange();
    OKBtn->setFocus(Qt::OtherFocusReason);
}

void TCfgDialog::cbPortChange() {
    const bool enabled = cfg::ContactRowsEnabled(cbPort->currentIndex());
    for (QWidget* w : std::initializer_list<QWidget*>{cbLS1, cbAlg1, cbLS2, cbAlg2, cbLS3, cbAlg3}) {
        w->setEnabled(enabled);
    }
    ShowPortTiming();
}

void TCfgDialog::ShowPortTiming() {
    // Only for the port that is open now: another choice takes effect with OK.
    const bool shown = timing_.port > 0 && cfg::PortFromItem(portItems_, cbPort->currentIndex()) == timing_.port;
    lPriority->setVisible(shown && !timing_.priority.empty());
    // Short here ("Echtzeit"), in full in the tooltip ("Echtzeit (SCHED_FIFO 10)").
    const std::string brief = timing_.priority.substr(0, timing_.priority.find(" ("));
    lPriority->setText(Q("Priorit\xC3\xA4t: " + brief));
    lPriority->setToolTip(Q("Priorit\xC3\xA4t, mit der der Anschluss auf Kontakte wartet: " + timing_.priority +
                            ".\nEchtzeit h\xC3\xA4lt die Zeiten auch bei ausgelastetem PC auf 1/1000 s genau "
                            "(Linux: rtprio in limits.conf, siehe README)."));
    const bool latency = shown && !timing_.latencyNotice.empty();
    lLatency->setVisible(latency);
    lLatency->setText(QStringLiteral("<a href=\"latency\" style=\"color:#c00000\">%1</a>")
                          .arg(Q(timing_.latencyNotice).toHtmlEscaped()));
    lLatency->setToolTip(timing_.latencyWritable
                             ? Q("Jeder Kontakt kann bis zur Latenz des USB-Adapters zu sp\xC3\xA4t kommen. "
                                 "Klicken stellt sie auf 1 ms.")
                             : Q(timing_.latencyAdvice));
}

void TCfgDialog::LatencyClick() {
    if (!timing_.latencyWritable) {
        showMessage(timing_.latencyAdvice);
        return;
    }
    if (!askQuestion("USB-Latenz des Adapters auf 1 ms stellen?")) {
        return;
    }
    if (!port_.SetLatencyToOneMs()) {
        showMessage("Die USB-Latenz lie\xC3\x9F sich nicht stellen.\n" + timing_.latencyAdvice);
    }
    timing_ = port_.Timing();
    ShowPortTiming();
}

void TCfgDialog::seLenChange() {
    eTime->SetTime(cfg::TimeFromLenTempo(seLen->Value(), eTempo->Value()));
    if (limitFollows_) {
        DateTimePicker1->SetTime(cfg::FollowingLimit(eTime->Time()));
    }
}

void TCfgDialog::DateTimePicker1Change() {
    limitFollows_ = cfg::LimitFollows(DateTimePicker1->Time());
    if (limitFollows_) {
        DateTimePicker1->SetTime(cfg::FollowingLimit(eTime->Time()));
    }
}

void TCfgDialog::eTimeChange() {
    const std::optional<double> tempo = cfg::TempoFromTime(seLen->Value(), eTime->Time());
    if (!tempo) {
        return; // 00:00:00 gives no tempo
    }
    eTempo->SetValue(*tempo);
    seLenChange();
}

void TCfgDialog::OKBtnClick() {
    // Enter in a field confirms without the field losing the focus; check it as focus loss would.
    for (SpinEdit* spin : {eStartInt, seLen, eWebPort}) {
        if (spin->hasFocus()) {
            spin->ExitCheck();
        }
    }
    if (eTempo->hasFocus() && !eTempo->ExitCheck()) {
        return; // the old tempo is back; the operator stays in the field
    }
    accept();
}

void TCfgDialog::LoadFields(const cfg::CfgFields& f) {
    cbPort->setCurrentIndex(f.portIndex);
    cbAlg1->setCurrentIndex(f.alg1);
    cbAlg2->setCurrentIndex(f.alg2);
    cbAlg3->setCurrentIndex(f.alg3);
    eStartClock->SetTime(f.startClock);
    eStartInt->SetText(Q(f.startIntText));
    eTime->SetTime(f.time);
    seLen->SetText(Q(f.lenText));
    eTempo->SetText(Q(f.tempoText));
    eStrafPkt->setText(Q(f.strafPktText));
    eStrafSek->setText(Q(f.strafSekText));
    eDis->setText(Q(f.disText));
    eWebPort->SetText(Q(f.webPortText));
    cbWertung->setCurrentIndex(f.wertung);
    limitFollows_ = f.limitFollows;
    DateTimePicker1->SetTime(f.limit);
    eMindestzeit->SetTime(f.minimum);
}

cfg::CfgFields TCfgDialog::ReadFields() const {
    cfg::CfgFields f;
    f.portIndex = cbPort->currentIndex();
    f.alg1 = cbAlg1->currentIndex();
    f.alg2 = cbAlg2->currentIndex();
    f.alg3 = cbAlg3->currentIndex();
    f.startClock = eStartClock->Time();
    f.startIntText = eStartInt->Text().toStdString();
    f.lenText = seLen->Text().toStdString();
    f.tempoText = eTempo->Text().toStdString();
    f.time = eTime->Time();
    f.strafPktText = eStrafPkt->text().toStdString();
    f.strafSekText = eStrafSek->text().toStdString();
    f.disText = eDis->text().toStdString();
    f.webPortText = eWebPort->Text().toStdString();
    f.wertung = cbWertung->currentIndex();
    f.limit = DateTimePicker1->Time();
    f.limitFollows = limitFollows_;
    f.minimum = eMindestzeit->Time();
    return f;
}

bool TCfgDialog::bCFGClick(Settings& settings, const std::function<void()>& formResize) {
    LoadFields(cfg::FieldsFromSettings(settings, portItems_, locale_));
    FormShow();
    if (runModal(*this) != QDialog::Accepted) {
        return false;
    }
    if (const std::optional<std::string> error =
            cfg::TransferBack(ReadFields(), portItems_, settings, port_, locale_)) {
        showMessage(*error);
        return false;
    }
    if (formResize) {
        formResize();
    }
    return true;
}

} // namespace vandoret::ui
