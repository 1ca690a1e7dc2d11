// Not a test: a day of polling in virtual time. The real main window, assembled as the
// program assembles it, polls the simulated speed driver while a seeded share of its answers
// is spoiled (silence, bad checksum, an answer split into two bursts 80 ms apart, an exception
// answer). After every "Check Device or Connected Line" the operator presses Start again once
// the busy guard has let go. Prints the polls made, the failures seen against those the
// counting rules expect from the injected faults, resident memory after the warm-up and at the
// end, the largest gap between two status reads of one run of communication, and any hang.
//
//   soak_virtual [--hours H | --minutes M] [--seed N] [--fault-percent P] [--warm-up-minutes W]
//                [--pixmap-cache-kb K]
//
// Defaults: 24 hours, seed 1, 1 % of answers spoiled, 10 minutes of warm-up (part of the run),
// Qt's own limit of its pixmap cache. The style keeps the buttons and frames it has drawn in
// that cache, keyed by their palettes, and every change of state gives them new palettes: with
// failures recurring, the cache fills up to its limit. So memory is read twice at each point:
// as it stands, and with the cache emptied and freed memory handed back to the system
// (malloc_trim), which is what flat is judged on; --pixmap-cache-kb 0 runs without the cache.

#include "ConsoleAssembly.h"
#include "ControlIds.h"
#include "ModbusFrames.h"
#include "SoakFailureModel.h"
#include "SoakFaultPort.h"
#include "VirtualClock.h"
#include "ZentorDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QPixmapCache>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <malloc.h>
#include <string>

using namespace zentor;
using namespace zentor::soak;

namespace {

const QString kFailureText = QStringLiteral("Check Device or Connected Line");
constexpr int64_t kHangMs = 2000;  // running, and no status read for this long: a timer never fired

// Resident memory of this process in kB, from /proc/self/status.
long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine())
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Bytes the program holds from the allocator (in use, not merely kept by it), in kB.
long heapInUseKb()
{
    return long(mallinfo2().uordblks / 1024);
}

// Resident memory with the pixmap cache emptied and freed memory handed back to the system:
// what the console holds besides the cache.
long residentKbBesidesCache()
{
    QPixmapCache::clear();
    malloc_trim(0);
    return residentKb();
}

// The model checked against sequences worked out by hand from the counting rules.
bool modelHoldsByHand()
{
    using F = Fault;
    struct Case {
        const char* why;
        std::vector<Fault> faults;
        int failures;
        int countAfter;
        int refused;        // frames refused and counted
        int failedAtJudge;  // frames met by the failure
    };
    const std::vector<Case> cases = {
        {"nothing", {}, 0, 0, 0, 0},
        {"one silence is tolerated", {F::Silent}, 0, 1, 0, 0},
        {"good answers do not reset the count", {F::Silent, F::None, F::None, F::None, F::Silent}, 1, 0, 0, 0},
        {"a refused answer counts when judged and at the next status phase", {F::BadChecksum}, 1, 0, 1, 0},
        {"an exception answer is refused like a bad checksum", {F::Exception, F::Silent}, 1, 1, 1, 0},
        {"split: two refused frames, then the status phase", {F::Split}, 1, 0, 2, 0},
        {"split after a silence: the second frame finds the count at 2", {F::Silent, F::Split}, 1, 0, 1, 1},
        {"the count starts again after a failure", {F::Split, F::Silent, F::None, F::Silent}, 2, 0, 2, 0},
        {"three silences: one failure, one left over", {F::Silent, F::Silent, F::Silent}, 1, 1, 0, 0},
        {"mixed", {F::Silent, F::Exception, F::Silent, F::Silent, F::BadChecksum}, 3, 0, 2, 0},
    };
    bool ok = true;
    for (const Case& c : cases) {
        PollFailureModel m;
        for (Fault f : c.faults) m.exchange(f);
        if (m.failures() != c.failures || m.count() != c.countAfter || m.refused() != c.refused ||
            m.failedAtJudge() != c.failedAtJudge || ExpectedFailures(c.faults) != c.failures) {
            std::printf("model_hand_check FAILED: %s: failures %d (by hand %d), count %d (%d), refused %lld (%d), "
                        "met by the failure %lld (%d)\n",
                        c.why, m.failures(), c.failures, m.count(), c.countAfter, static_cast<long long>(m.refused()),
                        c.refused, static_cast<long long>(m.failedAtJudge()), c.failedAtJudge);
            ok = false;
        }
    }
    std::printf("model_hand_checks %zu %s\n", cases.size(), ok ? "ok" : "FAILED");
    return ok;
}

// Message boxes of the run: the failure's text is counted, anything else is remembered.
class CountingNotifier final : public Notifier {
public:
    void message(QWidget* parent, const QString& text) override { message(parent, text, QString()); }
    void message(QWidget*, const QString& text, const QString&) override
    {
        if (text == kFailureText) {
            ++failures;
            if (onFailure) onFailure();
        } else {
            if (others == 0) firstOther = text;
            ++others;
        }
    }
    int failures = 0;
    int others = 0;
    QString firstOther;
    std::function<void()> onFailure;
};

struct Options {
    int64_t runMs = 24LL * 3600 * 1000;
    uint64_t seed = 1;
    int perTenThousand = 100;
    int64_t warmUpMs = 10LL * 60 * 1000;
    int pixmapCacheKb = -1;  // Qt's own limit unless given
};

bool parse(int argc, char* argv[], Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return false;
        const char* v = argv[++i];
        if (a == "--hours") o.runMs = int64_t(std::atof(v) * 3600 * 1000);
        else if (a == "--minutes") o.runMs = int64_t(std::atof(v) * 60 * 1000);
        else if (a == "--seed") o.seed = std::strtoull(v, nullptr, 0);
        else if (a == "--fault-percent") o.perTenThousand = int(std::atof(v) * 100 + 0.5);
        else if (a == "--warm-up-minutes") o.warmUpMs = int64_t(std::atof(v) * 60 * 1000);
        else if (a == "--pixmap-cache-kb") o.pixmapCacheKb = std::atoi(v);
        else return false;
    }
    return o.runMs > 0 && o.perTenThousand >= 0 && o.perTenThousand <= 10000 && o.warmUpMs >= 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options opt;
    if (!parse(argc, argv, opt)) {
        std::fprintf(stderr, "usage: soak_virtual [--hours H | --minutes M] [--seed N] [--fault-percent P] "
                             "[--warm-up-minutes W] [--pixmap-cache-kb K]\n");
        return 2;
    }
    if (!modelHoldsByHand()) return 1;
    opt.warmUpMs = std::min(opt.warmUpMs, opt.runMs / 2);
    if (opt.pixmapCacheKb >= 0) QPixmapCache::setCacheLimit(opt.pixmapCacheKb);

    VirtualClock clock;
    sim::SimPortProvider sim(clock);
    const QString port = sim::SimPortProvider::speedPortName();
    sim.addPort(port, SpeedControl);
    sim::SimDriver& driver = *sim.driver(port);
    // The motor turns all day, so the digits, the graph and the dial change with every read.
    driver.setReg(driver.registerOf(SpeedCommand), 500);
    driver.setReg(driver.registerOf(RunCommand), 1);

    CountingNotifier notes;
    FaultPicker picker(opt.seed, opt.perTenThousand);
    PollFailureModel model;

    // What the line saw.
    int64_t statusReads = 0;
    int64_t otherRequests = 0;
    std::array<int64_t, 5> injected{};
    int64_t lastReadAt = -1;
    bool freshStart = true;  // the next status read is the one Start sends
    int64_t largestGap = 0;
    int64_t largestGapAt = 0;
    int64_t offCadence = 0;  // gaps within one run of communication other than 300 ms
    int64_t largestRestart = 0;
    // The answers as the window judged them (its reports of each frame it took).
    int64_t seenApplied = 0;
    int64_t seenRefused = 0;
    int64_t seenUnjudged = 0;  // taken but not checked: the failure met it, or nothing awaited it
    std::deque<Fault> recent;  // the last answers' faults, for the report of a disagreement
    QString disagreement;

    FaultingPorts ports(sim, picker, [&](const QByteArray& request, Fault fault) {
        const int64_t now = clock.nowMs();
        const bool statusRead = request.size() == 8 && uint8_t(request[0]) != 0 && request[1] == 0x03;
        if (!statusRead) {
            ++otherRequests;
            return;
        }
        // Every exchange before this one has run its course: the window's failures so far must
        // be those the rules give for the answers so far.
        if (disagreement.isEmpty() &&
            (notes.failures != model.failures() || seenApplied != model.applied() || seenRefused != model.refused() ||
             seenUnjudged != model.failedAtJudge())) {
            QString faults;
            for (Fault f : recent) faults += QString::fromLatin1(FaultName(f)) + QLatin1Char(' ');
            disagreement = QStringLiteral("before status read %1 (%2 ms): failures seen %3 expected %4, frames "
                                          "applied %5/%6, refused %7/%8, met by the failure %9/%10; last answers: %11")
                               .arg(statusReads + 1)
                               .arg(now)
                               .arg(notes.failures)
                               .arg(model.failures())
                               .arg(seenApplied)
                               .arg(model.applied())
                               .arg(seenRefused)
                               .arg(model.refused())
                               .arg(seenUnjudged)
                               .arg(model.failedAtJudge())
                               .arg(faults.trimmed());
        }
        ++statusReads;
        if (lastReadAt >= 0) {
            const int64_t gap = now - lastReadAt;
            if (freshStart) {
                largestRestart = std::max(largestRestart, gap);
            } else {
                if (gap != 300) ++offCadence;
                if (gap > largestGap) {
                    largestGap = gap;
                    largestGapAt = now;
                }
            }
        }
        freshStart = false;
        lastReadAt = now;
        ++injected[size_t(fault)];
        model.exchange(fault);
        recent.push_back(fault);
        if (recent.size() > 12) recent.pop_front();
    });

    QTemporaryDir dir;
    ConsoleEnv env{clock, notes, ports, [](const QUrl&) { return false; }, [](QDialog& d) { d.open(); },
                   dir.filePath(QStringLiteral("Zentor_CFG.ini"))};
    CZentorDlg window(env);
    AssembleConsole(window);
    window.show();
    auto button = [&](int id) { return window.controlAs<QPushButton>(id); };
    window.AddTrafficListener([&](const TrafficEvent& e) {
        if (e.kind != TrafficEvent::Answer) return;
        if (e.check == Applied) ++seenApplied;
        else if (e.check == 0) ++seenUnjudged;
        else ++seenRefused;
    });

    // The operator's part: after each failure, OK, then Start again once the busy guard is free.
    QObject operatorContext;
    bool pressPending = false;
    int64_t stoppedAt = 0;
    int startsIgnored = 0;
    QString hang;
    std::function<void()> pressStart = [&] {
        pressPending = false;
        freshStart = true;
        button(ids::StartStop)->click();
        if (!window.running()) {
            ++startsIgnored;
            freshStart = false;
            pressPending = true;
            clock.callAfter(500, &operatorContext, pressStart);
        }
    };
    notes.onFailure = [&] {
        stoppedAt = clock.nowMs();
        pressPending = true;
        clock.callAfter(500, &operatorContext, pressStart);
    };

    // Select, Open, Start, as the operator does.
    window.controlAs<QComboBox>(ids::ControlTypeList)->setCurrentIndex(SpeedControl);
    button(ids::Select)->click();
    clock.advance(500);
    auto* list = window.controlAs<QComboBox>(ids::ComPortList);
    list->setCurrentIndex(list->findText(port));
    button(ids::OpenClose)->click();
    clock.advance(500);
    freshStart = true;
    button(ids::StartStop)->click();
    if (!window.running()) {
        std::printf("soak_virtual: communication did not start\n");
        return 1;
    }

    QElapsedTimer wall;
    wall.start();
    const int64_t t0 = clock.nowMs();
    const int64_t end = t0 + opt.runMs;
    const int64_t warmEnd = t0 + opt.warmUpMs;
    long rssStart = -1;
    long liveStart = -1;
    int pendingCallsStart = 0;
    int64_t nextHour = t0 + 3600 * 1000;
    constexpr int64_t kStepMs = 100;

    auto watch = [&]() -> QString {
        const int64_t now = clock.nowMs();
        if (window.running()) {
            if (!window.scheduler().isRunning(CZentorDlg::PollTimer))
                return QStringLiteral("the poll timer is not running while the running flag is set (at %1 ms)").arg(now);
            if (now - lastReadAt > kHangMs)
                return QStringLiteral("running, and no status read for %1 ms (at %2 ms)").arg(now - lastReadAt).arg(now);
        } else if (!pressPending && now - stoppedAt > kHangMs) {
            return QStringLiteral("communication stopped at %1 ms without a failure message, and nothing restarts it")
                .arg(stoppedAt);
        }
        return {};
    };

    while (clock.nowMs() < end && hang.isEmpty()) {
        clock.advance(kStepMs);
        QCoreApplication::processEvents();
        hang = watch();
        if (rssStart < 0 && clock.nowMs() >= warmEnd) {
            rssStart = residentKb();
            liveStart = residentKbBesidesCache();
            pendingCallsStart = clock.pending();
        }
        if (clock.nowMs() >= nextHour) {
            std::fprintf(stderr, "hour %lld: polls %lld, failures seen %d expected %d, rss %ld kB, heap in use %ld kB, %.0f s\n",
                         static_cast<long long>((nextHour - t0) / 3600000), static_cast<long long>(statusReads),
                         notes.failures, model.failures(), residentKb(), heapInUseKb(), double(wall.elapsed()) / 1000.0);
            nextHour += 3600 * 1000;
        }
    }
    // The last exchange runs its course: stop spoiling answers and wait for the next status
    // read, which checks the failures once more.
    picker.enabled = false;
    const int64_t readsAtEnd = statusReads;
    for (int64_t waited = 0; hang.isEmpty() && statusReads == readsAtEnd && waited < 5000; waited += kStepMs) {
        clock.advance(kStepMs);
        QCoreApplication::processEvents();
        hang = watch();
    }
    clock.advance(200);  // the answer to that read is judged
    const long rssEnd = residentKb();
    const long liveEnd = residentKbBesidesCache();
    const double seconds = double(wall.elapsed()) / 1000.0;

    const int64_t faults = injected[1] + injected[2] + injected[3] + injected[4];
    std::printf("simulated_hours %.2f (warm-up %.1f min), seed %llu, faulty answers %.2f %%\n",
                double(clock.nowMs() - t0) / 3600000.0, double(opt.warmUpMs) / 60000.0,
                static_cast<unsigned long long>(opt.seed), opt.perTenThousand / 100.0);
    std::printf("polls %lld (status reads written; other requests %lld)\n", static_cast<long long>(statusReads),
                static_cast<long long>(otherRequests));
    std::printf("faults_injected %lld: silent %lld, bad-checksum %lld, split %lld, exception %lld\n",
                static_cast<long long>(faults), static_cast<long long>(injected[1]), static_cast<long long>(injected[2]),
                static_cast<long long>(injected[3]), static_cast<long long>(injected[4]));
    std::printf("failures_seen %d\n", notes.failures);
    std::printf("failures_expected %d\n", model.failures());
    std::printf("frames judged (seen/expected): applied %lld/%lld, refused %lld/%lld, met by the failure %lld/%lld\n",
                static_cast<long long>(seenApplied), static_cast<long long>(model.applied()),
                static_cast<long long>(seenRefused), static_cast<long long>(model.refused()),
                static_cast<long long>(seenUnjudged), static_cast<long long>(model.failedAtJudge()));
    if (!disagreement.isEmpty()) std::printf("first_disagreement %s\n", qPrintable(disagreement));
    if (notes.others > 0) std::printf("other_messages %d (first: %s)\n", notes.others, qPrintable(notes.firstOther));
    if (startsIgnored > 0) std::printf("starts_ignored %d\n", startsIgnored);
    std::printf("rss_kb_after_warm_up %ld (besides the pixmap cache %ld)\n", rssStart, liveStart);
    std::printf("rss_kb_end %ld (besides the pixmap cache %ld)\n", rssEnd, liveEnd);
    std::printf("rss_change_kb %+ld (besides the pixmap cache %+ld; the cache's limit is %d kB)\n", rssEnd - rssStart,
                liveEnd - liveStart, QPixmapCache::cacheLimit());
    std::printf("clock_pending_calls %d after warm-up, %d at the end\n", pendingCallsStart, clock.pending());
    std::printf("largest_gap_ms %lld (at %lld ms; status reads of one run of communication, %lld gaps not 300 ms)\n",
                static_cast<long long>(largestGap), static_cast<long long>(largestGapAt - t0),
                static_cast<long long>(offCadence));
    std::printf("largest_restart_ms %lld (a failure's last status read to the read Start sends)\n",
                static_cast<long long>(largestRestart));
    std::printf("hang %s\n", hang.isEmpty() ? "none" : qPrintable(hang));
    std::printf("wall_seconds %.1f\n", seconds);

    const bool ok = hang.isEmpty() && disagreement.isEmpty() && notes.failures == model.failures() &&
                    notes.others == 0 && otherRequests == 0 && liveEnd - liveStart <= 1024;
    std::printf("verdict %s\n", ok ? "ok" : "NOT OK");
    return ok ? 0 : 1;
}
