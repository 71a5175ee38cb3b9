// TForm1: the keyboard shortcuts. They belong to hidden menu items, so there is no visible menu
// bar and every shortcut works from anywhere in the main window.
#include <QAction>
#include <QKeyEvent>

#include "ui/Unit1.h"

namespace vandoret::ui {

const char* const TForm1::kCommand = "command";
const char* const TForm1::kDesignedEnabled = "designedEnabled";

void TForm1::BuildShortcuts() {
    struct Item {
        const char* name;
        const char* caption;
        QKeySequence key;
        std::function<void()> action; // empty: the item has no action
        bool enabled;
    };
    const Item items[] = {
        {"mHilfe", "Hilfe", QKeySequence(Qt::Key_F1), [this] { mHilfeClick(); }, true},
        {"EinstellunGen1", "EinstellunGen", QKeySequence(Qt::Key_F2), [this] { bCFGClick(); }, true},
        {"Info1", "Info", QKeySequence(Qt::Key_F3), [this] { Info1Click(); }, true},
        {"mStart", "Start", QKeySequence(Qt::Key_F4), [this] { mStartClick(); }, true},
        {"mStop", "Stopp", QKeySequence(Qt::Key_F8), [this] { mStopClick(); }, true},
        {"mHandzeit", "Handzeit", QKeySequence(Qt::Key_F7), [this] { HandTimeClick(false); }, true},
        {"mHandzeitKorrektur", "Handzeit korrigieren", QKeySequence(Qt::SHIFT | Qt::Key_F7),
         [this] { HandTimeClick(true); }, true},
        {"mAnhalten", "Anhalten", QKeySequence(Qt::Key_F5), [this] { HoldClick(false); }, true},
        {"mWeiter", "Weiter", QKeySequence(Qt::SHIFT | Qt::Key_F5), [this] { HoldClick(true); }, true},
        {"mReset", "0,00", QKeySequence(Qt::Key_F10), {}, false},
        {"LockLSstart1", "Lock LS start", QKeySequence(Qt::Key_F11), [this] { ImageLSClick(LockIndicator::Start); },
         true},
        {"LockLSstop1", "Lock LS stop", QKeySequence(Qt::Key_F12), [this] { ImageLSClick(LockIndicator::Stop); }, true},
        {"Hilfe1", "H&ilfe", QKeySequence(Qt::ALT | Qt::Key_I), {}, true},
        {"Beenden1", "&Beenden", QKeySequence(Qt::ALT | Qt::Key_B), {}, true},
        {"eO1", "eO", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { sbLoadClick(); }, true},
        {"eS1", "eS", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { sbSaveClick(); }, true},
        {"Erase2", "Erase2", QKeySequence(Qt::CTRL | Qt::Key_X), [this] { sbCLSClick(); }, true},
        {"DelStrt1", "DelStrt", QKeySequence(Qt::CTRL | Qt::Key_0), [this] { sbDelLineClick(); }, true},
        {"eH1", "eH", QKeySequence(Qt::CTRL | Qt::Key_H), [this] { sbHTMLClick(0); }, false},
        {"Druk1", "Druk", QKeySequence(Qt::CTRL | Qt::Key_D), [this] { sbHTMLClick(1); }, false},
        {"Drucker1", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P), [this] { sbHTMLClick(1); }, false},
        {"Counter1", "Counter", QKeySequence(Qt::CTRL | Qt::Key_C), [this] { ImageStatusClick(); }, true},
        {"eW1", "eW", QKeySequence(Qt::CTRL | Qt::Key_W), {}, true},
        {"eE1", "eE", QKeySequence(Qt::CTRL | Qt::Key_E), {}, true},
        {"mCopyAll", "All", QKeySequence(Qt::CTRL | Qt::Key_A), {}, true},
    };
    for (const Item& item : items) {
        auto* action = new QAction(QString::fromUtf8(item.caption), this);
        action->setObjectName(item.name);
        action->setShortcut(item.key);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(item.enabled);
        action->setProperty(kDesignedEnabled, item.enabled);
        // The items without an action keep their keys but never take one from the stop list's editor.
        action->setProperty(kCommand, static_cast<bool>(item.action));
        if (item.action) {
            connect(action, &QAction::triggered, this, item.action);
        }
        addAction(action);
    }
    // A held F4 or F8 takes one start or finish, not one per repeat of the key.
    FindAction("mStart")->setAutoRepeat(false);
    FindAction("mStop")->setAutoRepeat(false);
    // "Add" has neither shortcut nor action.
    auto* add = new QAction("Add", this);
    add->setObjectName("Add");
    add->setProperty(kDesignedEnabled, true);
    addAction(add);
}

bool TForm1::IsWindowCommand(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (QAction* a : actions()) {
        if (a->property(kCommand).toBool() && a->isEnabled() &&
            a->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
            return true;
        }
    }
    return false;
}

QAction* TForm1::FindAction(const QString& objectName) const {
    for (QAction* a : actions()) {
        if (a->objectName() == objectName) {
            return a;
        }
    }
    return nullptr;
}

} // namespace vandoret::ui
