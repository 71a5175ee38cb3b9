// TForm1: start-up, shut-down, the handlers and the redraw from the core's state.
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "contacts/Comms.h"
#include "settings/WindowBounds.h"
#include "ui/DialogRun.h"
#include "ui/FInfo.h"
#include "ui/GridView.h"
#include "ui/HelpPages.h"
#include "ui/HtmlHelp.h"
#include "ui/Label3D.h"
#include "ui/LcdField.h"
#include "ui/Pictures.h"
#include "ui/StartListHint.h"
#include "ui/StatusMiddle.h"
#include "ui/Unit1.h"

namespace vandoret::ui {
namespace {

QString ToQ(const std::string& s) {
    return QString::fromStdString(s);
}

void SetTextIfChanged(QLabel* label, const std::string& text) {
    const QString q = ToQ(text);
    if (label->text() != q) {
        label->setText(q);
    }
}

} // namespace

void TForm1::FormCreate() {
    // 1. Title and caption.
    const QString title = ToQ(host_.ApplicationTitle());
    QCoreApplication::setApplicationName(title);
    tk_.startList.WindowCaption = (title + " " VANDORET_VERSION).toStdString();
    setWindowTitle(ToQ(tk_.startList.WindowCaption));
    // 2. The help file is looked for beside the program (see mHilfeClick).
    // 3. The serial ports present.
    if (options_.listComPorts) {
        options_.listComPorts();
    }
    // 4. The display font.
    if (options_.installFont) {
        font_.Install();
    }
    StaticText1->setFont(LcdFont(40, "88:88:88"));
    TextStartTime->setFont(StaticText1->font());
    TextCounterTime->setFont(StaticText1->font());
    TextStopTime->setFont(LcdFont(40, "88:88:88,8"));
    for (QLabel* field : {StaticText1, TextStartTime, TextCounterTime, TextStopTime}) {
        static_cast<LcdField*>(field)->SetSegmentFont(font_.Installed());
    }
    // 5. The results sort column lives with the core's start list sort options.
    // 6. Status indicator for CounterOn (off).
    ImageStatus->setPixmap(pictures::StatusIndicator(tk_.registrations.CounterOn));
    // 7. Settings, with the window bounds and the check box they carry.
    if (options_.loadSettings) {
        options_.loadSettings(tk_.settings);
    }
    ApplySettingsBounds();
    cbAutoStart->setChecked(tk_.settings.AutoStart);
    // 8. Sounds.
    tk_.LoadSoundFiles();
    // 9. Sound overlay.
    ImageOnSound->setPixmap(pictures::SoundOverlay(tk_.settings.Sound));
    // 10. Hints and the locked pictures of both lock indicators.
    sbLoad->setToolTip(QString::fromUtf8("[Ctrl+O] Starterliste oder gespeichertes Protokoll öffnen"));
    sbCLS->setToolTip(QString::fromUtf8("[Ctrl+X] Protokoll löschen"));
    sbDelLine->setToolTip(QString::fromUtf8("[Ctrl+0] Markierte Zeile löschen"));
    ImageLSstart->setPixmap(pictures::LockIndicator(false));
    ImageLSstop->setPixmap(pictures::LockIndicator(false));
    // 11. Captions are the core's; the finish field starts empty.
    tk_.registrations.TextStopTime = kNoFinishTime;
    // 12. One tick at once.
    tk_.Timer1Timer();
    // 13. The configured serial port.
    if (tk_.settings.Port != 0) {
        tk_.OpenConfiguredPort();
    }
    // 14. Countdown on when the start list holds more than one rider.
    if (tk_.startList.SortGrid1.RowCount() > 2 && !tk_.registrations.CounterOn) {
        tk_.ImageStatusClick();
    }
    host_.SetTimer1Enabled(true);
    created_ = true;
    // What start-up changed (the port check) is written at the end, as before.
    storedSettings_ = tk_.settings;
    RefreshFromCore();
    FormShow();
}

void TForm1::ApplySettingsBounds() {
    const Settings& s = tk_.settings;
    std::vector<WindowBounds> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        areas.push_back({a.x(), a.y(), a.width(), a.height()});
    }
    const WindowBounds b = FitWindowBounds({s.Left, s.Top, s.Width, s.Height}, areas);
    // Below 800×360 only where the screen is smaller; the stored size stays at least that.
    setMinimumSize(std::min(b.width, kMinWindowWidth), std::min(b.height, kMinWindowHeight));
    move(b.left, b.top);
    resize(b.width, b.height);
}

void TForm1::FormShow() {
    // Tabs become active in this order without the change handling, ending on "Startliste".
    const QSignalBlocker block(PageControl1);
    for (int tab : {kTabResults, kTabStopTimes, kTabStartTimes, kTabStartList}) {
        PageControl1->setCurrentIndex(tab);
    }
    tk_.pages.ActiveTab = kTabStartList;
    FocusActiveList();
}

void TForm1::FormResize() {
    for (int tab = 0; tab < 5; ++tab) {
        GridView* grid = SortGrids[static_cast<std::size_t>(tab)];
        grid->SetColumnWidths(ColumnWidths(tab, grid->ClientWidth()));
    }
    if (StatusPanels[2] != nullptr) {
        StatusPanels[2]->setText(QString(" %1x%2     ").arg(width()).arg(height()));
    }
    if (topPanel_ != nullptr) {
        LayoutTopPanel();
    }
}

bool TForm1::FormCloseQuery() {
    return host_.AskYesNo("Beenden?");
}

void TForm1::FormDestroy() {
    if (destroyed_ || !created_) {
        return;
    }
    destroyed_ = true;
    host_.SetTimer1Enabled(false);
    font_.Remove();
    if (options_.saveSettings) {
        try {
            storedSettings_ = tk_.settings;
            options_.saveSettings(tk_.settings);
        } catch (...) {
            // Settings that cannot be stored are lost; the port must still be closed.
        }
    }
    if (tk_.contacts.ComPort) {
        try {
            tk_.contacts.ComPort->Close();
        } catch (...) {
            // Closing errors are of no consequence at the end of the run.
        }
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (DialogRunning() || !FormCloseQuery()) { // a dialog is answered first
        event->ignore();
        return;
    }
    event->accept();
    FormDestroy();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (created_ && !isMaximized() && !isMinimized()) {
        tk_.settings.Width = StoredWindowWidth(width());
        tk_.settings.Height = StoredWindowHeight(height());
    }
    FormResize();
}

void TForm1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (created_ && !isMaximized() && !isMinimized()) {
        tk_.settings.Left = x();
        tk_.settings.Top = y();
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == topPanel_) {
        LayoutTopPanel();
    }
    if (cbNr != nullptr && ((watched == cbNr->view()->viewport() && event->type() == QEvent::MouseButtonRelease) ||
                            (watched == cbNr->view() && event->type() == QEvent::KeyPress &&
                             (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                              static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter)))) {
        riderPickedInPopup_ = true; // the choice that follows was made in the drop-down
    }
    if (watched == cbNr && (event->type() == QEvent::Wheel || event->type() == QEvent::KeyPress)) {
        // The closed number list chooses no rider by the wheel, by arrows or by typed digits.
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        !dialogOpen_) {
        if (watched == ImageStatus) {
            ImageStatusClick();
            return true;
        }
        if (watched == ImageSound || watched == ImageOnSound) {
            ImageSoundClick();
            return true;
        }
        if (watched == ImageLSstart || watched == ImageLSstop) {
            ImageLSClick(watched == ImageLSstart ? LockIndicator::Start : LockIndicator::Stop);
            return true;
        }
        if (watched == StatusPanels[1] && !tk_.registrations.JournalNotice.empty()) {
            tk_.JournalNoticeClick(); // the operator has seen the note
            RefreshFromCore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Handlers that forward to the core

void TForm1::Timer1Timer() {
    tk_.Timer1Timer();
    RefreshFromCore();
}

void TForm1::Timer5sekTimer() {
    tk_.Timer5sekTimer();
    RefreshFromCore();
}

void TForm1::mStartClick() {
    tk_.mStartClick();
    RefreshFromCore();
}

void TForm1::mStopClick() {
    tk_.mStopClick();
    RefreshFromCore();
}

void TForm1::ImageStatusClick() {
    tk_.ImageStatusClick();
    RefreshFromCore();
}

void TForm1::ImageSoundClick() {
    tk_.ImageSoundClick();
    RefreshFromCore();
}

void TForm1::ImageLSClick(LockIndicator which) {
    tk_.registrations.ImageLSClick(which);
    RefreshFromCore();
}

void TForm1::cbNrChange(int index) {
    tk_.SelectRider(index);
    RefreshFromCore();
    if (riderPickedInPopup_) {
        // A rider picked in the drop-down hands the keyboard back to the list of the active tab, so
        // that a number typed next goes into the list, not into the number list.
        riderPickedInPopup_ = false;
        FocusActiveList();
    }
}

void TForm1::ShiftStartTimes() {
    tk_.ShiftStartTimes();
    RefreshFromCore();
}

void TForm1::sbLoadClick() {
    tk_.sbLoadClick();
    RefreshFromCore();
}

void TForm1::sbSaveClick() {
    tk_.sbSaveClick();
    RefreshFromCore();
}

void TForm1::sbCLSClick() {
    tk_.sbCLSClick(true);
    RefreshFromCore();
}

void TForm1::sbDelLineClick() {
    tk_.sbDelLineClick();
    RefreshFromCore();
}

void TForm1::sbHTMLClick(int tag) {
    tk_.sbHTMLClick(tag);
    RefreshFromCore();
}

void TForm1::PageControl1Change(int index) {
    tk_.pages.ActiveTab = index;
    tk_.PageControl1Change();
    RefreshFromCore();
    SortGrids[static_cast<std::size_t>(index)]->horizontalScrollBar()->setValue(0);
}

void TForm1::bCFGClick() {
    if (settingsDialog) {
        settingsDialog();
        RefreshFromCore();
    }
}

void TForm1::Info1Click() {
    if (FormInfo != nullptr) {
        const QRect pr = frameGeometry();
        FormInfo->move(pr.center() - FormInfo->rect().center());
        RunDialog(*FormInfo);
    }
}

void TForm1::mHilfeClick() {
    if (showHelp) {
        showHelp();
        return;
    }
#ifdef Q_OS_WIN
    // The program's help file beside it; without it (a build without HTML Help Workshop) the
    // bundled pages open in the browser, as elsewhere.
    if (ShowHelpContents(host_.ProgramDir() + host_.ApplicationTitle() + ".chm", reinterpret_cast<void*>(winId()))) {
        return;
    }
#endif
    host_.ShellExecute("open", WriteHelpPages().toStdString());
}

// ---- Redraw

void TForm1::RefreshNumberList() {
    if (shownNumbers_ != tk_.startList.cbNr.Items) {
        const QSignalBlocker block(cbNr);
        cbNr->clear();
        for (const auto& item : tk_.startList.cbNr.Items) {
            cbNr->addItem(ToQ(item));
        }
        shownNumbers_ = tk_.startList.cbNr.Items;
    }
    if (cbNr->currentIndex() != tk_.startList.cbNr.ItemIndex) {
        const QSignalBlocker block(cbNr);
        cbNr->setCurrentIndex(tk_.startList.cbNr.ItemIndex);
    }
}

void TForm1::RefreshFromCore() {
    // A finish row got the number of a rider still held: "Weiter" for that rider first.
    if (std::optional<HoldEntry> restart = tk_.TakeRestartWanted()) {
        QTimer::singleShot(0, this, [this, entry = *restart] { RunHold(entry); });
    }
    SetTextIfChanged(StaticText1, tk_.registrations.StaticText1);
    SetTextIfChanged(TextStartTime, tk_.registrations.TextStartTime);
    SetTextIfChanged(TextCounterTime, tk_.registrations.TextCounterTime);
    // A counter that is not counting down shows its value unlit, so it never looks live.
    if (auto* counter = qobject_cast<LcdField*>(TextCounterTime)) {
        counter->SetUnlit(!tk_.registrations.CounterOn);
    }
    SetTextIfChanged(TextStopTime, tk_.registrations.TextStopTime);
    SetTextIfChanged(LabOstalosStart, tk_.registrations.LabOstalosStart);
    SetTextIfChanged(LabOstalosStop, tk_.registrations.LabOstalosStop);
    const QColor startColour =
        tk_.registrations.TextStartTimeColor == TextColor::Red ? QColor(255, 0, 0) : QColor(0, 255, 0);
    if (TextStartTime->palette().color(QPalette::WindowText) != startColour) {
        QPalette pal = TextStartTime->palette();
        pal.setColor(QPalette::WindowText, startColour);
        TextStartTime->setPalette(pal);
    }
    if (Edit1->text() != ToQ(tk_.registrations.Edit1)) {
        Edit1->setText(ToQ(tk_.registrations.Edit1));
        Edit1->setCursorPosition(0);
    }
    RefreshNumberList();
    if (tk_.registrations.JournalNotice != journalNoticeShown_ ||
        tk_.registrations.JournalNoticeAlarm != journalAlarmShown_) {
        journalNoticeShown_ = tk_.registrations.JournalNotice;
        journalAlarmShown_ = tk_.registrations.JournalNoticeAlarm;
        SetMiddlePanelWarning(StatusPanels[1], ToQ(journalNoticeShown_), journalAlarmShown_);
    }
    if (windowTitle() != ToQ(tk_.startList.WindowCaption)) {
        setWindowTitle(ToQ(tk_.startList.WindowCaption));
    }
    startListHint->Follow(tk_.startList.StartListNotFound(), ToQ(tk_.startList.StartListWatchPath));
    // Indicator pictures follow their state; they are redrawn only when it changes.
    const auto picture = [](QLabel* label, bool state, auto draw) {
        const int key = state ? 1 : 0;
        if (label->property("state").toInt() != key + 1) {
            label->setProperty("state", key + 1);
            label->setPixmap(draw(state));
        }
    };
    picture(ImageStatus, tk_.registrations.CounterOn, pictures::StatusIndicator);
    picture(ImageOnSound, tk_.settings.Sound, pictures::SoundOverlay);
    picture(ImageLSstart, tk_.registrations.StartContactFree, pictures::LockIndicator);
    picture(ImageLSstop, tk_.registrations.FinishContactFree, pictures::LockIndicator);
    ImageLSstart->setVisible(tk_.contacts.ImageLSstartVisible);
    ImageLSstop->setVisible(tk_.contacts.ImageLSstopVisible);
    if (cbAutoStart->isChecked() != tk_.settings.AutoStart) {
        const QSignalBlocker block(cbAutoStart);
        cbAutoStart->setChecked(tk_.settings.AutoStart);
    }
    for (GridView* grid : SortGrids) {
        grid->Refresh();
    }
    if (PageControl1->currentIndex() != tk_.pages.ActiveTab) {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentIndex(tk_.pages.ActiveTab);
    }
    SyncStopListMode();
    ApplyCommandStates();
    StoreChangedSettings();
}

void TForm1::StoreChangedSettings() {
    if (!created_ || destroyed_ || !options_.saveSettings || !ChoicesDiffer(tk_.settings, storedSettings_)) {
        return;
    }
    // Tried once per change: a store that cannot be written is not hammered on every tick, and
    // the end of the run tries again.
    storedSettings_ = tk_.settings;
    try {
        options_.saveSettings(tk_.settings);
    } catch (...) {
        // The run goes on with the settings it holds.
    }
}

void TForm1::ApplyCommandStates() {
    const CommandStates& c = tk_.pages.Commands;
    const bool free = !dialogOpen_; // a dialog leaves only the start and the finish
    sbSave->setEnabled(free && c.sbSave);
    sbCLS->setEnabled(free && c.sbCLS);
    sbDelLine->setEnabled(free && c.sbDelLine);
    sbPrint->setEnabled(free && c.sbPrint);
    sbHTML->setEnabled(free && c.sbHTML);
    const std::pair<const char*, bool> actions[] = {
        {"eS1", c.eS1}, {"Drucker1", c.Drucker1}, {"Druk1", c.Druk1}, {"eH1", c.eH1}};
    for (const auto& [name, enabled] : actions) {
        if (QAction* a = FindAction(name)) {
            a->setEnabled(free && enabled);
        }
    }
}

} // namespace vandoret::ui
