// The live results server on 127.0.0.1: its routes, what it refuses, and that it follows the race.
#include <QtTest>

#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <vector>

#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"
#include "ui/LiveResults.h"
#include "ui/StatusMiddle.h"

using vandoret::Timekeeper;
using vandoret::testing::FakeHost;
using vandoret::ui::LiveResults;

namespace {

struct Reply {
    int status = 0;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    bool complete = false;
};

// Parses what came so far; complete once the head and (unless `head`) the whole body are there.
Reply Parse(const QByteArray& data, bool head) {
    Reply r;
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0) {
        return r;
    }
    const QList<QByteArray> lines = data.left(end).split('\n');
    r.status = lines.value(0).split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            r.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
    }
    r.body = data.mid(end + 4);
    const qsizetype length = r.headers.value("content-length", "-1").toLongLong();
    r.complete = head || (length >= 0 && r.body.size() >= length);
    return r;
}

// One request on a connection of its own, served by the event loop of this thread.
Reply Exchange(quint16 port, const QByteArray& request, bool head = false) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    QByteArray data;
    Reply r;
    (void)QTest::qWaitFor(
        [&] {
            data += socket.readAll();
            r = Parse(data, head);
            return r.complete || socket.state() == QAbstractSocket::UnconnectedState;
        },
        5000);
    return r;
}

Reply Get(quint16 port, const QByteArray& path) {
    return Exchange(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

// One request from `from`; `closed` tells whether the server ended the connection within 1 s of
// its answer.
struct Ended {
    Reply reply;
    bool closed = false;
};
Ended ExchangeAndWatch(quint16 port, const QByteArray& request, const QHostAddress& from = QHostAddress::LocalHost) {
    QTcpSocket socket;
    socket.bind(from);
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    QByteArray data;
    Ended e;
    (void)QTest::qWaitFor(
        [&] {
            data += socket.readAll();
            e.reply = Parse(data, false);
            return e.reply.complete || socket.state() == QAbstractSocket::UnconnectedState;
        },
        5000);
    e.closed = QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 1000);
    return e;
}

// A small competition: three riders, one of them with markup and quotes in the names.
void SetUpRace(FakeHost& host, Timekeeper& tk) {
    const char* const rows[][6] = {{"9:30", "1", "Anna <b>Berg</b>", "Fritz \"Fix\"", "RV Tal", "Au"},
                                   {"9:35", "2", "Bert Ohm", "Luna", "RFV Ost", "Bad Berg"},
                                   {"9:40", "3", "Cora Li", "Max & Moritz", "RV Tal", "Au"}};
    tk.startList.SortGrid1.SetRowCount(4);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 6; ++c) {
            tk.startList.SortGrid1.SetCell(c, r + 1, rows[r][c]);
        }
    }
    tk.startList.RefreshNumberList();
    host.SetClock(9, 30, 0);
    tk.SelectRider(0);
    tk.registrations.RegisterStart(); // rider 1 on the course from 09:30:00,0
    host.SetClock(9, 35, 1);
    tk.registrations.RegisterStart(); // rider 2 from 09:35:01,0
    host.SetClock(9, 36, 0);
}

} // namespace

class LiveServerTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        host = std::make_unique<FakeHost>();
        tk = std::make_unique<Timekeeper>(*host);
        SetUpRace(*host, *tk);
        live = std::make_unique<LiveResults>(*tk, "Vandoret");
        QVERIFY(live->Listen(QHostAddress::LocalHost, 0));
        port = live->server().Port();
        QVERIFY(port != 0);
    }
    void cleanup() {
        live.reset();
        tk.reset();
        host.reset();
    }

    void answersEachRouteWithItsTypeNoStoreAndTheServerTime() {
        const struct {
            QByteArray path, type, contains;
        } routes[] = {
            {"/", "text/html; charset=utf-8", "<h1>Ergebnisse</h1>"},
            {"/unterwegs", "text/html; charset=utf-8", "Anna &lt;b&gt;Berg&lt;/b&gt;"},
            {"/start", "text/html; charset=utf-8",
             "N\xC3\xA4"
             "chste Starts"},
            {"/api/results.json", "application/json; charset=utf-8", "["},
            {"/api/oncourse.json", "application/json; charset=utf-8", "\"start\":\"09:30:00,0\""},
            {"/api/starts.json", "application/json; charset=utf-8", "\"nr\":\"3\""},
            {"/start?x=1", "text/html; charset=utf-8", "data-page=\"start\""},
        };
        host->SetClock(9, 36, 12, 345);
        for (const auto& route : routes) {
            const Reply r = Get(port, route.path);
            QCOMPARE(r.status, 200);
            QCOMPARE(r.headers.value("content-type"), route.type);
            QCOMPARE(r.headers.value("cache-control"), QByteArray("no-store"));
            QCOMPARE(r.headers.value("x-server-time"), QByteArray("09:36:12.345"));
            QVERIFY2(r.body.contains(route.contains), route.path.constData());
        }
        // HEAD: the same head, no body.
        const Reply get = Get(port, "/api/oncourse.json");
        const Reply head = Exchange(port, "HEAD /api/oncourse.json HTTP/1.1\r\nHost: x\r\n\r\n", true);
        QCOMPARE(head.status, 200);
        QCOMPARE(head.headers.value("content-length"), QByteArray::number(get.body.size()));
        QTest::qWait(50);
        QVERIFY(head.body.isEmpty());
    }

    void refusesOtherMethodsAndPaths() {
        for (const QByteArray method : {"POST", "PUT", "DELETE", "OPTIONS", "PATCH"}) {
            const Reply r =
                Exchange(port, method + " /api/results.json HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc");
            QCOMPARE(r.status, 405);
            QCOMPARE(r.headers.value("allow"), QByteArray("GET, HEAD"));
        }
        for (const QByteArray path : {"/index.html", "/../../etc/passwd", "/api/", "/api/results", "/favicon.ico",
                                      "/start/", "/Start", "//", "/%2e%2e/Starterliste.txt"}) {
            const Reply r = Get(port, path);
            QVERIFY2(r.status == 404, path.constData());
            QCOMPARE(r.headers.value("cache-control"), QByteArray("no-store"));
        }
    }

    void jsonFollowsANewFinishAndLeavesTheWindowsListsAlone() {
        const Reply before = Get(port, "/api/results.json");
        QCOMPARE(before.body.trimmed(), QByteArray("[\n]"));
        const int renderings = live->Renderings();

        // Rider 1 finishes at 09:40:30,0 (10:30 for a 10:00 allowed time) and the number is typed in.
        host->SetClock(9, 40, 30);
        tk->registrations.RegisterFinish();
        tk->registrations.SortGrid3.SetCell(2, tk->registrations.SortGrid3.RowCount() - 1, "1");
        const std::uint64_t shown = tk->results.SortGrid4.Revision();
        const std::string timePoints = tk->registrations.SortGrid3.Cells(4, 1);

        QTRY_VERIFY_WITH_TIMEOUT(Get(port, "/api/results.json").body.contains("\"nr\":\"1\""), 2000);
        QCOMPARE(Get(port, "/api/results.json").body,
                 QByteArray("[\n{\"platz\":\"1\",\"nr\":\"1\",\"name\":\"Anna \\u003cb\\u003eBerg\\u003c/b\\u003e\","
                            "\"pferd\":\"Fritz \\\"Fix\\\"\",\"club\":\"RV Tal\",\"ort\":\"Au\",\"zeit\":\"10:30,0\","
                            "\"punkte\":\"12,4\",\"hand\":\"\"}\n]\n"));
        const QByteArray onCourse = Get(port, "/api/oncourse.json").body;
        QVERIFY(!onCourse.contains("\"nr\":\"1\""));
        QVERIFY(onCourse.contains("\"nr\":\"2\""));

        // The ranking was built on copies: the results list and "EZ-Pkt." are as they were.
        QCOMPARE(tk->results.SortGrid4.Revision(), shown);
        QCOMPARE(tk->registrations.SortGrid3.Cells(4, 1), timePoints);
        // Rendered once for the change, not once per request.
        for (int i = 0; i < 10; ++i) {
            Get(port, "/");
        }
        QCOMPARE(live->Renderings(), renderings + 1);
    }

    void aStalledClientOrEndlessHeaderDoesNotHoldTheServer() {
        live->server().SetIdleMs(400);
        QVERIFY(live->Listen(QHostAddress::LocalHost, 0));
        port = live->server().Port();
        // One client says nothing; another sends a header that never ends.
        QTcpSocket silent, endless;
        silent.connectToHost(QHostAddress::LocalHost, port);
        endless.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(endless.waitForConnected(2000));
        endless.write("GET / HTTP/1.1\r\nX-Long: ");
        const QByteArray chunk(16 * 1024, 'a');
        for (int i = 0; i < 64; ++i) {
            endless.write(chunk); // 1 MB, far beyond what a request may hold
        }
        // Others are answered meanwhile.
        QCOMPARE(Get(port, "/api/results.json").status, 200);
        QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QAbstractSocket::UnconnectedState, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(endless.state(), QAbstractSocket::UnconnectedState, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(live->server().OpenConnections(), 0, 3000);
        QCOMPARE(Get(port, "/").status, 200);
    }

    void applyTurnsItOnAndOffAndShowsTheAddress() {
        QLabel panel;
        live->onStatus = [&panel](const QString& text) { vandoret::ui::SetMiddlePanelAddress(&panel, text); };
        QVERIFY(live->Apply(0));
        QVERIFY(!live->server().IsListening());
        QCOMPARE(panel.text(), QString());

        QTcpServer probe; // a free port, then that port for the server
        QVERIFY(probe.listen(QHostAddress::Any, 0));
        const quint16 free = probe.serverPort();
        probe.close();
        QVERIFY(live->Apply(free));
        QVERIFY(panel.text().startsWith(" Live-Ergebnisse: http://"));
        // The first address it listens on, and how many more.
        const QStringList urls = live->Urls();
        QVERIFY(!urls.isEmpty());
        QVERIFY(panel.text().contains(urls.constFirst()));
        QCOMPARE(panel.text().contains("weitere"), urls.size() > 1);
        for (const QString& url : urls) {
            QVERIFY2(url.startsWith("http://") && url.endsWith(QString(":%1/").arg(free)), qPrintable(url));
        }
        QCOMPARE(Get(free, "/").status, 200);
        QCOMPARE(vandoret::ui::ListenUrls(QHostAddress::LocalHost, 8080), QStringList{"http://127.0.0.1:8080/"});
        for (const QString& url : vandoret::ui::ListenUrls(QHostAddress::AnyIPv4, 8080)) {
            QVERIFY2(!url.contains('[') && !url.contains("127.0.0.1"), qPrintable(url));
        }

        // A warning (the journal's) wins over the address; the address comes back after it.
        vandoret::ui::SetMiddlePanelWarning(&panel, "Achtung");
        QCOMPARE(panel.text(), QString(" Achtung"));
        vandoret::ui::SetMiddlePanelWarning(&panel, QString());
        QVERIFY(panel.text().contains(QString(":%1/").arg(free)));

        // A port another program holds: not served, and the panel says so.
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, 0));
        QVERIFY(!live->Apply(other.serverPort()));
        QVERIFY(panel.text().contains("belegt"));
        QVERIFY(live->Apply(0));
        QCOMPARE(panel.text(), QString());
    }

    // RFC 9112: who keeps the connection, and one status for whatever cannot be read.
    void connectionRules_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("closed");
        const QByteArray host = "Host: x\r\n";
        QTest::newRow("HTTP/1.1 stays") << "GET / HTTP/1.1\r\n" + host + "\r\n" << 200 << false;
        QTest::newRow("HTTP/1.0 closes") << QByteArray("GET / HTTP/1.0\r\n\r\n") << 200 << true;
        QTest::newRow("Connection: close") << "GET / HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n" << 200 << true;
        QTest::newRow("garbage") << QByteArray("\x01\x02\x03 hello\r\n\r\n") << 400 << true;
        QTest::newRow("TLS hello") << QByteArray("\x16\x03\x01\x00\xa5\x01\x00\x00", 8) << 400 << true;
        QTest::newRow("HTTP/0.9") << QByteArray("GET /\r\n") << 400 << true;
        QTest::newRow("HTTP/9.9") << "GET / HTTP/9.9\r\n" + host + "\r\n" << 505 << true;
        QTest::newRow("WebSocket upgrade")
            << "GET / HTTP/1.1\r\n" + host + "Connection: Upgrade\r\nUpgrade: websocket\r\n\r\n"
            << 400 << true;
        QTest::newRow("head over 32 KB") << "GET / HTTP/1.1\r\nX: " + QByteArray(40 * 1024, 'a') << 431 << true;
        QTest::newRow("conflicting lengths")
            << "GET / HTTP/1.1\r\n" + host + "Content-Length: 1\r\nContent-Length: 2\r\n\r\nab" << 400 << true;
    }
    void connectionRules() {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(bool, closed);
        const Ended e = ExchangeAndWatch(port, request);
        QCOMPARE(e.reply.status, status);
        QCOMPARE(e.closed, closed);
        QCOMPARE(e.reply.headers.value("connection") == "close", closed);
    }

    void pipelinedRequestsAreAnsweredInOrderAndASlowHeadGets408() {
        live->server().SetHeadMs(300);
        QVERIFY(live->Listen(QHostAddress::LocalHost, 0));
        port = live->server().Port();
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write(
            "GET /api/starts.json HTTP/1.1\r\nHost: x\r\n\r\nHEAD / HTTP/1.1\r\nHost: x\r\n\r\nGET / HTTP/1.1\r\n");
        QByteArray data;
        QVERIFY(QTest::qWaitFor(
            [&] {
                data += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            3000));
        const QList<QByteArray> statuses = [&] {
            QList<QByteArray> lines;
            for (const QByteArray& line : data.split('\n')) {
                if (line.startsWith("HTTP/1.1 ")) {
                    lines << line.trimmed();
                }
            }
            return lines;
        }();
        QCOMPARE(statuses, QList<QByteArray>({"HTTP/1.1 200 OK", "HTTP/1.1 200 OK", "HTTP/1.1 408 Request Timeout"}));
    }

    // One address gets its 16 connections, the 17th a 503 with Retry-After; another address is
    // still answered.
    void oneAddressCannotCrowdOutAnother() {
        QVERIFY(live->Listen(QHostAddress::AnyIPv4, 0));
        port = live->server().Port();
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int i = 0; i < vandoret::ui::LiveServer::kMaxPerAddress; ++i) {
            held.push_back(std::make_unique<QTcpSocket>());
            held.back()->connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(held.back()->waitForConnected(2000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(live->server().OpenConnections(), vandoret::ui::LiveServer::kMaxPerAddress, 3000);
        const Ended crowded = ExchangeAndWatch(port, "GET / HTTP/1.1\r\nHost: x\r\n\r\n");
        QCOMPARE(crowded.reply.status, 503);
        QCOMPARE(crowded.reply.headers.value("retry-after"), QByteArray("5"));
        QVERIFY(crowded.closed);
        const Ended other = ExchangeAndWatch(port, "GET / HTTP/1.0\r\n\r\n", QHostAddress("127.0.0.2"));
        QCOMPARE(other.reply.status, 200);
    }

private:
    std::unique_ptr<FakeHost> host;
    std::unique_ptr<Timekeeper> tk;
    std::unique_ptr<LiveResults> live;
    quint16 port = 0;
};

QTEST_MAIN(LiveServerTest)
#include "tst_live_server.moc"
