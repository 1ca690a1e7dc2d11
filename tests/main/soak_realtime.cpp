// Not a test: ten minutes of polling in real time. The real console (real clock, the
// machine's ports) polls zentor-sim on a pseudo terminal through its typed path, as an
// operator would set it up. Prints the console's CPU, its resident memory after a warm-up and
// at the end, the status reads zentor-sim logged against the 300 ms cadence, the console's own
// count of status reads written and answered, the largest gap between two reads, any failure
// message and any hang (running, and no status read for 2 s, or the poll timer found stopped).
// After a failure the operator presses Start again, as in the virtual soak.
//
//   soak_realtime [--seconds N] [--warm-up-seconds W]      (defaults 600 and 10)

#include "RealTimeKit.h"

#include <QApplication>
#include <cstdlib>
#include <malloc.h>
#include <string>

using namespace zentor;
using namespace zentor::bench;

namespace {

const QString kFailureText = QStringLiteral("Check Device or Connected Line");
constexpr int64_t kHangMs = 2000;

long heapInUseKb() { return long(mallinfo2().uordblks / 1024); }

// Status reads as zentor-sim logged them ("<ms> rx 64 03 ..."), counted as they come; only the
// last moment is kept, so the count costs no memory however long the run.
struct SimLogCounter {
    int64_t reads = 0;
    double lastAt = -1;       // zentor-sim's clock, milliseconds
    double largestGap = 0;
    int64_t gapsOver400 = 0;  // gaps more than 100 ms off the cadence
    bool measuring = false;

    void take(const QByteArray& line)
    {
        double at = 0;
        if (!IsStatusReadLine(line, &at)) return;
        if (measuring) {
            ++reads;
            if (lastAt >= 0) {
                largestGap = std::max(largestGap, at - lastAt);
                if (at - lastAt > 400) ++gapsOver400;
            }
        }
        lastAt = at;
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
    SimProcess sim;
    SimLogCounter log;
    sim.onLine = [&log](const QByteArray& line) { log.take(line); };
    if (!sim.start(dir.path())) {
        std::fprintf(stderr, "soak_realtime: zentor-sim did not start\n");
        return 1;
    }

    RealConsole console(dir.path());
    CZentorDlg& window = console.window;
    int failures = 0;
    int others = 0;

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
    console.notes.onMessage = [&](const QString& text) {
        if (text != kFailureText) {
            ++others;
            return;
        }
        ++failures;
        pressPending = true;
        QTimer::singleShot(600, &window, [&] {
            pressPending = false;
            console.press(ids::StartStop);
        });
    };

    console.pollSpeedDriverAt(sim.link());
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
    runFor(100);  // the log's last lines
    log.measuring = false;
    const long rssEnd = residentKb();
    const long heapEnd = heapInUseKb();

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
    std::printf("failures_seen %d\n", failures);
    if (others > 0) std::printf("other_messages %d\n", others);
    std::printf("hang %s\n", hang.isEmpty() ? "none" : qPrintable(hang));
    return hang.isEmpty() && failures == 0 && others == 0 ? 0 : 1;
}
