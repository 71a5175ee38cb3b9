// LiveResults: keeps the live pages in step with the competition and serves them on the network.
//
// Apply(settings.WebPort) at start-up and whenever the settings dialog is confirmed: 0 stops the
// server, another port (re)starts it on all interfaces of the PC. While it runs, a check every
// kCheckMs compares the lists' stamp (LiveStampOf) and renders the pages again only when it has
// changed, on copies of the lists (the window's lists and "EZ-Pkt." cells are left as they are).
// The check runs on the user-interface thread between the ticks; a recorded time never waits for
// it (contact moments are taken on the port's waiting thread).
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

#include "reports/LivePages.h"
#include "ui/LiveServer.h"

namespace vandoret {
class Timekeeper;
}

namespace vandoret::ui {

class LiveResults : public QObject {
    Q_OBJECT
public:
    static constexpr int kCheckMs = 250;

    LiveResults(Timekeeper& tk, std::string title, QObject* parent = nullptr);

    // 0: off. Otherwise listens on `address` (all interfaces unless a test says otherwise).
    // Returns false when the port could not be taken; the status text says so.
    bool Apply(std::uint32_t port, const QHostAddress& address = QHostAddress::Any);
    // Starts serving on address:port; port 0 takes a free port (tests). False when it cannot.
    bool Listen(const QHostAddress& address, quint16 port);
    // The text for the status bar's middle panel: the address to type into a browser, a note
    // that the port is taken, or empty when the server is off.
    const QString& StatusText() const { return status_; }
    // Every address it listens on now, as a browser types it (empty when off).
    const QStringList& Urls() const { return urls_; }
    // Called whenever StatusText changes.
    std::function<void(const QString&)> onStatus;

    // Renders now if the lists have changed since the last rendering (the timer calls it).
    void Refresh();
    LiveServer& server() { return server_; }
    int Renderings() const { return renderings_; }

private:
    void SetStatus(const QString& text);

    Timekeeper& tk_;
    std::string title_;
    LiveServer server_;
    QTimer check_;
    std::optional<LiveStamp> rendered_;
    QString status_;
    QStringList urls_;
    int renderings_ = 0;
};

// The PC's addresses in the local network as a browser there would type them: those of running
// interfaces, IPv4 (private ranges first) before IPv6 (in brackets); loopback and link-local
// addresses left out.
QStringList LanAddresses();
// The addresses a browser reaches a server on that listens on `listen`: every LAN address for the
// "any" addresses (of the protocol listened on), else the one address.
QStringList ListenUrls(const QHostAddress& listen, quint16 port);

} // namespace vandoret::ui
