// The live pages: rendering on change, the server's start and stop, the address to show.
#include "ui/LiveResults.h"

#include <QNetworkInterface>

#include "timing/Timekeeper.h"

namespace vandoret::ui {
namespace {

bool IsPrivateIpv4(quint32 ip) {
    return (ip >> 24) == 10 || (ip >> 20) == ((172u << 4) | 1u) || (ip >> 16) == ((192u << 8) | 168u);
}

} // namespace

QString LanAddress() {
    QString fallback;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.isLoopback() || ip.isLinkLocal()) {
                continue;
            }
            if (IsPrivateIpv4(ip.toIPv4Address())) {
                return ip.toString();
            }
            if (fallback.isEmpty()) {
                fallback = ip.toString();
            }
        }
    }
    return fallback.isEmpty() ? QStringLiteral("localhost") : fallback;
}

LiveResults::LiveResults(Timekeeper& tk, std::string title, QObject* parent)
    : QObject(parent), tk_(tk), title_(std::move(title)), server_([&tk] { return tk.host().CurrentTimeOfDay(); }) {
    check_.setInterval(kCheckMs);
    connect(&check_, &QTimer::timeout, this, &LiveResults::Refresh);
}

bool LiveResults::Apply(std::uint32_t port, const QHostAddress& address) {
    if (port == 0 || port > 65535) {
        check_.stop();
        server_.Close();
        SetStatus(QString());
        return port == 0;
    }
    if (server_.IsListening() && server_.Port() == port) {
        return true; // already there: the browsers keep their connections
    }
    return Listen(address, static_cast<quint16>(port));
}

bool LiveResults::Listen(const QHostAddress& address, quint16 port) {
    if (!server_.Listen(address, port)) {
        check_.stop();
        SetStatus(QString::fromUtf8("Live-Ergebnisse: Port %1 ist belegt oder gesperrt").arg(port));
        return false;
    }
    rendered_.reset();
    Refresh();
    check_.start();
    SetStatus(QString("Live-Ergebnisse: http://%1:%2/").arg(LanAddress()).arg(server_.Port()));
    return true;
}

void LiveResults::Refresh() {
    if (!server_.IsListening()) {
        return;
    }
    const LiveStamp stamp = LiveStampOf(tk_.results);
    if (rendered_ && *rendered_ == stamp) {
        return;
    }
    server_.SetPages(RenderLivePages(CollectLiveData(tk_.results, title_)));
    rendered_ = stamp;
    ++renderings_;
}

void LiveResults::SetStatus(const QString& text) {
    if (text == status_) {
        return;
    }
    status_ = text;
    if (onStatus) {
        onStatus(status_);
    }
}

} // namespace vandoret::ui
