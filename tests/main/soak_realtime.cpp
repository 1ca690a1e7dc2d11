// Not a test: ten minutes of polling in real time. The real console (real clock, the
// machine's ports) polls zentor-sim on a pseudo terminal through its typed path, as an
// operator would set it up. Prints the console's CPU, its resident memory after a warm-up and
// at the end, the status reads zentor-sim logged against the 300 ms cadence, the console's own
// count of status reads written and answered, the largest gap between two reads, any failure
// message and any hang (running, and no status read for 2 s, or the poll timer found stopped).
// After a failure the operator presses Start again, as in the virtual soak.
//
//   soak_realtime [--seconds N] [--warm-up-seconds W]      (defaults 600 and 10)

#include "ConsoleAssembly.h"
#include "ControlIds.h"
#include "QtClock.h"
#include "SystemPorts.h"
#include "ZentorDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <sys/resource.h>

using namespace zentor;

namespace {

const QString kFailureText = QStringLiteral("Check Device or Connected Line");
constexpr int64_t kHangMs = 2000;

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine())
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

long heapInUseKb() { return long(mallinfo2().uordblks / 1024); }

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class CountingNotifier final : public Notifier {
public:
    void message(QWidget* parent, const QString& text) override { message(parent, text, QString()); }
    void message(QWidget*, const QString& text, const QString&) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        if (text == kFailureText) {
            ++failures;
            if (onFailure) onFailure();
        } else {
            ++others;
        }
    }
    int failures = 0;
    int others = 0;
    std::function<void()> onFailure;
};

// Status reads as zentor-sim logged them ("<ms> rx 64 03 ..."), counted as they come; only the
// last moment is kept, so the count costs no memory however long the run.
struct SimLogCounter {
    int64_t reads = 0;
    double lastAt = -1;       // zentor-sim's clock, milliseconds
    double largestGap = 0;
    int64_t gapsOver400 = 0;  // gaps more than 100 ms off the cadence
    bool measuring = false;
    QByteArray pending;

    void take(const QByteArray& bytes)
    {
        pending += bytes;
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QList<QByteArray> f = pending.left(end).simplified().split(' ');
            pending.remove(0, end + 1);
            if (f.size() <= 3 || f[1] != "rx" || f[3] != "03") continue;
            const double at = f[0].toDouble();
            if (measuring) {
                ++reads;
                if (lastAt >= 0) {
                    largestGap = std::max(largestGap, at - lastAt);
                    if (at - lastAt > 400) ++gapsOver400;
                }
            }
            lastAt = at;
        }
    }
};

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 600;
    int warmUp = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 < argc && a == "--seconds") {
            seconds = std::atoi(argv[++i]);
        } else if (i + 1 < argc && a == "--warm-up-seconds") {
            warmUp = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: soak_realtime [--seconds N] [--warm-up-seconds W]\n");
            return 2;
        }
    }
    if (seconds < 1 || warmUp < 0) {
        std::fprintf(stderr, "soak_realtime: --seconds must be at least 1, --warm-up-seconds at least 0\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("zentor-sim"));
    QProcess sim;
    SimLogCounter log;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, [&] { log.take(sim.readAllStandardOutput()); });
    sim.start(QStringLiteral(ZENTOR_SIM_BIN), {QStringLiteral("--type"), QStringLiteral("speed"), QStringLiteral("--log"),
                                                QStringLiteral("--link"), link});
    if (!sim.waitForStarted(5000)) {
        std::fprintf(stderr, "soak_realtime: zentor-sim did not start\n");
        return 1;
    }
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i) runFor(20);

    QtClock clock;
    CountingNotifier notes;
    SystemPortProvider system;
    ConsoleEnv env{clock, notes, system, [](const QUrl&) { return false; }, [](QDialog& d) { d.open(); },
                   dir.filePath(QStringLiteral("Zentor_CFG.ini"))};
    CZentorDlg window(env);
    AssembleConsole(window);
    window.show();
    auto button = [&](int id) { return window.controlAs<QPushButton>(id); };

    // The console's own view: status reads written and status answers applied.
    int64_t written = 0;
    int64_t applied = 0;
    QElapsedTimer sinceRead;
    sinceRead.start();
    bool measuring = false;
    window.AddTrafficListener([&](const TrafficEvent& e) {
        if (e.kind != TrafficEvent::Request || e.bytes.size() < 2 || e.bytes[1] != 0x03 || e.bytes[0] == 0) return;
        sinceRead.restart();
        if (measuring) ++written;
    });
    window.AddStatusListener([&] {
        if (measuring) ++applied;
    });

    // After a failure: OK, then Start again once the busy guard has let go.
    bool pressPending = false;
    notes.onFailure = [&] {
        pressPending = true;
        QTimer::singleShot(600, &window, [&] {
            pressPending = false;
            button(ids::StartStop)->click();
        });
    };

    window.controlAs<QComboBox>(ids::ControlTypeList)->setCurrentIndex(SpeedControl);
    button(ids::Select)->click();
    runFor(600);
    window.controlAs<QComboBox>(ids::ComPortList)->setEditText(link);
    button(ids::OpenClose)->click();
    runFor(600);
    button(ids::StartStop)->click();
    if (!window.running()) {
        std::fprintf(stderr, "soak_realtime: communication did not start\n");
        return 1;
    }

    QString hang;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (!hang.isEmpty()) return;
        if (window.running()) {
            if (!window.scheduler().isRunning(CZentorDlg::PollTimer))
                hang = QStringLiteral("the poll timer is not running while the running flag is set");
            else if (sinceRead.elapsed() > kHangMs)
                hang = QStringLiteral("running, and no status read for %1 ms").arg(sinceRead.elapsed());
        } else if (!pressPending) {
            hang = QStringLiteral("communication stopped without a failure message");
        }
    });
    watchdog.start(100);

    runFor(warmUp * 1000);
    const long rssStart = residentKb();
    const long heapStart = heapInUseKb();
    measuring = true;
    log.measuring = true;
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = cpuSeconds();
    for (int done = 0; done < seconds && hang.isEmpty();) {
        const int chunk = std::min(60, seconds - done);
        runFor(chunk * 1000);
        done += chunk;
        std::fprintf(stderr, "%d s: polls %lld (zentor-sim), cpu %.2f %%, rss %ld kB\n", done,
                     static_cast<long long>(log.reads), 100.0 * (cpuSeconds() - cpuStart) / (double(wall.elapsed()) / 1000.0),
                     residentKb());
    }
    const double cpu = cpuSeconds() - cpuStart;
    const double elapsed = double(wall.elapsed()) / 1000.0;
    measuring = false;
    log.take(sim.readAllStandardOutput());
    log.measuring = false;
    const long rssEnd = residentKb();
    const long heapEnd = heapInUseKb();
    sim.terminate();
    sim.waitForFinished(3000);

    const int64_t expected = int64_t(elapsed * 1000.0 / 300.0);
    std::printf("seconds %.1f (after %d s of warm-up)\n", elapsed, warmUp);
    std::printf("console_cpu_percent %.2f (%.2f s of CPU)\n", 100.0 * cpu / elapsed, cpu);
    std::printf("rss_kb_after_warm_up %ld (heap in use %ld)\n", rssStart, heapStart);
    std::printf("rss_kb_end %ld (heap in use %ld)\n", rssEnd, heapEnd);
    std::printf("rss_change_kb %+ld (heap in use %+ld)\n", rssEnd - rssStart, heapEnd - heapStart);
    std::printf("polls %lld (status reads zentor-sim logged; expected %lld)\n", static_cast<long long>(log.reads),
                static_cast<long long>(expected));
    std::printf("console_status_reads %lld written, %lld answered\n", static_cast<long long>(written),
                static_cast<long long>(applied));
    std::printf("largest_gap_ms %.1f (%lld gaps over 400 ms)\n", log.largestGap, static_cast<long long>(log.gapsOver400));
    std::printf("failures_seen %d\n", notes.failures);
    if (notes.others > 0) std::printf("other_messages %d\n", notes.others);
    std::printf("hang %s\n", hang.isEmpty() ? "none" : qPrintable(hang));
    return hang.isEmpty() && notes.failures == 0 && notes.others == 0 ? 0 : 1;
}
