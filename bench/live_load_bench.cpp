// The live results server against clients that crowd, never read or trickle, beside the 100 ms
// tick (loopback only; the load generators run as other processes pinned to core 1 with taskset).
//
// Phases of 10 s each, the tick measured in every one: idle; 200 keep-alive pollers from 13
// addresses; 200 clients that send requests and never read; a reconnecting slowloris of 300
// connections; wrk -c200 from 127.0.0.1 while a client on 127.0.0.2 asks 100 times (how many were
// answered); then `ab -n 100 -c 10` over HTTP/1.0 (its time). Reported: p99 and largest tick delay
// beyond 100 ms per phase, the program's resident memory before, at its highest, and 10 s after the
// last client left.
//
//   scripts/setup --bench   (wrk, apache2-utils, python3)
//   cmake -S . -B build -DVANDORET_BUILD_BENCH=ON && cmake --build build --target live_load_bench
//   build/bench/live_load_bench
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "LiveRace.h"
#include "ui/LiveResults.h"

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "live_load_bench";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

double RssMb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return 0;
}

struct Phase {
    double p99 = 0;
    double max = 0;
};

// The tick every 100 ms for `ms`, as the window runs it; the delays beyond 100 ms, and the
// memory's highest reading (once a second) into `peak`.
Phase Tick(vandoret::Timekeeper& tk, vandoret::testing::FakeHost& host, int ms, double& peak) {
    std::vector<double> late;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    clock.start();
    qint64 last = -1;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0) {
            late.push_back(std::max(0.0, (now - last) / 1e6 - 100.0));
        }
        last = now;
        host.now += 100.0 / 86'400'000.0;
        tk.Timer1Timer();
        if (late.size() % 10 == 0) {
            peak = std::max(peak, RssMb());
        }
    });
    tick.start(100);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    std::sort(late.begin(), late.end());
    Phase p;
    if (!late.empty()) {
        p.p99 = late[static_cast<std::size_t>(0.99 * (late.size() - 1))];
        p.max = late.back();
    }
    return p;
}

// A load generator on core 1.
std::unique_ptr<QProcess> Start(const QString& program, const QStringList& args) {
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->start("taskset", QStringList{"-c", "1", program} + args);
    p->waitForStarted(5000);
    return p;
}

QString Finish(QProcess& p) {
    if (!p.waitForFinished(30'000)) {
        p.kill();
        p.waitForFinished(5000);
    }
    return QString::fromUtf8(p.readAll()).trimmed();
}

void BM_LiveServerAgainstHostileClients(benchmark::State& state) {
    App();
    const QString script = QStringLiteral(VANDORET_BENCH_DIR "/live_load.py");
    for (auto _ : state) {
        vandoret::testing::FakeHost host;
        vandoret::Timekeeper tk(host);
        vandoret::bench::FillLiveRace(host, tk);
        int finished = 0;
        vandoret::bench::FinishLiveRace(host, tk, finished);
        vandoret::ui::LiveResults live(tk, "Vandoret");
        live.Listen(QHostAddress::LocalHost, 0);
        const QString port = QString::number(live.server().Port());
        const QString url = "http://127.0.0.1:" + port + "/api/results.json";

        double peak = 0;
        const double before = RssMb();
        const Phase idle = Tick(tk, host, 10'000, peak);
        const auto underLoad = [&](const QString& program, const QStringList& args, QString* output) {
            auto p = Start(program, args);
            const Phase phase = Tick(tk, host, 10'000, peak);
            const QString out = Finish(*p);
            if (output != nullptr) {
                *output = out;
            }
            return phase;
        };
        const Phase keepAlive = underLoad("python3", {script, "keepalive", port, "10"}, nullptr);
        const Phase nonReading = underLoad("python3", {script, "nonreading", port, "10"}, nullptr);
        const Phase slowloris = underLoad("python3", {script, "slowloris", port, "10"}, nullptr);
        auto wrk = Start("wrk", {"-t1", "-c200", "-d10s", url});
        QString second;
        const Phase crowded = underLoad("python3", {script, "second", port, "10"}, &second);
        Finish(*wrk);
        QElapsedTimer abClock;
        abClock.start();
        auto ab = Start("ab", {"-q", "-n", "100", "-c", "10", url});
        QEventLoop wait;
        QObject::connect(ab.get(), &QProcess::finished, &wait, &QEventLoop::quit);
        QTimer::singleShot(60'000, &wait, &QEventLoop::quit);
        wait.exec();
        const double abSeconds = abClock.nsecsElapsed() / 1e9;
        const bool abComplete = Finish(*ab).contains("Complete requests:      100");
        double ignored = 0;
        Tick(tk, host, 10'000, ignored);
        const double after = RssMb();

        state.counters["idle_p99_ms"] = idle.p99;
        state.counters["idle_max_ms"] = idle.max;
        state.counters["keepalive200_p99_ms"] = keepAlive.p99;
        state.counters["keepalive200_max_ms"] = keepAlive.max;
        state.counters["nonreading200_p99_ms"] = nonReading.p99;
        state.counters["nonreading200_max_ms"] = nonReading.max;
        state.counters["slowloris_p99_ms"] = slowloris.p99;
        state.counters["slowloris_max_ms"] = slowloris.max;
        state.counters["crowded_p99_ms"] = crowded.p99;
        state.counters["crowded_max_ms"] = crowded.max;
        state.counters["second_address_answered"] = second.section(' ', 1, 1).toDouble();
        state.counters["ab_http10_s"] = abComplete ? abSeconds : -1;
        state.counters["rss_before_mb"] = before;
        state.counters["rss_peak_mb"] = peak;
        state.counters["rss_after_10s_mb"] = after;
    }
}
BENCHMARK(BM_LiveServerAgainstHostileClients)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
