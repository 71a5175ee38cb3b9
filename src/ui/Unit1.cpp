#include "ui/Unit1.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/CellFormats.h"
#include "ui/DialogRun.h"
#include "ui/GridView.h"
#include "ui/Label3D.h"
#include "ui/LcdField.h"
#include "ui/Pictures.h"
#include "ui/StartListHint.h"
#include "ui/TabBar.h"

namespace vandoret::ui {
namespace {

constexpr int kTopHeight = 162;
constexpr int kDisplayLeft = 126;
constexpr int kDisplayWidth = 363;
constexpr int kRightLeft = kDisplayLeft + kDisplayWidth + 8;

QLabel* Caption(const QString& text, QWidget* parent, int x, int y) {
    auto* label = new QLabel(text, parent);
    QFont f("Arial");
    f.setPixelSize(21);
    label->setFont(f);
    label->setStyleSheet("color: white; background: transparent;");
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

std::vector<int> ColumnWidths(int tab, int clientWidth) {
    const auto rest = [clientWidth](std::initializer_list<int> fixed, int colCount) {
        int r = clientWidth - colCount;
        for (int w : fixed) {
            r -= w;
        }
        return r;
    };
    switch (tab) {
    case kTabStartList: {
        const int r = rest({62, 50}, 6);
        return {62, 50, r * 25 / 100, r * 25 / 100, r * 25 / 100, r * 25 / 100};
    }
    case kTabStartTimes:
        return {76, 82, 60};
    case kTabStopTimes:
        return {76, 82, 60, 60, 60, 60};
    case kTabResults: {
        const int r = rest({42, 45, 82, 60}, 8);
        return {42, 45, r * 25 / 100, r * 25 / 100, r * 25 / 100, r * 25 / 100, 82, 60};
    }
    case kTabEventing: {
        const int r = rest({50}, 5);
        return {50, r * 30 / 100, r * 25 / 100, r * 25 / 100, r * 20 / 100};
    }
    default:
        return {};
    }
}

TForm1::TForm1(Host& host, Timekeeper& tk, FormOptions options, QWidget* parent)
    : QMainWindow(parent), host_(host), tk_(tk), options_(std::move(options)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(pictures::ApplicationIcon());
    setMinimumSize(800, 360);
    resize(800, 360);
    move(333, 169);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowBackground);
    setPalette(pal);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    topPanel_ = new QWidget(central);
    topPanel_->setFixedHeight(kTopHeight);
    topPanel_->installEventFilter(this);
    layout->addWidget(topPanel_);
    BuildTopPanel(topPanel_);
    PageControl1 = new PageControl(central);
    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);
    BuildTabs();
    BuildStatusBar();
    BuildShortcuts();
    new StartStopKeys(
        this, [this] { mStartClick(); }, [this] { mStopClick(); });
    SetDialogGate([this](bool open) { DialogGate(open); });
    FormCreate();
}

TForm1::~TForm1() {
    SetDialogGate(nullptr);
    FormDestroy();
}

void TForm1::BuildTopPanel(QWidget* top) {
    banner_ = new QLabel(top);
    banner_->setGeometry(0, 0, width(), 41);
    banner_->setScaledContents(true);
    banner_->setPixmap(pictures::Banner(800, 41));
    logo_ = new QLabel(top);
    logo_->setPixmap(pictures::Logo());
    logo_->resize(189, 41);

    struct ButtonSpec {
        QToolButton** button;
        const char* name;
        int x, y;
        const char* hint;
        pictures::Tool picture;
    };
    const ButtonSpec buttons[] = {
        {&SpeedButton1, "SpeedButton1", 8, 1, "[F1] Hilfe", pictures::Tool::Help},
        {&bCFG, "bCFG", 48, 1, "[F2] Einstellungen", pictures::Tool::Settings},
        {&SpeedButton2, "SpeedButton2", 88, 1, "[F3] Information", pictures::Tool::Info},
        {&sbLoad, "sbLoad", 88, 43, "", pictures::Tool::Open},
        {&sbSave, "sbSave", 48, 83, "[Ctrl+S] Speichern als ..", pictures::Tool::Save},
        {&sbPrint, "sbPrint", 88, 82, "[Ctrl+D] Protokoll drucken", pictures::Tool::Print},
        {&sbCLS, "sbCLS", 8, 122, "", pictures::Tool::Clear},
        {&sbDelLine, "sbDelLine", 48, 122, "", pictures::Tool::DeleteLine},
        {&sbHTML, "sbHTML", 88, 122, "[Ctrl+H] Als Webseite", pictures::Tool::Web},
    };
    for (const auto& entry : buttons) {
        auto* b = new QToolButton(top);
        b->setObjectName(entry.name);
        b->setGeometry(entry.x, entry.y, 36, 37);
        b->setIcon(pictures::ToolIcon(entry.picture));
        b->setIconSize(QSize(28, 28));
        b->setCursor(Qt::PointingHandCursor);
        b->setToolTip(QString::fromUtf8(entry.hint));
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet("QToolButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f2f8, "
                         "stop:1 #d6d0e2); border: 1px solid #8a84a0; border-radius: 4px; }"
                         "QToolButton:hover { background: #ffffff; border-color: #3a4e78; }"
                         "QToolButton:pressed { background: #c0b8d4; }"
                         "QToolButton:disabled { background: #ddd8e6; border-color: #b4aec4; }");
        *entry.button = b;
    }
    sbPrint->setEnabled(false);
    sbHTML->setEnabled(false);
    // The word-processor and spreadsheet exports exist hidden and disabled, as does "SORT".
    for (const char* name : {"sbWord", "sbExcel"}) {
        auto* hidden = new QToolButton(top);
        hidden->setObjectName(name);
        hidden->setEnabled(false);
        hidden->hide();
    }
    auto* sortButton = new QToolButton(top);
    sortButton->setObjectName("Button1");
    sortButton->setText("SORT");
    sortButton->hide();
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::mHilfeClick);
    connect(bCFG, &QToolButton::clicked, this, &TForm1::bCFGClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::Info1Click);
    connect(sbLoad, &QToolButton::clicked, this, &TForm1::sbLoadClick);
    connect(sbSave, &QToolButton::clicked, this, &TForm1::sbSaveClick);
    connect(sbPrint, &QToolButton::clicked, this, [this] { sbHTMLClick(1); });
    connect(sbCLS, &QToolButton::clicked, this, &TForm1::sbCLSClick);
    connect(sbDelLine, &QToolButton::clicked, this, &TForm1::sbDelLineClick);
    connect(sbHTML, &QToolButton::clicked, this, [this] { sbHTMLClick(0); });

    display_ = new QWidget(top);
    display_->setGeometry(kDisplayLeft, 0, kDisplayWidth, kTopHeight);
    BuildDisplay(display_);

    rightBox_ = new QWidget(top);
    rightBox_->setGeometry(kRightLeft, 41, 310, kTopHeight - 41);
    cbNr = new QComboBox(rightBox_);
    cbNr->setObjectName("cbNr");
    cbNr->setGeometry(0, 6, 69, 28);
    cbNr->setMaxVisibleItems(20);
    cbNr->setEditable(false);
    QFont nf("Arial");
    nf.setPixelSize(15);
    nf.setBold(true);
    cbNr->setFont(nf);
    cbNr->setStyleSheet("QComboBox { background: silver; border: 1px solid #6c6880; padding-left: 4px; }");
    // A rider is chosen in the drop-down only: the closed list never takes the keyboard, so typed
    // digits go into the lists, and neither keys nor the wheel choose while it is closed.
    cbNr->setFocusPolicy(Qt::NoFocus);
    connect(cbNr, &QComboBox::activated, this, &TForm1::cbNrChange);
    cbNr->installEventFilter(this);
    cbNr->view()->installEventFilter(this);
    cbNr->view()->viewport()->installEventFilter(this);
    Edit1 = new QLineEdit(rightBox_);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(75, 6, 220, 28);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit1->setFont(nf);
    Edit1->setStyleSheet("QLineEdit { background: silver; border: 1px solid #6c6880; padding-left: 3px; }");

    Label3D1 = new Label3D("START [F4]", QColor(0, 160, 0), rightBox_);
    Label3D1->setGeometry(0, 42, 136, 32);
    connect(Label3D1, &Label3D::clicked, this, &TForm1::mStartClick);
    Label3D2 = new Label3D("STOPP [F8]", QColor(0xFF, 0x80, 0x80), rightBox_);
    Label3D2->setGeometry(0, 80, 136, 32);
    connect(Label3D2, &Label3D::clicked, this, &TForm1::mStopClick);

    const auto counter = [&](int y, const char* name, const char* tip) {
        auto* l = new QLabel("0", rightBox_);
        l->setObjectName(name);
        l->setGeometry(140, y, 52, 28);
        l->setAlignment(Qt::AlignCenter);
        QFont cf("Arial");
        cf.setPixelSize(18);
        cf.setBold(true);
        l->setFont(cf);
        l->setToolTip(QString::fromUtf8(tip));
        l->setStyleSheet(
            "QLabel { background: #eeeaf4; border: 1px solid #8a84a0; border-radius: 3px; color: #22354f; }");
        return l;
    };
    LabOstalosStart = counter(44, "LabOstalosStart", "Noch zu starten");
    LabOstalosStop = counter(82, "LabOstalosStop", "Auf der Strecke");

    ImageLSstart = new QLabel(rightBox_);
    ImageLSstart->setGeometry(198, 42, 32, 31);
    ImageLSstart->setToolTip("[F11] Start-Kontakt frei/gesperrt");
    ImageLSstop = new QLabel(rightBox_);
    ImageLSstop->setGeometry(198, 80, 32, 31);
    ImageLSstop->setToolTip("[F12] Finish-LS frei/gesperrt");
    ImageSound = new QLabel(rightBox_);
    ImageSound->setGeometry(256, 60, 32, 32);
    ImageSound->setPixmap(pictures::Speaker());
    ImageOnSound = new QLabel(rightBox_);
    ImageOnSound->setGeometry(276, 80, 15, 15);
    for (QLabel* l : {ImageLSstart, ImageLSstop, ImageSound, ImageOnSound}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    ImageLSstart->hide();
    ImageLSstop->hide();
}

QFont TForm1::LcdFont(int pixelSize, const QString& widest) const {
    QFont f(font_.Installed() ? font_.family() : QString("Monospace"));
    f.setStyleHint(QFont::Monospace);
    // Shrink until the widest text fits its field.
    for (; pixelSize > 10; --pixelSize) {
        f.setPixelSize(pixelSize);
        if (QFontMetrics(f).horizontalAdvance(widest) <= (widest.size() > 8 ? 196 : 158)) {
            break;
        }
    }
    return f;
}

void TForm1::BuildDisplay(QWidget* display) {
    auto* bg = new QLabel(display);
    bg->setGeometry(0, 0, kDisplayWidth, kTopHeight);
    bg->setPixmap(pictures::DisplayBackground(kDisplayWidth, kTopHeight));
    Caption("PC-Zeit:", display, 8, 12);
    Caption("Start:", display, 8, 48);
    Caption("Counter:", display, 8, 84);
    Caption("Ziel-Zeit:", display, 8, 120);
    Caption("Nr:", display, 322, 48);
    const auto field = [display](int x, int y, int w, const QColor& colour, const char* text, const char* name) {
        auto* l = new LcdField(text, display);
        l->setObjectName(name);
        l->setGeometry(x, y, w, 36);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, colour);
        l->setPalette(pal);
        return l;
    };
    StaticText1 = field(120, 7, 164, QColor(0, 255, 255), "23:50:59", "StaticText1");
    TextStartTime = field(120, 43, 164, QColor(0, 255, 0), "00:00:00", "TextStartTime");
    TextCounterTime = field(120, 79, 164, QColor(255, 255, 0), "00:00", "TextCounterTime");
    TextStopTime = field(121, 115, 203, QColor(0xFF, 0x80, 0x80), "00:00:00,0", "TextStopTime");

    cbAutoStart = new QCheckBox("AutoStart", display);
    cbAutoStart->setGeometry(288, 88, 74, 20);
    cbAutoStart->setChecked(true);
    cbAutoStart->setFocusPolicy(Qt::NoFocus);
    cbAutoStart->setStyleSheet("QCheckBox { color: lime; background: transparent; spacing: 4px; }"
                               "QCheckBox::indicator { width: 11px; height: 11px; border: 1px solid lime; "
                               "background: black; }"
                               "QCheckBox::indicator:checked { background: lime; border: 2px solid black; "
                               "outline: 1px solid lime; }");
    connect(cbAutoStart, &QCheckBox::toggled, this, [this](bool on) {
        tk_.settings.AutoStart = on;
        StoreChangedSettings();
    });

    ImageStatus = new QLabel(display);
    ImageStatus->setGeometry(326, 12, 24, 24);
    ImageStatus->setToolTip("[Ctrl+C]");
    ImageStatus->setCursor(Qt::PointingHandCursor);
    ImageStatus->installEventFilter(this);
}

void TForm1::BuildTabs() {
    PageControl1->setDocumentMode(false);
    const char* const captions[] = {"Startliste", "Startzeiten", "Stoppzeiten", "Ergebnisse", "Vielseitigkeit"};
    for (int tab = 0; tab < 5; ++tab) {
        auto* grid = new GridView(tk_.pages.Grid(tab), tab, PageControl1);
        grid->setObjectName(QString("SortGrid%1").arg(tab + 1));
        SortGrids[static_cast<std::size_t>(tab)] = grid;
        PageControl1->addTab(grid, captions[tab]);
        grid->rowChosen = [grid](int row) { grid->grid().SetRow(row); };
        grid->resized = [grid, tab] { grid->SetColumnWidths(ColumnWidths(tab, grid->ClientWidth())); };
        grid->gridModel()->cellFormat = [this, tab](int col, int row) { return tk_.GetCellFormat(tab, col, row); };
        grid->sorted = [this] { RefreshFromCore(); };
    }
    // The results sheet is disabled as designed: shown, but it takes no input.
    SortGrids[kTabResults]->SetInputEnabled(false);
    popup_ = new QMenu(this);
    popup_->addAction("Die Startzeit verschieben", this, &TForm1::ShiftStartTimes);
    SortGrids[kTabEventing]->contextMenu = [this](const QPoint& pos) { popup_->popup(pos); };
    for (int tab : {kTabStartList, kTabStartTimes, kTabStopTimes}) {
        SortGrids[static_cast<std::size_t>(tab)]->contextMenu = [this, tab](const QPoint& pos) {
            ListContextMenu(tab, pos);
        };
    }
    WireStopListEditing();
    startListHint = new StartListHint(SortGrids[kTabStartList]->viewport(), [this] { sbLoadClick(); });
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);
}

void TForm1::WireStopListEditing() {
    GridView* grid = SortGrids[kTabStopTimes];
    grid->gridModel()->editableColumn = [](int col) { return StopListColumnEditable(col); };
    grid->selectCell = [this](int col, int row) {
        tk_.SortGrid3SelectCell(col, row);
        return tk_.registrations.SortGrid3Mode == Registrations::StopListMode::CellEditing;
    };
    // These two may still run while the window is torn down (the editor loses the focus then), so
    // they hold on to the Timekeeper, which outlives the window, not to the window.
    grid->keyFilter = [&tk = tk_](char32_t key) { return tk.SortGrid3KeyPress(key); };
    grid->editOpened = [&tk = tk_] { tk.SortGrid3EditOpened(); };
    grid->editClosed = [&tk = tk_](int row, bool byKey) { // Enter, Esc, arrows, focus loss
        tk.SortGrid3EditCommitted(row);
        if (!byKey) {
            tk.SortGrid3EditEnded(); // Enter and Esc end the edit once the list has taken them
        }
    };
    grid->windowCommand = [this](const QKeyEvent& key) { return IsWindowCommand(key); };
    grid->typingColumn = [this, grid] {
        return grid->gridModel()->editableColumn(tk_.registrations.SortGrid3Col) ? tk_.registrations.SortGrid3Col : -1;
    };
    grid->enterPressed = [this, grid] {
        tk_.SortGrid3KeyPress(U'\r');
        tk_.SortGrid3EditEnded();
        RefreshFromCore();
        if (tk_.registrations.SortGrid3Mode == Registrations::StopListMode::CellEditing) {
            grid->SetCellMode(true, tk_.registrations.SortGrid3Col);
        }
    };
    grid->escapePressed = [this, grid] {
        tk_.SortGrid3KeyPress(U'\x1b');
        tk_.SortGrid3EditEnded();
        grid->SetCellMode(false, grid->gridModel()->columnCount() - 1);
        RefreshFromCore();
    };
}

void TForm1::SyncStopListMode() {
    // The list shows the core's mode and current cell; an open editor stays until it closes.
    GridView* grid = SortGrids[kTabStopTimes];
    const bool cell = tk_.registrations.SortGrid3Mode == Registrations::StopListMode::CellEditing;
    const int col = cell ? tk_.registrations.SortGrid3Col : grid->gridModel()->columnCount() - 1;
    if (!grid->Editing() && (grid->CellMode() != cell || (cell && grid->currentIndex().column() != col))) {
        grid->SetCellMode(cell, col);
    }
}

void TForm1::BuildStatusBar() {
    auto* bar = statusBar();
    bar->setSizeGripEnabled(true);
    const int widths[] = {190, 510, 120};
    const char* const texts[] = {"Zeitmessung Gelände", "", " 800x360     "};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(QString::fromUtf8(texts[i]), bar);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(i == 1 ? 100 : widths[i]);
        l->setMaximumWidth(widths[i]);
        l->setAlignment(i == 0 ? Qt::AlignCenter : (i == 2 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft));
        bar->addWidget(l, i == 1 ? 1 : 0);
        StatusPanels[i] = l;
        l->installEventFilter(this); // the middle one: a click clears a journal note once read
    }
}

void TForm1::LayoutTopPanel() {
    const int w = topPanel_->width();
    banner_->setGeometry(0, 0, w, 41);
    logo_->move(w - 189, 0);
    rightBox_->setGeometry(kRightLeft, 41, std::max(w - kRightLeft, 0), kTopHeight - 41);
}

} // namespace vandoret::ui
