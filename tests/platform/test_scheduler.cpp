// Window timers and the virtual clock that runs them.

#include "Scheduler.h"
#include "QtClock.h"
#include "VirtualClock.h"

#include <QCoreApplication>

#include <QTest>
#include <vector>

using namespace zentor;

class TestScheduler : public QObject {
    Q_OBJECT
private slots:
    void periodicTimersFireInTimeOrder()
    {
        VirtualClock clock;
        QObject ctx;
        std::vector<std::pair<int64_t, int>> fired;
        Scheduler s(clock, &ctx, [&](int id) { fired.push_back({clock.nowMs(), id}); });
        s.start(4, 150);
        s.start(1, 500);
        clock.advance(600);
        const std::vector<std::pair<int64_t, int>> expected = {{150, 4}, {300, 4}, {450, 4}, {500, 1}, {600, 4}};
        QCOMPARE(fired, expected);
    }

    void restartAndKill()
    {
        VirtualClock clock;
        QObject ctx;
        std::vector<int64_t> fired;
        Scheduler s(clock, &ctx, [&](int) { fired.push_back(clock.nowMs()); });
        s.start(3, 60);
        clock.advance(40);
        s.start(3, 60);  // a running id restarts
        clock.advance(40);
        QVERIFY(fired.empty());
        clock.advance(20);
        QCOMPARE(fired, std::vector<int64_t>{100});
        s.kill(3);
        clock.advance(1000);
        QCOMPARE(fired.size(), size_t(1));
        QVERIFY(!s.isRunning(3));
    }

    void killFromItsOwnHandler()
    {
        VirtualClock clock;
        QObject ctx;
        int count = 0;
        Scheduler* sp = nullptr;
        Scheduler s(clock, &ctx, [&](int id) {
            ++count;
            sp->kill(id);
        });
        sp = &s;
        s.start(0, 500);
        clock.advance(5000);
        QCOMPARE(count, 1);
    }

    void lateTimerFiresOnce()
    {
        VirtualClock clock;
        QObject ctx;
        int count = 0;
        Scheduler s(clock, &ctx, [&](int) { ++count; });
        s.start(4, 150);
        clock.pause(1000);  // the window thread was blocked
        clock.advance(0);
        QCOMPARE(count, 1);
        clock.advance(150);
        QCOMPARE(count, 2);
    }

    void callsForADestroyedContextAreDropped()
    {
        VirtualClock clock;
        int count = 0;
        {
            QObject ctx;
            clock.callAfter(10, &ctx, [&] { ++count; });
        }
        clock.advance(20);
        QCOMPARE(count, 0);
    }
};

// The cancelling both clocks do: a call taken back never runs, and for the real clock nothing
// wakes for it.
class TestCancel : public QObject {
    Q_OBJECT
private slots:
    void aCancelledCallNeverRuns()
    {
        VirtualClock clock;
        QStringList ran;
        const Clock::CallId a = clock.callAfter(10, nullptr, [&ran] { ran << "a"; });
        clock.callAfter(10, nullptr, [&ran] { ran << "b"; });
        clock.cancel(a);
        clock.cancel(a);  // twice: no harm
        clock.cancel(0);
        QCOMPARE(clock.pending(), 1);
        clock.advance(20);
        QCOMPARE(ran, QStringList{"b"});
    }

    void aRestartedOrKilledTimerLeavesNoCallBehind()
    {
        // A timer restarted at every burst of an answer must not leave a call per burst.
        VirtualClock clock;
        QObject context;
        int fired = 0;
        Scheduler s(clock, &context, [&fired](int) { ++fired; });
        for (int i = 0; i < 50; ++i) s.start(3, 60);
        QCOMPARE(clock.pending(), 1);
        s.kill(3);
        QCOMPARE(clock.pending(), 0);
        clock.advance(1000);
        QCOMPARE(fired, 0);
    }

    void theRealClockTakesBackACall()
    {
        QtClock clock;
        QStringList ran;
        const Clock::CallId a = clock.callAfter(5, nullptr, [&ran] { ran << "a"; });
        clock.callAfter(5, nullptr, [&ran] { ran << "b"; });
        clock.cancel(a);
        QTRY_COMPARE(ran, QStringList{"b"});
        QTest::qWait(20);
        QCOMPARE(ran, QStringList{"b"});
        // Its timers are used again: a call asked for from within a call runs too.
        clock.callAfter(1, nullptr, [&] { clock.callAfter(1, nullptr, [&ran] { ran << "c"; }); });
        QTRY_COMPARE(ran, (QStringList{"b", "c"}));
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);  // the real clock's timers need its event loop
    TestScheduler scheduler;
    TestCancel cancel;
    return QTest::qExec(&scheduler, argc, argv) | QTest::qExec(&cancel, argc, argv);
}
#include "test_scheduler.moc"
