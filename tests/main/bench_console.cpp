// Not a test: prints how long the console takes from the start of its process to its main
// window on the screen, what it costs while idle and while polling, and how well it keeps
// the 300 ms cadence of its status reads. The real console (real clock, the machine's ports)
// talks to zentor-sim on a pseudo terminal through its typed path; zentor-sim's log tells
// when each status read arrived.
//
//   bench_console [--seconds N] [--starts N]   (default 30 s for each phase, 6 starts)

#include "RealTimeKit.h"

#include <QApplication>
#include <QEvent>
#include <QStyleFactory>
#include <QtGui/qevent.h>
#include <QWindow>
#include <cmath>
#include <ctime>

using namespace zentor;
using namespace zentor::bench;

namespace {

int64_t monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The child of a start-up measurement: the console as the program starts it, until its main
// window has been mapped and drawn for the first time; prints the moment.
int startupChild(const QString& folder)
{
    const int64_t appReady = monotonicNs();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    RealConsole console(folder);
    const int64_t built = monotonicNs();
    QWindow* handle = console.window.windowHandle();
    if (!handle) return 1;
    // The expose event paints the window; what comes after it in the event loop comes after
    // the first frame.
    struct Watch final : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Expose && !seen) {
                seen = true;
                QTimer::singleShot(0, [this] {
                    std::printf("mapped_at_ns %lld %lld %lld %.1f\n", static_cast<long long>(monotonicNs()),
                                static_cast<long long>(appReady), static_cast<long long>(built), cpuSeconds() * 1000);
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                });
            }
            return false;
        }
        bool seen = false;
        int64_t appReady = 0;
        int64_t built = 0;
    } watch;
    watch.appReady = appReady;
    watch.built = built;
    handle->installEventFilter(&watch);
    if (handle->isExposed()) {
        QExposeEvent exposed{QRegion()};
        watch.eventFilter(handle, &exposed);
    }
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    return QCoreApplication::exec();
}

struct Startup {
    double toMappedMs;   // from the start of the process to its main window mapped and drawn
    double toAppMs;      // to the application object made (libraries loaded, platform and fonts)
    double toBuiltMs;    // to the windows built
    double cpuMs;        // the CPU the process used until its window was mapped
};

// Each start after the first (which warms the caches and writes the configuration file).
std::vector<Startup> startupTimes(const QString& folder, int starts)
{
    std::vector<Startup> times;
    for (int i = 0; i < starts + 1; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        const int64_t t0 = monotonicNs();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-child"), folder});
        if (!child.waitForFinished(15000) || child.exitCode() != 0) {
            std::fprintf(stderr, "bench_console: the start-up child failed: %s\n", child.readAllStandardError().constData());
            return {};
        }
        const QList<QByteArray> f = child.readAllStandardOutput().simplified().split(' ');
        if (f.size() < 5 || f[0] != "mapped_at_ns") return {};
        auto since = [t0](const QByteArray& ns) { return double(ns.toLongLong() - t0) / 1e6; };
        if (i > 0) times.push_back({since(f[1]), since(f[2]), since(f[3]), f[4].toDouble()});
    }
    return times;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--startup-child") return startupChild(QString::fromLocal8Bit(argv[2]));
    int seconds = 30;
    int starts = 6;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--seconds") seconds = std::max(1, QByteArray(argv[++i]).toInt());
        else if (QByteArray(argv[i]) == "--starts") starts = std::max(1, QByteArray(argv[++i]).toInt());
    }

    QTemporaryDir dir;
    QTemporaryDir startupDir;
    const std::vector<Startup> startup = startupTimes(startupDir.path(), starts);
    if (startup.empty()) return 1;

    SimProcess sim;
    std::vector<double> statusReadsAt;  // zentor-sim's clock, milliseconds
    sim.onLine = [&statusReadsAt](const QByteArray& line) {
        double at = 0;
        if (IsStatusReadLine(line, &at)) statusReadsAt.push_back(at);
    };
    if (!sim.start(dir.path(), SimProcess::InFile)) {
        std::fprintf(stderr, "bench_console: zentor-sim did not start\n");
        return 1;
    }

    RealConsole console(dir.path());
    runFor(1000);  // settle after start-up
    const double idle = cpuPercentOver(seconds * 1000);

    console.pollSpeedDriverAt(sim.link());
    sim.readLog();
    statusReadsAt.clear();
    const double polling = cpuPercentOver(seconds * 1000);
    sim.readLog();

    std::vector<double> errors;
    for (size_t i = 1; i < statusReadsAt.size(); ++i) errors.push_back(std::abs(statusReadsAt[i] - statusReadsAt[i - 1] - 300.0));

    auto column = [&startup](double Startup::*field) {
        std::vector<double> v;
        for (const Startup& s : startup) v.push_back(s.*field);
        return v;
    };
    std::string each;
    for (double t : column(&Startup::toMappedMs)) each += (each.empty() ? "" : ", ") + std::to_string(int(std::lround(t)));
    std::printf("startup_to_mapped_ms %s (each start after a warm-up start, %s platform)\n", each.c_str(),
                qPrintable(QGuiApplication::platformName()));
    std::printf("startup_medians_ms application %.1f, windows built %.1f, mapped %.1f; CPU until mapped %.1f\n",
                percentile(column(&Startup::toAppMs), 0.5), percentile(column(&Startup::toBuiltMs), 0.5),
                percentile(column(&Startup::toMappedMs), 0.5), percentile(column(&Startup::cpuMs), 0.5));
    std::printf("startup_to_mapped_ms_median %.1f (goal: under 100)\n", percentile(column(&Startup::toMappedMs), 0.5));
    std::printf("console_cpu_idle_percent %.2f\n", idle);
    std::printf("console_cpu_polling_percent %.2f\n", polling);
    std::printf("status_reads %zu (expected about %d)\n", statusReadsAt.size(), seconds * 1000 / 300);
    std::printf("cadence_error_ms_median %.2f\n", percentile(errors, 0.5));
    std::printf("cadence_error_ms_p99 %.2f\n", percentile(errors, 0.99));
    return console.window.running() ? 0 : 1;
}
