// The edit fields of the settings dialog: an integer spin field, the decimal spin field and a
// time picker that keeps the full value it was given. Their rules live in settings/CfgLogic.
#pragma once

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QTimeEdit>

#include "base/TimeValues.h"

namespace vandoret::ui {

// Integer spin field: steps by 1 with its arrows and Up/Down; typing is limited to digits, "+",
// "-", the decimal separator and control keys, and to maxLength characters; the value is the
// integer in the text or the minimum; on focus loss a value out of range is set to the nearer bound.
class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    SpinEdit(int min, int max, int maxLength, Locale locale, QWidget* parent = nullptr);
    int Value() const;
    void SetValue(int value); // clamped to the range
    QString Text() const { return lineEdit()->text(); }
    void SetText(const QString& text) { lineEdit()->setText(text); }
    // What focus loss does: a value out of range is replaced by the nearer bound.
    void ExitCheck();

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    void Changed(); // the text changed, by the operator or by the program

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int min_, max_, maxLength_;
    Locale locale_;
};

// The decimal spin field eTempo: one decimal in the locale's format, 1.0 to 999.0, steps of 1.0.
// A text that is not a number in range is refused on focus loss: the field returns to the value
// it had when it got the focus and keeps the focus. A popup or another window taking the focus
// for a while is no focus loss (this holds for SpinEdit too).
class DecimalSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    DecimalSpinEdit(int maxLength, Locale locale, QWidget* parent = nullptr);
    double Value() const;
    void SetValue(double value);
    QString Text() const { return lineEdit()->text(); }
    void SetText(const QString& text) { lineEdit()->setText(text); }
    // What focus loss does; false when the text was refused (and the old value restored).
    bool ExitCheck();

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    void Changed();

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int maxLength_;
    Locale locale_;
    double entryValue_ = 1.0;
    bool away_ = false; // the focus went to a popup or another window, not to another field
};

// A time picker with up/down buttons. It keeps the full time of day it was given (to the last bit
// of the double) until the operator changes it, and shows whole seconds (or minutes).
class TimePicker : public QTimeEdit {
    Q_OBJECT
public:
    TimePicker(const QString& format, QWidget* parent = nullptr);
    TimeOfDay Time() const { return value_; }
    // Sets the value without counting as the operator's change.
    void SetTime(TimeOfDay value);

signals:
    void ChangedByOperator();

private:
    TimeOfDay value_ = 0.0;
    bool setting_ = false;
};

// A text field whose typed characters pass a filter and a length limit. The limit holds for typing
// only: a text set by the program may be longer and is kept whole.
class FilteredLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using Filter = bool (*)(char32_t, const Locale&);
    FilteredLineEdit(Filter filter, int maxLength, Locale locale, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Filter filter_;
    int maxLength_;
    Locale locale_;
};

} // namespace vandoret::ui
