#include "ui/EditFields.h"

#include <algorithm>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include "settings/CfgLogic.h"

namespace vandoret::ui {
namespace {

enum class KeyVerdict { Pass, Drop, DropWithBeep };

// The typing rules shared by the fields: only characters are judged (navigation, editing keys,
// Enter, Esc, Tab and shortcuts pass); a character is dropped when the filter refuses it or when
// it would make the text longer than maxLength.
KeyVerdict JudgeKey(const QKeyEvent* event, const QLineEdit* edit, int maxLength, FilteredLineEdit::Filter filter,
                    const Locale& locale, bool beep) {
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        return KeyVerdict::Pass;
    }
    const char32_t c = text.toUcs4().value(0);
    if (c == U'\r' || c == U'\n' || c == U'\x1b' || c == U'\t' || c == U'\x7f') {
        return KeyVerdict::Pass;
    }
    if (filter != nullptr && !filter(c, locale)) {
        return beep ? KeyVerdict::DropWithBeep : KeyVerdict::Drop;
    }
    if (c >= 0x20 && edit->text().size() - edit->selectedText().size() + 1 > maxLength) {
        return KeyVerdict::Drop;
    }
    return KeyVerdict::Pass;
}

bool Handle(KeyVerdict verdict, QKeyEvent* event) {
    if (verdict == KeyVerdict::Pass) {
        return false;
    }
    if (verdict == KeyVerdict::DropWithBeep) {
        QApplication::beep();
    }
    event->accept();
    return true;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The field's own context menu or a switch to another window takes the keyboard focus for a while
// without the operator leaving the field: the text is not checked then.
bool OnlyPassing(const QFocusEvent* event) {
    return event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason;
}

} // namespace

// ---- SpinEdit -------------------------------------------------------------------------------------

SpinEdit::SpinEdit(int min, int max, int maxLength, Locale locale, QWidget* parent)
    : QAbstractSpinBox(parent), min_(min), max_(max), maxLength_(maxLength), locale_(locale) {
    setKeyboardTracking(true);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::Changed);
    SetValue(min);
}

int SpinEdit::Value() const {
    return cfg::SpinValue(Text().toStdString(), min_);
}

void SpinEdit::SetValue(int value) {
    SetText(QString::number(cfg::Clamp(value, min_, max_)));
}

void SpinEdit::ExitCheck() {
    const int v = Value();
    if (cfg::Clamp(v, min_, max_) != v) {
        SetValue(v);
    }
}

void SpinEdit::stepBy(int steps) {
    SetValue(static_cast<int>(std::clamp<long long>(static_cast<long long>(Value()) + steps, min_, max_)));
    selectAll();
}

QValidator::State SpinEdit::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    if (!Handle(JudgeKey(event, lineEdit(), maxLength_, &cfg::SpinKeyAllowed, locale_, true), event)) {
        QAbstractSpinBox::keyPressEvent(event);
    }
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
    if (!OnlyPassing(event)) {
        ExitCheck();
    }
    QAbstractSpinBox::focusOutEvent(event);
}

// ---- DecimalSpinEdit ---------------------------------------------------------------------------

DecimalSpinEdit::DecimalSpinEdit(int maxLength, Locale locale, QWidget* parent)
    : QAbstractSpinBox(parent), maxLength_(maxLength), locale_(locale) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(lineEdit(), &QLineEdit::textChanged, this, &DecimalSpinEdit::Changed);
    SetValue(cfg::kTempoMin);
}

double DecimalSpinEdit::Value() const {
    return cfg::TempoValue(Text().toStdString(), locale_);
}

void DecimalSpinEdit::SetValue(double value) {
    SetText(Q(cfg::FormatTempo(value, locale_)));
}

bool DecimalSpinEdit::ExitCheck() {
    const std::optional<double> v = cfg::TempoOnExit(Text().toStdString(), locale_);
    if (!v) {
        SetValue(entryValue_);
        return false;
    }
    SetValue(*v);
    return true;
}

void DecimalSpinEdit::stepBy(int steps) {
    SetValue(Value() + steps * cfg::kTempoStep);
    selectAll();
}

QValidator::State DecimalSpinEdit::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

void DecimalSpinEdit::keyPressEvent(QKeyEvent* event) {
    if (!Handle(JudgeKey(event, lineEdit(), maxLength_, nullptr, locale_, false), event)) {
        QAbstractSpinBox::keyPressEvent(event);
    }
}

void DecimalSpinEdit::focusInEvent(QFocusEvent* event) {
    // Back from a popup or another window the operator goes on in the field: the tempo it had on
    // entry stays the one to return to.
    if (!(away_ && OnlyPassing(event))) {
        entryValue_ = Value();
    }
    away_ = false;
    QAbstractSpinBox::focusInEvent(event);
}

void DecimalSpinEdit::focusOutEvent(QFocusEvent* event) {
    if (OnlyPassing(event)) {
        away_ = true;
        QAbstractSpinBox::focusOutEvent(event);
        return;
    }
    away_ = false;
    const bool accepted = ExitCheck();
    QAbstractSpinBox::focusOutEvent(event);
    if (!accepted && isVisible()) {
        // Keep the focus: the operator is to enter a valid tempo.
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) {
                setFocus(Qt::OtherFocusReason);
            }
        });
    }
}

// ---- TimePicker --------------------------------------------------------------------------------

TimePicker::TimePicker(const QString& format, QWidget* parent) : QTimeEdit(parent) {
    setDisplayFormat(format);
    setWrapping(true);
    connect(this, &QTimeEdit::timeChanged, this, [this](QTime t) {
        if (setting_) {
            return;
        }
        value_ = static_cast<double>(t.msecsSinceStartOfDay()) / 86'400'000.0;
        emit ChangedByOperator();
    });
    SetTime(0.0);
}

void TimePicker::SetTime(TimeOfDay value) {
    value_ = value;
    constexpr std::int64_t kDay = 86'400'000;
    const std::int64_t ms = ((ToMilliseconds(value) % kDay) + kDay) % kDay;
    setting_ = true;
    setTime(QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
    setting_ = false;
}

// ---- FilteredLineEdit --------------------------------------------------------------------------

FilteredLineEdit::FilteredLineEdit(Filter filter, int maxLength, Locale locale, QWidget* parent)
    : QLineEdit(parent), filter_(filter), maxLength_(maxLength), locale_(locale) {}

void FilteredLineEdit::keyPressEvent(QKeyEvent* event) {
    if (!Handle(JudgeKey(event, this, maxLength_, filter_, locale_, false), event)) {
        QLineEdit::keyPressEvent(event);
    }
}

} // namespace vandoret::ui
