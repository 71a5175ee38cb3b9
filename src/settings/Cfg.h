// TCfgDialog "Einstellungen": course, tempo, allowed time, penalty rule, start schedule, serial
// port and contact polarities. Created once after the main window and reused; the main window
// opens it with F2 or the button bCFG and runs bCFGClick. The rules are in CfgLogic.h.
//
//   TCfgDialog cfg(portControl, locale, mainWindow);       // FormCreate: the port list
//   cfg.bCFGClick(timekeeper.settings, [&] { FormResize(); });
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QComboBox>
#include <QDialog>

#include "settings/CfgLogic.h"
#include "settings/Settings.h"
#include "ui/EditFields.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

namespace vandoret::ui {

// A polarity list (cbAlg1..3): items "NPN" and "PNP", drawn by TCfgDialog::cbAlgDrawItem.
class PolarityBox : public QComboBox {
public:
    explicit PolarityBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TCfgDialog : public QDialog {
    Q_OBJECT
public:
    // FormCreate runs here: the port list holds "Kein" and the ports that port.AvailablePorts()
    // found at start-up. The port object outlives the dialog.
    TCfgDialog(PortControl& port, Locale locale = {}, QWidget* parent = nullptr);

    // The edit cycle: fills the fields from the settings, shows the dialog modally and, when it
    // ends with OK, transfers the fields back, closes and reopens the port and runs formResize
    // (the main window's FormResize). True when the settings were taken over completely.
    bool bCFGClick(Settings& settings, const std::function<void()>& formResize = {});

    // How the dialog is run and how a message is shown; tests replace them to answer in advance.
    std::function<int(TCfgDialog&)> runModal;
    std::function<void(const std::string&)> showMessage;
    std::function<bool(const std::string&)> askQuestion; // true: "Ja"

    // Handlers.
    void FormShow();
    void cbPortChange();
    // The open port's timing in the port group: the waiting thread's priority and, when above
    // 1 ms, the adapter's latency timer with the offer to set it (LatencyClick).
    void ShowPortTiming();
    void LatencyClick();
    void seLenChange();
    void eTimeChange();
    void DateTimePicker1Change(); // the operator set the time limit
    void OKBtnClick();
    // Draws one item of a polarity list: the background, and unless disabled the text at (1, 1)
    // and the contact picture 25 pixels right of the left edge.
    static void cbAlgDrawItem(QPainter& painter, const QRect& rect, int index, bool disabled, bool selected,
                              const QPalette& palette, const QFont& font);
    // The contact pictures, 41 x 16, transparent: Image2 open (grey, "NPN"), Image1 closed (red, "PNP").
    static const QPixmap& Image1();
    static const QPixmap& Image2();

    // Controls.
    TimePicker* eStartClock;
    SpinEdit* eStartInt;
    SpinEdit* seLen;
    DecimalSpinEdit* eTempo;
    TimePicker* eTime;
    FilteredLineEdit* eStrafPkt;
    FilteredLineEdit* eStrafSek;
    TimePicker* DateTimePicker1;
    QLineEdit* eDis;
    SpinEdit* eWebPort;       // "Live-Ergebnisse Port", 0 = off
    QComboBox* cbWertung;     // "Wertung:", the rule set
    TimePicker* eMindestzeit; // "Mindestzeit:", the speed-fault time; 00:00:00 = none
    QGroupBox* GroupBox1;
    QComboBox* cbPort;
    QLineEdit* cbLS1;
    PolarityBox* cbAlg1;
    QLineEdit* cbLS2;
    PolarityBox* cbAlg2;
    QComboBox* cbLS3;
    PolarityBox* cbAlg3;
    QLabel* lPriority; // "Priorität: Echtzeit (SCHED_FIFO 10)"
    QLabel* lLatency;  // "USB-Latenz 16 ms — auf 1 ms stellen", a link
    QPushButton* OKBtn;
    QPushButton* bCancel;

private:
    void FormCreate();
    void BuildControls();
    void LoadFields(const cfg::CfgFields& fields);
    cfg::CfgFields ReadFields() const;
    QLabel* Caption(const QString& text, int x, int y, QWidget* field = nullptr, int fieldWidth = 0);

    PortControl& port_;
    Locale locale_;
    std::vector<std::string> portItems_;
    PortTiming timing_;
    bool limitFollows_ = true; // "Maximale Zeit:" shows twice the allowed time
};

} // namespace vandoret::ui
