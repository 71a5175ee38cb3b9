// TFormInfo: the information dialog shown by F3.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vandoret::ui {

// The maker's contact page, opened by a click on the logo or the link.
inline constexpr const char* kContactAddress = "https://www.kronvale.example";

// Where the program writes its files, shown at the top of the notice text (Memo1).
struct FilePlaces {
    QString journal;     // the journal's folder
    QString settings;    // the settings file (on Windows the registry key)
    QString resultsPage; // the results web page, in the current directory
};

// The notice text of Memo1, the places first when known.
QString NoticeText(const FilePlaces& places);

class TFormInfo : public QDialog {
    Q_OBJECT
public:
    explicit TFormInfo(QWidget* parent = nullptr);

    // Asks the shell to open the maker's contact page; the result is ignored.
    std::function<void(const QString&)> openUrl;
    // Where the files go, asked each time the dialog shows (the results page follows the current
    // directory); unset: the notice text alone.
    std::function<FilePlaces()> places;

    QLabel* Image1 = nullptr;
    QLabel* ImageICON = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LabelVer = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* sOK = nullptr;
    QLabel* Lab = nullptr;
    QLabel* Label2 = nullptr;

    void Image1Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vandoret::ui
