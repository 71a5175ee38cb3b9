// TForm1: the lists' context menu with the riders' statuses ("A", "E", disqualified, "n.g.").
#include <QAction>
#include <QMenu>

#include "ui/GridView.h"
#include "ui/Unit1.h"

namespace vandoret::ui {

void TForm1::ListContextMenu(int tab, const QPoint& globalPos) {
    GridView* view = SortGrids[static_cast<std::size_t>(tab)];
    const QModelIndex at = view->indexAt(view->viewport()->mapFromGlobal(globalPos));
    const int row = at.isValid() ? at.row() + 1 : view->grid().Row();
    const std::string nr = tk_.registrations.RiderOfRow(tab, row);

    // Not modal: a start or finish taken meanwhile goes on as ever.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (tab == kTabStartList) {
        menu->addAction("Die Startzeit verschieben", this, &TForm1::ShiftStartTimes);
        menu->addSeparator();
    }
    const RideStatus now = tk_.registrations.RideStatusOf(tab, row);
    struct Choice {
        RideStatus status;
        QString text;
    };
    std::vector<Choice> choices;
    if (tab == kTabStartList) {
        choices.push_back({RideStatus::NotStarted, QString::fromUtf8("Nicht gestartet (n.g.)")});
    }
    choices.push_back({RideStatus::Retired, QString::fromUtf8("Aufgegeben (A)")});
    choices.push_back({RideStatus::Eliminated, QString::fromUtf8("Ausgeschieden (E)")});
    choices.push_back({RideStatus::Disqualified,
                       QString::fromUtf8("Disqualifiziert (") +
                           QString::fromStdString(StatusText(RideStatus::Disqualified, tk_.settings.DisText)) + ")"});
    choices.push_back({RideStatus::None, QString::fromUtf8("Status zurücknehmen")});
    const QString who = nr.empty() ? QString::fromUtf8("(keine Nummer)") : "Nr. " + QString::fromStdString(nr);
    QMenu* status = menu->addMenu(QString::fromUtf8("Status ") + who);
    status->setEnabled(!nr.empty());
    for (const Choice& choice : choices) {
        QAction* action = status->addAction(choice.text);
        action->setCheckable(choice.status != RideStatus::None);
        action->setChecked(choice.status != RideStatus::None && choice.status == now);
        action->setEnabled(choice.status != now);
        const RideStatus chosen = choice.status;
        // The rider by number: the row may have moved by the time the item is chosen.
        connect(action, &QAction::triggered, this, [this, nr, chosen] {
            tk_.SetRideStatus(nr, chosen);
            RefreshFromCore();
        });
    }
    menu->popup(globalPos);
}

} // namespace vandoret::ui
