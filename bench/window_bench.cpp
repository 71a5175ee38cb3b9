// Start-up of the main window to its first paint, beside a bare Qt window in the same run, and
// the processor time of idle ticking. Runs offscreen on the sample start list.
//
//   build-bench/bench/window_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>

#include "timing/Timekeeper.h"
#include "ui/QtHost.h"
#include "ui/Unit1.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "Vandoret";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Counts paint events of a window.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            painted = true;
        }
        return false;
    }
};

void WaitForPaint(const PaintWatch& watch) {
    QElapsedTimer t;
    t.start();
    while (!watch.painted && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// A folder holding the sample start list, made the current one for the run.
struct DemoFolder {
    QTemporaryDir dir;
    QString old = QDir::currentPath();
    DemoFolder() {
        QFile::copy(VANDORET_SAMPLE_LIST, dir.filePath("Starterliste.txt"));
        QDir::setCurrent(dir.path());
    }
    ~DemoFolder() { QDir::setCurrent(old); }
};

void BM_BareWindowToFirstPaint(benchmark::State& state) {
    App();
    for (auto _ : state) {
        QMainWindow w;
        w.resize(800, 360);
        PaintWatch watch;
        w.installEventFilter(&watch);
        w.show();
        WaitForPaint(watch);
        benchmark::DoNotOptimize(watch.painted);
    }
}
BENCHMARK(BM_BareWindowToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_MainWindowToFirstPaint(benchmark::State& state) {
    App();
    DemoFolder folder;
    for (auto _ : state) {
        vandoret::ui::QtHost host;
        vandoret::Timekeeper tk(host);
        vandoret::ui::TForm1 form(host, tk);
        host.onTimer1 = [&form] { form.Timer1Timer(); };
        PaintWatch watch;
        form.installEventFilter(&watch);
        form.show();
        WaitForPaint(watch);
        state.PauseTiming();
        host.askYesNo = [](const std::string&) { return true; };
        form.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MainWindowToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(20);

// Ten seconds of the running program doing nothing but its 100 ms tick: processor time used,
// as a share of one core.
void BM_IdleTicking10s(benchmark::State& state) {
    App();
    DemoFolder folder;
    vandoret::ui::QtHost host;
    vandoret::Timekeeper tk(host);
    vandoret::ui::TForm1 form(host, tk);
    host.onTimer1 = [&form] { form.Timer1Timer(); };
    form.show();
    QCoreApplication::processEvents();
    double share = 0;
    for (auto _ : state) {
        const std::clock_t cpu0 = std::clock();
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpuSeconds = static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
        share = cpuSeconds / (wall.elapsed() / 1000.0);
    }
    state.counters["cpu_percent_of_one_core"] = share * 100.0;
    host.askYesNo = [](const std::string&) { return true; };
    form.close();
}
BENCHMARK(BM_IdleTicking10s)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
