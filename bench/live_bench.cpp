// The live results server under load, beside the 100 ms tick, with 200 riders (loopback only).
//
// Phase 1: the tick alone for 10 s. Phase 2: 50 clients poll /api/results.json once a second for
// 10 s while a new finish comes every second (so the pages are rendered again), and in its middle
// one burst of 1,000 requests (50 connections, 20 requests each, one after the other). Reported:
// requests per second of the burst, p99 and largest answer time over all requests, and the largest
// delay of a tick beyond its 100 ms in each phase. The clients run on a thread of their own.
//
//   cmake -S . -B build -DVANDORET_BUILD_BENCH=ON && cmake --build build --target live_bench
//   build/bench/live_bench
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <mutex>
#include <vector>

#include "LiveRace.h"
#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"
#include "ui/LiveResults.h"

namespace {

using vandoret::MakeTimeOfDay;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "live_bench";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A keep-alive connection that sends one GET at a time and times each answer.
class Client : public QObject {
public:
    Client(quint16 port, std::function<void(qint64 ns)> done) : port_(port), done_(std::move(done)) {
        connect(&socket_, &QTcpSocket::readyRead, this, [this] { Read(); });
    }
    bool Busy() const { return busy_; }
    void Send() {
        if (socket_.state() == QAbstractSocket::UnconnectedState) {
            socket_.connectToHost(QHostAddress::LocalHost, port_);
        }
        busy_ = true;
        data_.clear();
        clock_.start();
        socket_.write("GET /api/results.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }

private:
    void Read() {
        data_ += socket_.readAll();
        const qsizetype end = data_.indexOf("\r\n\r\n");
        if (end < 0) {
            return;
        }
        const qsizetype at = data_.toLower().indexOf("content-length:");
        const qsizetype length = data_.mid(at + 15, data_.indexOf('\r', at) - at - 15).trimmed().toLongLong();
        if (data_.size() - end - 4 < length) {
            return;
        }
        busy_ = false;
        done_(clock_.nsecsElapsed());
    }

    quint16 port_;
    std::function<void(qint64)> done_;
    QTcpSocket socket_;
    QByteArray data_;
    QElapsedTimer clock_;
    bool busy_ = false;
};

struct Load {
    std::mutex mutex;
    std::vector<qint64> answers; // ns
    double burstSeconds = 0;
    int burstAnswers = 0;
};

// The clients' thread: 50 pollers for `seconds`, and the burst after half of it.
void RunClients(quint16 port, int seconds, Load& load) {
    const auto record = [&load](qint64 ns) {
        const std::lock_guard lock(load.mutex);
        load.answers.push_back(ns);
    };
    std::vector<std::unique_ptr<Client>> pollers;
    std::vector<std::unique_ptr<QTimer>> timers;
    for (int i = 0; i < 50; ++i) {
        pollers.push_back(std::make_unique<Client>(port, record));
        auto timer = std::make_unique<QTimer>();
        Client* c = pollers.back().get();
        QObject::connect(timer.get(), &QTimer::timeout, c, [c] {
            if (!c->Busy()) {
                c->Send();
            }
        });
        QTimer::singleShot(i * 20, timer.get(), [t = timer.get()] { t->start(1000); });
        timers.push_back(std::move(timer));
    }
    RunFor(seconds * 500);

    std::vector<std::unique_ptr<Client>> burst;
    int left = 1000;
    int answered = 0;
    QElapsedTimer burstClock;
    burstClock.start();
    for (int i = 0; i < 50; ++i) {
        burst.push_back(nullptr);
        const std::size_t index = burst.size() - 1;
        burst[index] = std::make_unique<Client>(port, [&, index](qint64 ns) {
            record(ns);
            ++answered;
            if (left > 0) {
                --left;
                QTimer::singleShot(0, burst[index].get(), [&burst, index] { burst[index]->Send(); });
            } else if (answered == 1000) {
                load.burstSeconds = burstClock.nsecsElapsed() / 1e9;
                load.burstAnswers = answered;
            }
        });
    }
    for (auto& c : burst) {
        --left;
        c->Send();
    }
    RunFor(seconds * 500);
}

// Runs the tick every 100 ms for `ms` and returns its largest delay beyond 100 ms, in ms.
double TickFor(vandoret::Timekeeper& tk, vandoret::testing::FakeHost& host, int ms,
               const std::function<void(int)>& everySecond = {}) {
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    double worst = 0;
    int n = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (n > 0) {
            worst = std::max(worst, (now - last) / 1e6 - 100.0);
        }
        last = now;
        host.now += 100.0 / 86'400'000.0;
        tk.Timer1Timer();
        if (++n % 10 == 0 && everySecond) {
            everySecond(n / 10);
        }
    });
    tick.start(100);
    RunFor(ms);
    return worst;
}

void BM_LiveServerUnderLoad(benchmark::State& state) {
    App();
    for (auto _ : state) {
        vandoret::testing::FakeHost host;
        vandoret::Timekeeper tk(host);
        vandoret::bench::FillLiveRace(host, tk);
        int finished = 0;
        const auto finish = [&](int) { vandoret::bench::AddLiveFinish(host, tk, finished); };
        vandoret::bench::FinishLiveRace(host, tk, finished);
        vandoret::ui::LiveResults live(tk, "Vandoret");
        live.Listen(QHostAddress::LocalHost, 0);
        const quint16 port = live.server().Port();

        const double idle = TickFor(tk, host, 10'000);
        Load load;
        QThread clients;
        QObject::connect(&clients, &QThread::started, [&] { RunClients(port, 10, load); });
        clients.start();
        const double busy = TickFor(tk, host, 11'000, finish);
        clients.quit();
        clients.wait();

        std::vector<qint64> answers = load.answers;
        std::sort(answers.begin(), answers.end());
        const auto at = [&answers](double q) {
            return answers.empty() ? 0.0 : answers[static_cast<std::size_t>(q * (answers.size() - 1))] / 1e6;
        };
        state.counters["requests"] = static_cast<double>(answers.size());
        state.counters["burst_req_per_s"] = load.burstSeconds > 0 ? load.burstAnswers / load.burstSeconds : 0;
        state.counters["p50_ms"] = at(0.5);
        state.counters["p99_ms"] = at(0.99);
        state.counters["max_ms"] = at(1.0);
        state.counters["tick_late_idle_ms"] = idle;
        state.counters["tick_late_load_ms"] = busy;
        state.counters["renderings"] = live.Renderings();
    }
}
BENCHMARK(BM_LiveServerUnderLoad)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
