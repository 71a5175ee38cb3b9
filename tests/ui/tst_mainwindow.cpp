// The main window on the fake host: shortcuts, clicks, the column rule and the close question.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "fakes/FakeHost.h"
#include "journal/JournalFakes.h"
#include "ui/FInfo.h"
#include "ui/GridView.h"
#include "ui/Label3D.h"
#include "ui/LcdField.h"
#include "ui/StartListHint.h"
#include "ui/Unit1.h"

using vandoret::Timekeeper;
using vandoret::testing::FakeHost;
using vandoret::ui::TForm1;

namespace {

struct Rig {
    FakeHost host;
    Timekeeper tk{host};
    TForm1 form;
    Rig() : form(host, tk, Options()) { host.SetClock(9, 29, 55, 0); }
    static vandoret::ui::FormOptions Options() {
        vandoret::ui::FormOptions o;
        o.installFont = false;
        return o;
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void captionAndMinimumSize() {
        Rig rig;
        rig.host.applicationTitle.assign(1, 'X'); // assign(): GCC 12 warns falsely on = "X"
        TForm1 form(rig.host, rig.tk, Rig::Options());
        QCOMPARE(form.windowTitle(), QString("X 1.5"));
        QCOMPARE(form.minimumSize(), QSize(800, 360));
        QCOMPARE(form.PageControl1->currentIndex(), 0);
        QCOMPARE(form.PageControl1->count(), 5);
    }

    // No start list found: the note over the start list names where the program looked and its
    // button is Ctrl+O; it goes once a list is read.
    void noteOverTheEmptyStartList() {
        QTemporaryDir folder;
        const QString saved = QDir::currentPath();
        QDir::setCurrent(folder.path());
        Rig rig;
        rig.form.resize(800, 360);
        rig.form.show();
        auto* hint = rig.form.startListHint;
        rig.form.Timer1Timer();
        QVERIFY(hint->isVisible());
        const QString looked = QDir::toNativeSeparators(QDir(folder.path()).absoluteFilePath("Starterliste.txt"));
        QVERIFY2(hint->text->text().contains(looked), qPrintable(hint->text->text()));
        QVERIFY(hint->geometry().bottom() <= hint->parentWidget()->height());
        QCOMPARE(hint->openButton->focusPolicy(), Qt::NoFocus);
        // The button is Ctrl+O: the open dialog, which here opens a list.
        QFile list(folder.filePath("Liste.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("Startzeit\tSt.Nr.\tName\r\n9:30\t12\tAnna\r\n");
        list.close();
        rig.host.openAnswers.push_back(list.fileName().toStdString());
        hint->openButton->click();
        QVERIFY(rig.host.openAnswers.empty());
        QVERIFY(!hint->isVisible());
        QDir::setCurrent(saved);
    }

    // The journal's notes in the middle panel: red while it cannot write, yellow until clicked.
    void journalNoticeIsColouredAndAClickClearsANote() {
        vandoret::testing::MemoryJournalWriter writer;
        vandoret::testing::FakeJournalClock clock;
        Rig rig;
        rig.tk.AttachJournal(writer, clock);
        QLabel* panel = rig.form.StatusPanels[1];
        writer.failNext = 1;
        rig.tk.registrations.RegisterFinish();
        rig.form.RefreshFromCore();
        QCOMPARE(panel->text(), QString(" Journal wird nicht geschrieben: Zeiten nur im Speicher"));
        QVERIFY(panel->styleSheet().contains("#c00000"));
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY2(panel->text().contains("nicht geschrieben"), "no click hides it while writing fails");
        rig.host.SetClock(9, 30, 1, 0);
        rig.tk.registrations.RegisterFinish();
        rig.form.RefreshFromCore();
        QVERIFY(panel->text().startsWith(" Journal war unterbrochen"));
        QVERIFY(panel->styleSheet().contains("#ffd800"));
        QTest::mouseClick(panel, Qt::LeftButton);
        QCOMPARE(panel->text(), QString());
        QCOMPARE(panel->styleSheet(), QString());
    }

    void columnWidthsForClientWidth780() {
        using vandoret::ui::ColumnWidths;
        QCOMPARE(ColumnWidths(0, 780), (std::vector<int>{62, 50, 165, 165, 165, 165}));
        QCOMPARE(ColumnWidths(1, 780), (std::vector<int>{76, 82, 60}));
        QCOMPARE(ColumnWidths(2, 780), (std::vector<int>{76, 82, 60, 60, 60, 60}));
        // rest = 780 - 42 - 45 - 82 - 60 - 8 = 543; 543 * 25 / 100 = 135
        QCOMPARE(ColumnWidths(3, 780), (std::vector<int>{42, 45, 135, 135, 135, 135, 82, 60}));
        // "Vielseitigkeit" starts with "St.Nr.": rest = 780 - 50 - 5 = 725 over 30/25/25/20 %.
        QCOMPARE(ColumnWidths(4, 780), (std::vector<int>{50, 217, 181, 181, 145}));
        // Integer division truncates toward zero, also for a rest below zero.
        QCOMPARE(ColumnWidths(0, 100), (std::vector<int>{62, 50, -4, -4, -4, -4}));
    }

    void resizeAppliesTheRuleAndTheStatusPanel() {
        Rig rig;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        rig.form.resize(900, 400);
        QTest::qWait(20);
        auto* grid = rig.form.SortGrids[0];
        const auto widths = vandoret::ui::ColumnWidths(0, grid->ClientWidth());
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(grid->columnWidth(c), std::max(widths[static_cast<std::size_t>(c)], 0));
        }
        QCOMPARE(rig.form.StatusPanels[2]->text(), QString(" 900x400     "));
    }

    void statusPanelAtMinimumSize() {
        Rig rig;
        rig.form.resize(800, 360);
        rig.form.FormResize();
        QCOMPARE(rig.form.StatusPanels[2]->text(), QString(" 800x360     "));
    }

    void closeAskedAndRefused() {
        Rig rig;
        rig.tk.registrations.SortGrid2.SetCell(1, 1, "09:30:00,0");
        rig.tk.registrations.SortGrid3.SetCell(1, 1, "09:40:00,0");
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        rig.host.yesNoAnswers = {false};
        QVERIFY(!rig.form.close());
        QCOMPARE(rig.host.questions, (std::vector<std::string>{"Beenden?"}));
        QVERIFY(rig.form.isVisible());
        QCOMPARE(rig.tk.registrations.SortGrid2.Cells(1, 1), std::string("09:30:00,0"));
        QCOMPARE(rig.tk.registrations.SortGrid3.Cells(1, 1), std::string("09:40:00,0"));
        QVERIFY(rig.host.Timer1Enabled());
        // "Ja" closes and runs the shut-down: the tick stops.
        rig.host.yesNoAnswers = {true};
        QVERIFY(rig.form.close());
        QVERIFY(!rig.host.Timer1Enabled());
    }

    void shutDownOrder() {
        QTemporaryDir folder;
        const QString old = QDir::currentPath();
        QDir::setCurrent(folder.path());
        FakeHost host;
        Timekeeper tk(host);
        std::vector<std::string> steps;
        vandoret::ui::FormOptions o;
        o.installFont = true;
        TForm1* shown = nullptr;
        o.saveSettings = [&](const vandoret::Settings&) {
            steps.push_back(host.Timer1Enabled() ? "save with tick running" : "save after tick stopped");
            steps.push_back(shown != nullptr && shown->displayFont().Installed() ? "font still there" : "font removed");
        };
        {
            TForm1 form(host, tk, o);
            shown = &form;
            QVERIFY(form.displayFont().Installed());
            QVERIFY(QDir(folder.path()).isEmpty()); // the font comes from memory: no file
        }
        const bool folderEmpty = QDir(folder.path()).isEmpty();
        QDir::setCurrent(old);
        QCOMPARE(steps, (std::vector<std::string>{"save after tick stopped", "font removed"}));
        QVERIFY(folderEmpty);
    }

    void failedSavingStillEndsTheRun() {
        FakeHost host;
        Timekeeper tk(host);
        vandoret::ui::FormOptions o = Rig::Options();
        int attempts = 0;
        o.saveSettings = [&](const vandoret::Settings&) {
            ++attempts;
            throw std::runtime_error("settings store unavailable");
        };
        {
            TForm1 form(host, tk, o);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            host.yesNoAnswers = {true};
            QVERIFY(form.close());
        }
        QCOMPARE(attempts, 1);
        QVERIFY(!host.Timer1Enabled());
    }

    void shortcutsWithoutActionChangeNothing() {
        Rig rig;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        rig.form.activateWindow();
        const auto before =
            std::make_tuple(rig.tk.registrations.SortGrid2.Revision(), rig.tk.registrations.SortGrid3.Revision(),
                            rig.tk.registrations.CounterOn, rig.tk.registrations.StartContactFree,
                            rig.tk.registrations.FinishContactFree, rig.tk.pages.ActiveTab, rig.host.questions.size());
        for (const QKeySequence& key : {QKeySequence(Qt::Key_F10), QKeySequence(Qt::ALT | Qt::Key_I),
                                        QKeySequence(Qt::ALT | Qt::Key_B), QKeySequence(Qt::CTRL | Qt::Key_W),
                                        QKeySequence(Qt::CTRL | Qt::Key_E), QKeySequence(Qt::CTRL | Qt::Key_A)}) {
            QTest::keySequence(&rig.form, key);
        }
        const auto after =
            std::make_tuple(rig.tk.registrations.SortGrid2.Revision(), rig.tk.registrations.SortGrid3.Revision(),
                            rig.tk.registrations.CounterOn, rig.tk.registrations.StartContactFree,
                            rig.tk.registrations.FinishContactFree, rig.tk.pages.ActiveTab, rig.host.questions.size());
        QVERIFY(before == after);
        QVERIFY(rig.form.isVisible());
        QVERIFY(!rig.form.FindAction("mReset")->isEnabled());
    }

    void toggleShortcutsReachTheCore() {
        Rig rig;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        const bool counter = rig.tk.registrations.CounterOn;
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_C));
        QCOMPARE(rig.tk.registrations.CounterOn, !counter);
        const bool start = rig.tk.registrations.StartContactFree;
        QTest::keySequence(&rig.form, QKeySequence(Qt::Key_F11));
        QCOMPARE(rig.tk.registrations.StartContactFree, !start);
        QTest::keySequence(&rig.form, QKeySequence(Qt::Key_F11));
        QCOMPARE(rig.tk.registrations.StartContactFree, start);
        const bool stop = rig.tk.registrations.FinishContactFree;
        QTest::keySequence(&rig.form, QKeySequence(Qt::Key_F12));
        QCOMPARE(rig.tk.registrations.FinishContactFree, !stop);
    }

    void resultsOnlyShortcutsFollowTheTab() {
        QTemporaryDir folder; // the page is written to the current folder
        const QString old = QDir::currentPath();
        QDir::setCurrent(folder.path());
        Rig rig;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        int webPages = 0;
        QObject::connect(rig.form.FindAction("eH1"), &QAction::triggered, [&] { ++webPages; });
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_H));
        QCOMPARE(webPages, 0);
        for (const char* name : {"eH1", "Druk1", "Drucker1"}) {
            QVERIFY(!rig.form.FindAction(name)->isEnabled());
        }
        // The core enables them on "Ergebnisse"; the window follows its command states.
        rig.tk.pages.Commands.eH1 = rig.tk.pages.Commands.Druk1 = rig.tk.pages.Commands.Drucker1 = true;
        rig.form.RefreshFromCore();
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_H));
        QCOMPARE(webPages, 1);
        QDir::setCurrent(old);
    }

    void resultsShortcutsFollowTheOperatorsTabChoice() {
        QTemporaryDir folder;
        const QString old = QDir::currentPath();
        QDir::setCurrent(folder.path());
        Rig rig;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        rig.form.activateWindow();
        QTabBar* tabs = rig.form.PageControl1->tabBar();
        const auto chooseTab = [&](int tab) {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        };
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_H));
        QVERIFY(rig.host.shellCalls.empty());
        chooseTab(3);
        QCOMPARE(rig.tk.pages.ActiveTab, 3);
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_H));
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_D));
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_P));
        std::vector<std::string> verbs;
        for (const auto& call : rig.host.shellCalls) {
            verbs.push_back(call.first);
        }
        QCOMPARE(verbs, (std::vector<std::string>{"open", "print", "print"}));
        QVERIFY(rig.form.sbHTML->isEnabled());
        QVERIFY(rig.form.sbPrint->isEnabled());
        // Back on another tab they do nothing again.
        chooseTab(2);
        QCOMPARE(rig.tk.pages.ActiveTab, 2);
        for (const auto key : {Qt::Key_H, Qt::Key_D, Qt::Key_P}) {
            QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | key));
        }
        QCOMPARE(rig.host.shellCalls.size(), std::size_t(3));
        QVERIFY(!rig.form.sbHTML->isEnabled());
        QVERIFY(!rig.form.sbPrint->isEnabled());
        QDir::setCurrent(old);
    }

    void functionKeysOpenHelpSettingsAndInformation() {
        Rig rig;
        int settingsShown = 0;
        rig.form.settingsDialog = [&] { ++settingsShown; };
        vandoret::ui::TFormInfo info(&rig.form);
        rig.form.FormInfo = &info;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        // F1: the help pages open in the browser through the shell.
        QTest::keyClick(&rig.form, Qt::Key_F1);
        QCOMPARE(rig.host.shellCalls.size(), std::size_t(1));
        QCOMPARE(rig.host.shellCalls[0].first, std::string("open"));
        QVERIFY(QFile::exists(QString::fromStdString(rig.host.shellCalls[0].second)));
        QVERIFY(QString::fromStdString(rig.host.shellCalls[0].second).endsWith("index.html"));
        QTest::keyClick(&rig.form, Qt::Key_F2);
        QCOMPARE(settingsShown, 1);
        // F3 shows the information dialog modally; Esc closes it.
        bool shown = false;
        QTimer::singleShot(50, &info, [&] {
            shown = info.isVisible();
            QTest::keyClick(&info, Qt::Key_Escape);
        });
        QTest::keyClick(&rig.form, Qt::Key_F3);
        QVERIFY(shown);
        QVERIFY(!info.isVisible());
    }

    // On the offscreen platform's one screen of 800×600.
    void storedBoundsAndSwitches_data() {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("shown");
        QTest::newRow("designed") << QRect(0, 169, 800, 360) << QRect(0, 169, 800, 360);
        QTest::newRow("larger than the screen") << QRect(10, 20, 1000, 700) << QRect(0, 0, 800, 600);
        QTest::newRow("below the minimum") << QRect(0, 20, 640, 200) << QRect(0, 20, 800, 360);
        QTest::newRow("off the screen") << QRect(5000, -4000, 800, 360) << QRect(0, 0, 800, 360);
    }
    void storedBoundsAndSwitches() {
        QFETCH(QRect, stored);
        QFETCH(QRect, shown);
        if (QGuiApplication::primaryScreen()->availableGeometry() != QRect(0, 0, 800, 600)) {
            QSKIP("the rows are for a screen of 800x600");
        }
        FakeHost host;
        Timekeeper tk(host);
        vandoret::ui::FormOptions o = Rig::Options();
        o.loadSettings = [&](vandoret::Settings& s) {
            s.Left = stored.x();
            s.Top = stored.y();
            s.Width = stored.width();
            s.Height = stored.height();
            s.AutoStart = false;
            s.Sound = false;
        };
        TForm1 form(host, tk, o);
        QCOMPARE(form.size(), shown.size());
        QCOMPARE(form.pos(), shown.topLeft());
        QVERIFY(!form.cbAutoStart->isChecked());
        form.cbAutoStart->click();
        QVERIFY(tk.settings.AutoStart);
        // The sound icon switches the sound and its overlay picture.
        const QImage off = form.ImageOnSound->pixmap().toImage();
        QTest::mouseClick(form.ImageSound, Qt::LeftButton);
        QVERIFY(tk.settings.Sound);
        QVERIFY(form.ImageOnSound->pixmap().toImage() != off);
        QTest::mouseClick(form.ImageOnSound, Qt::LeftButton);
        QVERIFY(!tk.settings.Sound);
        QCOMPARE(form.ImageOnSound->pixmap().toImage(), off);
    }

    void withoutAStartListTheClockPanelShowsItsDesignedValuesAndAnUnlitCounter() {
        Rig rig;
        rig.form.RefreshFromCore();
        QCOMPARE(rig.form.TextStartTime->text(), QString("00:00:00"));
        QCOMPARE(rig.form.LabOstalosStart->text(), QString("0"));
        QCOMPARE(rig.form.LabOstalosStop->text(), QString("0"));
        auto* counter = qobject_cast<vandoret::ui::LcdField*>(rig.form.TextCounterTime);
        QVERIFY(counter != nullptr);
        // The counter is lit exactly while the countdown runs.
        QCOMPARE(counter->Unlit(), !rig.tk.registrations.CounterOn);
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_C));
        QCOMPARE(counter->Unlit(), !rig.tk.registrations.CounterOn);
        QTest::keySequence(&rig.form, QKeySequence(Qt::CTRL | Qt::Key_C));
        QCOMPARE(counter->Unlit(), !rig.tk.registrations.CounterOn);
    }

    void resultsSheetTakesNoInput() {
        Rig rig;
        QVERIFY(!rig.form.SortGrids[3]->InputEnabled());
        for (int tab : {0, 1, 2, 4}) {
            QVERIFY(rig.form.SortGrids[static_cast<std::size_t>(tab)]->InputEnabled());
        }
    }

    void gridShowsTheCoreList() {
        Rig rig;
        auto& g = rig.tk.registrations.SortGrid2;
        g.SetCell(0, 1, "1.");
        g.SetCell(1, 1, "09:30:00,1");
        g.AddRow();
        g.SetCell(0, 2, "2.");
        rig.form.RefreshFromCore();
        auto* model = rig.form.SortGrids[1]->model();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("Startzeit"));
        QCOMPARE(model->index(0, 1).data().toString(), QString("09:30:00,1"));
        QCOMPARE(rig.form.SortGrids[1]->verticalHeader()->defaultSectionSize(), 19);
        // Right-aligned contact number; the start time cell coloured except in the current row.
        QVERIFY(model->index(1, 0).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
        g.SetRow(1);
        rig.form.RefreshFromCore();
        QVERIFY(!model->index(0, 1).data(Qt::BackgroundRole).isValid());
        QCOMPARE(model->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(216, 255, 216));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
