// The run in virtual milliseconds: when each step is sent, pause and resume, END, RESET, the
// refusal of lists that cannot be sent as written, and repeats.

#include "RegisterMap.h"
#include "RunTimeFormats.h"
#include "SequenceRunner.h"
#include "sequence/SequencePresets.h"

#include <QTest>
#include <algorithm>

using namespace zentor;
using zentor::test::ListOf;

namespace {

struct Sent {
    int64_t at;
    int row;
    int clearedRow;
    SequenceCommand command;
};

// Plays a list as the dialog does: every output applied, the tick called whenever armed.
struct Player {
    SequenceRunner runner;
    int64_t now = 0;
    bool armed = false;
    QList<Sent> sent;
    int ends = 0;
    int64_t endAt = -1;
    RunOutput last;

    explicit Player(const SequenceList& list, int type = SpeedControl) { runner.setSchedule(ComputeSchedule(list, type)); }

    void apply(const RunOutput& o)
    {
        last = o;
        if (o.command) sent << Sent{now, o.markRow, o.clearMarkRow, *o.command};
        if (o.end) {
            ++ends;
            endAt = now;
        }
        armed = o.armTimer;
    }
    void press(int64_t at)
    {
        now = at;
        apply(runner.startOrPause(now));
    }
    // Ticks at the given intervals (cycled) while the tick is armed and before `until`.
    void run(int64_t until, const QList<int>& intervals = {kRunTickMs})
    {
        for (int i = 0; armed && now + intervals[i % intervals.size()] <= until; ++i) {
            now += intervals[i % intervals.size()];
            apply(runner.tick(now));
        }
    }
};

QList<int64_t> itemTimesMs(const SequenceList& list)
{
    QList<int64_t> times;
    for (const ScheduledItem& item : ComputeSchedule(list, SpeedControl).items) times << item.timeMs;
    return times;
}

}  // namespace

class TestSequenceRunner : public QObject {
    Q_OBJECT
private slots:
    void startSendsItemOneAtOnce()
    {
        Player p(test::SpeedPreset());
        p.press(1000);
        QCOMPARE(p.sent.size(), 1);
        QCOMPARE(p.sent[0].command, (SequenceCommand{WriteRegister, 3, 1}));
        QCOMPARE(p.sent[0].row, 0);
        QCOMPARE(p.sent[0].clearedRow, -1);
        QVERIFY(p.armed);
        QVERIFY(p.last.sequenceRunning);
        QCOMPARE(p.runner.state(), RunnerState::Running);
        QCOMPARE(p.last.displays.currentItem, QString("1"));
        QCOMPARE(p.last.displays.remainingItems, QString("6"));
        QCOMPARE(p.last.displays.currentTime, QString("00:00:00.0"));
        QCOMPARE(p.last.displays.remainingTime, QString("00:00:10.0"));
        QCOMPARE(p.last.displays.totalTime, QString("00:00:10.0"));
    }

    // Each step goes at the first tick after the previous step's time has run out, measured
    // from its actual send: one to two ticks after its time.
    void speedPresetTiming_data()
    {
        QTest::addColumn<QList<int>>("intervals");
        QTest::newRow("exact ticks") << QList<int>{100};
        QTest::newRow("late ticks") << QList<int>{100, 107, 115, 103, 100, 111};
    }
    void speedPresetTiming()
    {
        QFETCH(QList<int>, intervals);
        const int longest = *std::max_element(intervals.begin(), intervals.end());
        const SequenceList list = test::SpeedPreset();
        const QList<int64_t> times = itemTimesMs(list);
        Player p(list);
        p.press(1000);
        p.run(60000, intervals);

        const QList<SequenceCommand> expected{{WriteRegister, 3, 1}, {WriteRegister, 4, 0},    {WriteRegister, 2, 0},
                                              {WriteRegister, 1, 1800}, {WriteRegister, 2, 1}, {WriteRegister, 1, 900},
                                              {WriteRegister, 1, 0}};
        QCOMPARE(p.sent.size(), expected.size());
        for (int k = 0; k < expected.size(); ++k) {
            QCOMPARE(p.sent[k].command, expected[k]);
            QCOMPARE(p.sent[k].row, k);
            QCOMPARE(p.sent[k].clearedRow, k - 1);
            if (k == 0) continue;
            const int64_t gap = p.sent[k].at - p.sent[k - 1].at;
            QVERIFY2(gap >= times[k - 1] + 100 && gap < times[k - 1] + 2 * longest, qPrintable(QString::number(gap)));
            if (longest == 100) QCOMPARE(gap, times[k - 1] + 100);
        }
        QCOMPARE(p.ends, 1);
        const int64_t lastGap = p.endAt - p.sent.last().at;
        QVERIFY(lastGap >= times.last() + 100 && lastGap < times.last() + 2 * longest);
        QVERIFY(p.last.clearAllMarks);
        QVERIFY(!p.last.sequenceRunning);
        QVERIFY(!p.armed);
        QCOMPARE(p.runner.state(), RunnerState::Idle);
        // The end's own displays show the last measurement; afterwards the displays are idle.
        QCOMPARE(p.last.displays.remainingTime, QString("00:00:00.0"));
        QCOMPARE(p.runner.displays(), IdleDisplays(p.runner.schedule()));
    }

    void progressAndTimesWhileRunning()
    {
        Player p(test::SpeedPreset());
        p.press(0);
        p.run(5000);
        QCOMPARE(p.last.displays.progress, 100);
        QCOMPARE(p.last.displays.currentTime, QString("00:00:05.0"));
        QCOMPARE(p.last.displays.remainingTime, QString("00:00:05.0"));
        p.run(11000);
        QCOMPARE(p.last.displays.progress, 200);
    }

    void oneItemEndsOnce()
    {
        Player p(ListOf({"1,1,1,Speed", "BRAKE-ON,-,0.5,1"}));
        p.press(0);
        p.run(10000);
        QCOMPARE(p.sent.size(), 1);
        QCOMPARE(p.ends, 1);
        QCOMPARE(p.endAt, int64_t(600));
        // Later ticks (a stale timer) do nothing; a new START plays the list again.
        QVERIFY(!p.runner.tick(700).command);
        p.press(1000);
        QCOMPARE(p.sent.size(), 2);
        QCOMPARE(p.sent[1].at, int64_t(1000));
    }

    // The resume's own tick decides with the measurement taken before the pause.
    void resumeUsesMeasurementBeforePause_data()
    {
        QTest::addColumn<qlonglong>("pauseAt");
        QTest::addColumn<qlonglong>("resumeAt");
        QTest::addColumn<qlonglong>("secondSentAt");
        QTest::newRow("measured 500 before the pause") << 500LL << 5500LL << 5500LL;
        QTest::newRow("measured 400 before the pause") << 450LL << 5450LL << 5550LL;
    }
    void resumeUsesMeasurementBeforePause()
    {
        QFETCH(qlonglong, pauseAt);
        QFETCH(qlonglong, resumeAt);
        Player p(ListOf({"1,2,1,Speed", "DIR-CW,-,0.5,1", "DIR-CCW,-,0.5,1"}));
        p.press(0);
        p.run(pauseAt);
        p.press(pauseAt);
        QCOMPARE(p.runner.state(), RunnerState::Paused);
        QCOMPARE(p.runner.startCaption(), QString("PAUSE"));
        QVERIFY(!p.armed);
        // Nothing is sent while paused, whatever calls the tick.
        QVERIFY(!p.runner.tick(pauseAt + 3000).command);
        QCOMPARE(p.sent.size(), 1);
        p.press(resumeAt);
        QCOMPARE(p.runner.startCaption(), QString("START"));
        p.run(resumeAt + 1000);
        QCOMPARE(p.sent.size(), 2);
        QTEST(qlonglong(p.sent[1].at), "secondSentAt");
    }

    // The clock runs on through a pause: the elapsed time jumps by the pause, the remaining
    // time drops by it, and the pending step is due by its own send time.
    void pauseKeepsClock()
    {
        Player p(ListOf({"1,2,1,Speed", "SPEED-INPUT,100,20,1", "SPEED-INPUT,0,5,1"}));
        p.press(0);
        p.run(1000);
        QCOMPARE(p.last.displays.currentTime, QString("00:00:01.0"));
        QCOMPARE(p.last.displays.remainingTime, QString("00:00:24.0"));
        p.press(1000);
        const RunDisplays frozen = p.last.displays;
        QCOMPARE(frozen.currentTime, QString("00:00:01.0"));
        QCOMPARE(p.runner.tick(6000).displays, frozen);
        p.press(11000);
        QCOMPARE(p.sent.size(), 1);
        QCOMPARE(p.last.displays.currentTime, QString("00:00:11.0"));
        QCOMPARE(p.last.displays.remainingTime, QString("00:00:14.0"));
        QCOMPARE(p.last.displays.progress, 88);
        QVERIFY(p.armed);
        p.run(40000);
        QCOMPARE(p.sent.size(), 2);
        QCOMPARE(p.sent[1].at, int64_t(20100));
        QCOMPARE(p.ends, 1);
    }

    void emptyListStart()
    {
        Player p(SequenceList{});
        p.press(0);
        QVERIFY(p.sent.isEmpty());
        QVERIFY(!p.armed);
        QVERIFY(p.last.sequenceRunning);
        QCOMPARE(p.runner.state(), RunnerState::Running);
        QCOMPARE(p.last.displays.totalTime, kNoTime);
        QCOMPARE(p.last.displays.currentItem, kNoCount);
        p.press(100);  // still no run: a fresh start again
        QCOMPARE(p.runner.state(), RunnerState::Running);
        QVERIFY(p.sent.isEmpty());
        const RunOutput r = p.runner.reset();
        QVERIFY(!r.sequenceRunning);
        QVERIFY(!r.armTimer);
        QCOMPARE(p.runner.state(), RunnerState::Idle);
    }

    void unresolvedItemRefusesStart_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        QTest::newRow("speed action in a position list")
            << QStringList{"1,2,1,Position", "RESET-HIGH,-,1,1", "ENABLE-RUN,-,0.5,1"}
            << "Item 2 (ENABLE-RUN,-,0.5,1) is not an action of this control type";
        QTest::newRow("max rpm beyond 16 bits") << QStringList{"1,1,1,Position", "SET : MAX-RPM,70000,1,1"}
                                                << "Item 1 (SET : MAX-RPM,70000,1,1) has a value the driver cannot take";
    }
    void unresolvedItemRefusesStart()
    {
        QFETCH(QStringList, lines);
        Player p(ListOf(lines), PositionControl);
        p.press(0);
        QTEST(p.last.refusal, "message");
        QVERIFY(p.sent.isEmpty());
        QVERIFY(!p.armed);
        QVERIFY(!p.last.sequenceRunning);
        QCOMPARE(p.runner.state(), RunnerState::Idle);
        QCOMPARE(p.last.displays, IdleDisplays(p.runner.schedule()));
    }

    // Each repeat lasts its own time; the range is played range-repeat times; the run ends
    // with the remaining time at zero.
    void repeatsReachEnd_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QList<qlonglong>>("gaps");
        QTest::newRow("item repeat 2") << QStringList{"1,2,1,Speed", "DIR-CW,-,0.5,2", "DIR-CCW,-,1,1"}
                                       << QList<int>{0, 0, 1} << QList<qlonglong>{600, 600, 1100};
        QTest::newRow("range repeat 2") << QStringList{"1,2,2,Speed", "DIR-CW,-,0.5,1", "DIR-CCW,-,0.3,1"}
                                        << QList<int>{0, 1, 0, 1} << QList<qlonglong>{600, 400, 600, 400};
        QTest::newRow("both, range from item 2")
            << QStringList{"2,3,2,Speed", "DIR-CW,-,0.5,2", "DIR-CCW,-,0.3,1", "BRAKE-ON,-,0.2,1"}
            << QList<int>{0, 0, 1, 2, 1, 2} << QList<qlonglong>{600, 600, 400, 300, 400, 300};
    }
    void repeatsReachEnd()
    {
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, rows);
        QFETCH(QList<qlonglong>, gaps);
        Player p(ListOf(lines));
        const QString steps = QString::number(rows.size());
        p.press(0);
        QCOMPARE(p.last.displays.totalItems, steps);
        RunDisplays atLastSend;
        while (p.armed && p.now < 60000) {
            p.now += kRunTickMs;
            p.apply(p.runner.tick(p.now));
            if (p.last.command && p.sent.size() == rows.size()) atLastSend = p.last.displays;
        }
        QList<int> playedRows;
        QList<qlonglong> playedGaps;
        for (int i = 0; i < p.sent.size(); ++i) {
            playedRows << p.sent[i].row;
            if (i > 0) playedGaps << p.sent[i].at - p.sent[i - 1].at;
        }
        playedGaps << p.endAt - p.sent.last().at;
        QCOMPARE(playedRows, rows);
        QCOMPARE(playedGaps, gaps);
        QCOMPARE(p.ends, 1);
        QCOMPARE(atLastSend.currentItem, steps);
        QCOMPARE(atLastSend.remainingItems, QString("0"));
        QCOMPARE(p.last.displays.remainingTime, QString("00:00:00.0"));
    }

    // A hand-edited list whose range is played zero times has no step: START ends at once.
    void nothingToPlayEndsAtOnce()
    {
        Player p(ListOf({"1,2,0,Speed", "DIR-CW,-,1,1", "DIR-CCW,-,1,1"}));
        p.press(0);
        QVERIFY(p.sent.isEmpty());
        QCOMPARE(p.ends, 1);
        QVERIFY(!p.armed);
        QCOMPARE(p.runner.state(), RunnerState::Idle);
    }

    void resetReturnsToIdle()
    {
        Player p(test::SpeedPreset());
        p.press(0);
        p.run(1500);
        QCOMPARE(p.sent.size(), 3);
        p.apply(p.runner.reset());
        QVERIFY(p.last.clearAllMarks);
        QVERIFY(!p.last.sequenceRunning);
        QVERIFY(!p.armed);
        QCOMPARE(p.runner.state(), RunnerState::Idle);
        QCOMPARE(p.runner.stepCounter(), int64_t(0));
        QCOMPARE(p.last.displays, IdleDisplays(p.runner.schedule()));
        QVERIFY(!p.runner.tick(1600).command);
        p.press(2000);
        QCOMPARE(p.sent.size(), 4);
        QCOMPARE(p.sent[3].command, (SequenceCommand{WriteRegister, 3, 1}));
    }

    // A paused run reset and a new schedule both leave nothing pending.
    void newScheduleAbandonsRun()
    {
        Player p(test::SpeedPreset());
        p.press(0);
        p.press(50);
        QCOMPARE(p.runner.state(), RunnerState::Paused);
        p.runner.setSchedule(ComputeSchedule(test::PositionPreset(), PositionControl));
        QCOMPARE(p.runner.state(), RunnerState::Idle);
        QVERIFY(!p.runner.paused());
        QCOMPARE(p.runner.displays().totalTime, QString("00:00:11.0"));
        p.press(100);
        QCOMPARE(p.sent.last().command, (SequenceCommand{WriteRegister, 38, 1}));
    }
};

QTEST_APPLESS_MAIN(TestSequenceRunner)
#include "test_sequence_runner.moc"
