// StartListHint: the note over the empty start list when no start list was found.
//
// A first start from the menu runs in the home folder, where no "Starterliste.txt" lies: the note
// says where the program looked and offers the open command (Ctrl+O). It is no dialog: the window
// stays usable, the note follows the list's size and goes as soon as a list is read (the file put
// where the program looked, or one opened).
#pragma once

#include <QFrame>
#include <functional>

class QLabel;
class QPushButton;

namespace vandoret::ui {

class StartListHint : public QFrame {
    Q_OBJECT
public:
    // `list` is the start list's viewport, over which the note is centred; `open` is Ctrl+O.
    StartListHint(QWidget* list, std::function<void()> open);

    // Shown, naming `path`, while `notFound`; hidden otherwise.
    void Follow(bool notFound, const QString& path);

    QLabel* text = nullptr;
    QPushButton* openButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
};

// The folder the open dialog starts in: the user's documents folder while no start list was
// found (a first start from the menu would otherwise show the home folder), else the current
// directory, which the last open or save made the list's folder.
QString OpenDialogFolder(bool startListNotFound);

} // namespace vandoret::ui
