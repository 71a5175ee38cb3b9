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

QStringList LanAddresses() {
    QStringList privateV4, otherV4, v6;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.isLoopback() || ip.isLinkLocal()) {
                continue; // a link-local address needs its interface named: no browser types that
            }
            if (ip.protocol() == QAbstractSocket::IPv4Protocol) {
                (IsPrivateIpv4(ip.toIPv4Address()) ? privateV4 : otherV4) << ip.toString();
            } else if (ip.protocol() == QAbstractSocket::IPv6Protocol) {
                v6 << "[" + ip.toString() + "]";
            }
        }
    }
    return privateV4 + otherV4 + v6;
}

QStringList ListenUrls(const QHostAddress& listen, quint16 port) {
    QStringList hosts;
    if (listen == QHostAddress::Any || listen == QHostAddress::AnyIPv4 || listen == QHostAddress::AnyIPv6) {
        for (const QString& host : LanAddresses()) {
            if (listen == QHostAddress::AnyIPv4   ? !host.startsWith('[')
                : listen == QHostAddress::AnyIPv6 ? host.startsWith('[')
                                                  : true) {
                hosts << host;
            }
        }
        if (hosts.isEmpty()) {
            hosts << QStringLiteral("localhost");
        }
    } else {
        hosts << (listen.protocol() == QAbstractSocket::IPv6Protocol ? "[" + listen.toString() + "]"
                                                                     : listen.toString());
    }
    QStringList urls;
    for (const QString& host : hosts) {
        urls << QStringLiteral("http://%1:%2/").arg(host).arg(port);
    }
    return urls;
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
        urls_.clear();
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
        urls_.clear();
        SetStatus(QString::fromUtf8("Live-Ergebnisse: Port %1 ist belegt oder gesperrt").arg(port));
        return false;
    }
    rendered_.reset();
    Refresh();
    check_.start();
    // The addresses it really listens on: the first one, and how many more (all in the tooltip).
    urls_ = ListenUrls(address, server_.Port());
    const QString more = urls_.size() > 1 ? QString::fromUtf8(" (und %1 weitere)").arg(urls_.size() - 1) : QString();
    SetStatus(QString("Live-Ergebnisse: %1%2").arg(urls_.constFirst(), more));
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
