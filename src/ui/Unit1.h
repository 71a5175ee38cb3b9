// TForm1: the main window. It forwards the operator's input to the Timekeeper and draws its state.
//
// The window owns no timing logic. Its handlers carry the names of the form's events; each one
// calls the core operation and then redraws what changed. The host is injected, so tests run
// the window on the fake clock and the program on QtHost.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>

#include "timing/Timekeeper.h"
#include "ui/DisplayFont.h"

class QAction;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QToolButton;

namespace vandoret::ui {

class GridView;
class Label3D;
class StartListHint;
class TFormInfo;

// Column widths of a list for the given client width (the layout rule of FormResize).
std::vector<int> ColumnWidths(int tab, int clientWidth);

struct FormOptions {
    // Reads the settings at start-up and writes them at shut-down and whenever an operator's
    // choice changed (StoreChangedSettings); unset: defaults, nothing stored.
    std::function<void(Settings&)> loadSettings;
    std::function<void(const Settings&)> saveSettings;
    // Lists the serial ports present (start-up step 3); unset: none.
    std::function<void()> listComPorts;
    // Install the display font (tests that check the folder may switch it off).
    bool installFont = true;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(Host& host, Timekeeper& tk, FormOptions options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    Timekeeper& core() { return tk_; }

    // Dialogs created after the main window, and the settings dialog's edit cycle.
    TFormInfo* FormInfo = nullptr;
    std::function<void()> settingsDialog;
    // Opens the help; unset: the bundled help pages in the browser.
    std::function<void()> showHelp;

    // ---- Handlers
    void FormShow();
    void FormResize();
    bool FormCloseQuery();
    void FormDestroy();
    void Timer1Timer();
    void Timer5sekTimer();
    void mStartClick();
    void mStopClick();
    // F7: a time entered by hand; Shift+F7: the current row's time corrected (HandTimeDialog).
    void HandTimeClick(bool correction);
    // F5 "Anhalten" and Shift+F5 "Weiter"; RunHold shows the dialog for an entry.
    void HoldClick(bool restart);
    void RunHold(const HoldEntry& entry);
    void mHilfeClick();
    void bCFGClick();
    void Info1Click();
    void sbLoadClick();
    // A start list named from outside (the command line, a later start): opened as Ctrl+O opens
    // a chosen file, once no dialog of the program is open any more.
    void OpenStartListFile(const QString& file);
    void sbSaveClick();
    void sbCLSClick();
    void sbDelLineClick();
    void sbHTMLClick(int tag);
    void ImageStatusClick();
    void ImageSoundClick();
    void ImageLSClick(LockIndicator which);
    void cbNrChange(int index);
    void PageControl1Change(int index);
    void ShiftStartTimes();
    // The context menu of the lists "Startliste", "Startzeiten" and "Stoppzeiten" at `globalPos`:
    // the status of the rider of the row there (or of the current row), and on the start list
    // "Die Startzeit verschieben".
    void ListContextMenu(int tab, const QPoint& globalPos);

    // Redraws everything that follows the core's state; then StoreChangedSettings.
    void RefreshFromCore();
    // Writes the settings when one of the operator's choices (the settings dialog, the sound
    // switch, the AutoStart box, the start list's name) changed since the last write, so a crash
    // keeps them; the window's place is written at the end of the run only.
    void StoreChangedSettings();

    // ---- Controls (public for tests and the screenshot run)
    std::array<GridView*, 5> SortGrids{};
    QTabWidget* PageControl1 = nullptr;
    QComboBox* cbNr = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* TextStartTime = nullptr;
    QLabel* TextCounterTime = nullptr;
    QLabel* TextStopTime = nullptr;
    QLabel* LabOstalosStart = nullptr;
    QLabel* LabOstalosStop = nullptr;
    QLabel* ImageStatus = nullptr;
    QLabel* ImageSound = nullptr;
    QLabel* ImageOnSound = nullptr;
    QLabel* ImageLSstart = nullptr;
    QLabel* ImageLSstop = nullptr;
    QCheckBox* cbAutoStart = nullptr;
    Label3D* Label3D1 = nullptr;
    Label3D* Label3D2 = nullptr;
    QToolButton *SpeedButton1 = nullptr, *bCFG = nullptr, *SpeedButton2 = nullptr, *sbLoad = nullptr, *sbSave = nullptr,
                *sbPrint = nullptr, *sbCLS = nullptr, *sbDelLine = nullptr, *sbHTML = nullptr;
    QLabel* StatusPanels[3] = {};
    // Over the empty start list while no start list was found: where the program looked, Ctrl+O.
    StartListHint* startListHint = nullptr;
    QAction* FindAction(const QString& objectName) const;
    // True when the key is the shortcut of an enabled item with an action (not F10, Alt+I, ...).
    bool IsWindowCommand(const QKeyEvent& key) const;
    // The keyboard to the list of the active tab (the window itself when that list takes no input).
    void FocusActiveList();
    // Properties of the window's items: has an action; enabled as designed.
    static const char* const kCommand;
    static const char* const kDesignedEnabled;
    const DisplayFont& displayFont() const { return font_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void BuildTopPanel(QWidget* top);
    void BuildDisplay(QWidget* display);
    void BuildTabs();
    void BuildStatusBar();
    void BuildShortcuts();
    void WireStopListEditing();
    void LayoutTopPanel();
    void ApplyCommandStates();
    void ApplySettingsBounds();
    void SyncStopListMode();
    // One of the program's dialogs opened (true) or the last one closed (false): the controls
    // other than the start and the finish are disabled meanwhile; afterwards the keyboard is back
    // where it was, or on the active tab's list when it was nowhere or in the number list.
    void DialogGate(bool open);
    void RefreshNumberList();
    QFont LcdFont(int pixelSize, const QString& widest) const;
    void OpenPendingStartList();

    Host& host_;
    Timekeeper& tk_;
    FormOptions options_;
    DisplayFont font_;
    QWidget* topPanel_ = nullptr;
    QLabel* banner_ = nullptr;
    QLabel* logo_ = nullptr;
    QWidget* display_ = nullptr;
    QWidget* rightBox_ = nullptr;
    QMenu* popup_ = nullptr;
    std::vector<std::string> shownNumbers_;
    bool riderPickedInPopup_ = false;
    bool dialogOpen_ = false;
    QString pendingStartList_; // named from outside while a dialog was open; the latest one wins
    QPointer<QWidget> focusBeforeDialog_;
    std::string journalNoticeShown_;
    bool journalAlarmShown_ = false;
    Settings storedSettings_; // as last read or written
    bool destroyed_ = false;
    bool created_ = false;
};

} // namespace vandoret::ui
