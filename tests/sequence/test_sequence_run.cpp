// A sequence run through the real window, opened from the main window, in virtual time
// against the simulated drivers: what is sent when, the displays, pause, the end, refusals
// and a connection lost in the middle of a run.

#include "SequenceRig.h"

using namespace zentor;
using namespace zentor::testing;

namespace {

// The port open and the main window not polling: the window is in its test mode.
struct Ready {
    explicit Ready(const QByteArray& config = ConfigWithUser({})) : r({}, config), s(r)
    {
        r.open(kSpeed);
        opened = s.open();
    }
    // Speed control with its preset loaded.
    void speedPreset()
    {
        s.selectType(SpeedControl);
        s.press(seqids::LoadInitial);
    }
    // Presses START without waiting for the busy guard; the log starts with it.
    int64_t start()
    {
        r.ports.sent.clear();
        r.notes.texts.clear();
        const int64_t t0 = r.clock.nowMs();
        s.get<QPushButton>(seqids::StartPause)->click();
        return t0;
    }
    // The run is over or abandoned: nothing left of it.
    void verifyIdle(int items)
    {
        QCOMPARE(s.d->runner().state(), RunnerState::Idle);
        QVERIFY(!r.w->sequenceRunning());
        QVERIFY(!s.runTimerOn());
        QCOMPARE(s.d->list().itemCount, items);
        QCOMPARE(s.rows(), items);
        QCOMPARE(s.markedRow(), -1);
        QCOMPARE(s.text(seqids::CurrentItem), items ? QStringLiteral("0") : QStringLiteral("---"));
        QCOMPARE(s.get<QProgressBar>(seqids::Progress)->value(), 0);
        QVERIFY(!s.d->editingLocked());
        QCOMPARE(s.text(seqids::StartPause), QStringLiteral("START"));
    }

    Rig r;
    SeqWindow s;
    bool opened = false;
};

}  // namespace

class TestSequenceRun : public QObject {
    Q_OBJECT
private slots:
    void speedPresetBeforeAndAfterStart()
    {
        Ready k;
        QVERIFY(k.opened);
        k.speedPreset();
        QCOMPARE(k.s.text(seqids::TotalTime), QStringLiteral("00:00:10.0"));
        QCOMPARE(k.s.text(seqids::CurrentTime), QStringLiteral("00:00:00.0"));
        QCOMPARE(k.s.text(seqids::RemainingTime), QStringLiteral("00:00:10.0"));
        QCOMPARE(k.s.text(seqids::TotalItems), QStringLiteral("7"));
        QCOMPARE(k.s.text(seqids::CurrentItem), QStringLiteral("0"));
        QCOMPARE(k.s.text(seqids::RemainingItems), QStringLiteral("7"));
        QVERIFY(k.r.ports.sent.empty() || Writes(k.r).empty());

        const int64_t t0 = k.start();
        const std::vector<Sent> sent = Writes(k.r);
        QCOMPARE(sent.size(), size_t(1));
        QCOMPARE(sent[0].at, t0);
        QCOMPARE(sent[0].frame, WriteFrame(100, 3, 1));
        QCOMPARE(k.s.text(seqids::CurrentItem), QStringLiteral("1"));
        QCOMPARE(k.s.text(seqids::RemainingItems), QStringLiteral("6"));
        QCOMPARE(k.s.markedRow(), 0);
        QVERIFY(k.r.w->sequenceRunning());
        QCOMPARE(k.s.text(seqids::StatusLine), QStringLiteral("  [TEST] Now Sequence Test in progress"));
        QVERIFY(!k.s.enabled(seqids::AddChange));
        QVERIFY(!k.s.enabled(seqids::LoadInitial));
        QVERIFY(k.s.enabled(seqids::SaveUser));
        // The driver took it: its answer is taken 60 ms after its last byte and checked by the
        // main window.
        k.r.after(90);
        QVERIFY(!k.r.w->awaiting());
        QCOMPARE(k.r.driver(kSpeed).reg(3), uint16_t(1));
    }

    void eachItemAfterThePreviousOnesTime_data()
    {
        QTest::addColumn<int>("item");  // 1-based
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("previousMs");  // the time of the item before it
        QTest::newRow("2 BRAKE-OFF") << 2 << 4 << 0 << 500;
        QTest::newRow("3 DIR-CW") << 3 << 2 << 0 << 500;
        QTest::newRow("4 SPEED-INPUT 1800") << 4 << 1 << 1800 << 500;
        QTest::newRow("5 DIR-CCW") << 5 << 2 << 1 << 3000;
        QTest::newRow("6 SPEED-INPUT 900") << 6 << 1 << 900 << 500;
        QTest::newRow("7 SPEED-INPUT 0") << 7 << 1 << 0 << 3000;
    }
    void eachItemAfterThePreviousOnesTime()
    {
        QFETCH(int, item);
        QFETCH(int, reg);
        QFETCH(int, value);
        QFETCH(int, previousMs);
        Ready k;
        k.speedPreset();
        k.start();
        k.r.after(12000);
        const std::vector<Sent> sent = Writes(k.r);
        QCOMPARE(sent.size(), size_t(7));
        const Sent& now = sent[size_t(item - 1)];
        const Sent& before = sent[size_t(item - 2)];
        QCOMPARE(now.frame, WriteFrame(100, reg, value));
        const int64_t gap = now.at - before.at;
        // One to two ticks more than its own time, measured from the previous item's send.
        QVERIFY2(gap >= previousMs + 100 && gap <= previousMs + 200, qPrintable(QString::number(gap)));
        QCOMPARE(k.r.notes.texts.count(kSequenceEndMessage), 1);
    }

    void oneItemEndsOnceAboutAfterItsTime()
    {
        Ready k;
        k.s.selectType(SpeedControl);
        k.s.add(QStringLiteral("ENABLE-RUN"), QString(), QStringLiteral("0.5"));
        QCOMPARE(k.s.d->list().lines[1], QStringLiteral("ENABLE-RUN,-,0.5,1"));
        int64_t endAt = -1;
        // While the message is up the run stands: its mark and SequenceRunning go after it.
        bool standingDuringMessage = false;
        k.r.notes.whileShown = [&] {
            if (k.r.notes.last() != kSequenceEndMessage) return;
            endAt = k.r.clock.nowMs();
            standingDuringMessage = k.r.w->sequenceRunning() && k.s.markedRow() == 0 && !k.s.runTimerOn() &&
                                    k.s.text(seqids::CurrentItem) == QLatin1String("1");
        };
        const int64_t t0 = k.start();
        QCOMPARE(Writes(k.r).size(), size_t(1));
        k.r.after(5000);
        QCOMPARE(k.r.notes.texts.count(kSequenceEndMessage), 1);
        QVERIFY2(endAt - t0 >= 600 && endAt - t0 <= 700, qPrintable(QString::number(endAt - t0)));
        QVERIFY(standingDuringMessage);
        QCOMPARE(Writes(k.r).size(), size_t(1));
        k.verifyIdle(1);
        QCOMPARE(k.s.text(seqids::StatusLine), QStringLiteral("  [TEST] Sequence Test Settings"));
        QCOMPARE(k.s.text(seqids::TotalTime), QStringLiteral("00:00:00.5"));
    }

    void pauseKeepsTheClockGoing()
    {
        Ready k;
        k.s.selectType(SpeedControl);
        k.s.add(QStringLiteral("ENABLE-RUN"), QString(), QStringLiteral("20"));
        k.s.add(QStringLiteral("ENABLE-STOP"), QString(), QStringLiteral("5"));
        const int64_t t0 = k.start();
        k.r.after(2000);
        k.s.get<QPushButton>(seqids::StartPause)->click();  // pause
        QCOMPARE(k.s.text(seqids::StartPause), QStringLiteral("PAUSE"));
        QCOMPARE(k.s.text(seqids::CurrentTime), QStringLiteral("00:00:02.0"));
        QCOMPARE(k.s.text(seqids::RemainingTime), QStringLiteral("00:00:23.0"));
        QVERIFY(!k.s.runTimerOn());
        QVERIFY(k.s.d->editingLocked());

        k.r.after(10000);
        QCOMPARE(Writes(k.r).size(), size_t(1));
        QCOMPARE(k.s.text(seqids::CurrentTime), QStringLiteral("00:00:02.0"));

        k.s.get<QPushButton>(seqids::StartPause)->click();  // resume
        QCOMPARE(k.s.text(seqids::StartPause), QStringLiteral("START"));
        QCOMPARE(k.s.text(seqids::CurrentTime), QStringLiteral("00:00:12.0"));
        QCOMPARE(k.s.text(seqids::RemainingTime), QStringLiteral("00:00:13.0"));
        QCOMPARE(Writes(k.r).size(), size_t(1));
        // Item 2 waits for item 1's 20 s from its own send, the pause included.
        k.r.after(20300 - 12000);
        const std::vector<Sent> sent = Writes(k.r);
        QCOMPARE(sent.size(), size_t(2));
        QVERIFY2(sent[1].at - t0 >= 20100 && sent[1].at - t0 <= 20200, qPrintable(QString::number(sent[1].at - t0)));
        QCOMPARE(sent[1].frame, WriteFrame(100, 3, 0));
    }

    void loadedUserListRunsUnderItsOwnType()
    {
        // Loaded while the window is set to speed control: its items resolve in the position table.
        Rig r({}, ConfigWithUser({"1,2,1,Position", "POSITION-INPUT,-200,0.5,1", "BRAKE-ON,-,0.5,1"}));
        r.open(kPosition);
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(SpeedControl);
        s.press(seqids::LoadUser);
        r.ports.sent.clear();
        s.press(seqids::StartPause);
        r.after(1000);
        const std::vector<Sent> sent = Writes(r);
        QCOMPARE(sent.size(), size_t(2));
        // Function 16 of two registers from 33: -200 as a 32-bit value, high word first.
        QCOMPARE(sent[0].frame.left(11).toHex(), QByteArray("641000210002 04ffffff38").replace(' ', ""));
        QCOMPARE(sent[1].frame, WriteFrame(100, 38, 1));
        QVERIFY(r.notes.texts.contains(kSequenceEndMessage));
    }

    // The runner does not wait for answers: a driver that answers none of the steps leaves the
    // run going to its end, every step sent at its time.
    void missingAnswersDoNotStopTheRun()
    {
        Ready k;
        k.speedPreset();
        k.r.driver(kSpeed).faults().silent = true;
        const int64_t t0 = k.start();
        k.r.after(12000);
        const std::vector<Sent> sent = Writes(k.r);
        QCOMPARE(sent.size(), size_t(7));
        QCOMPARE(sent[6].frame, WriteFrame(100, 1, 0));
        QVERIFY2(sent[6].at - t0 >= 8300 && sent[6].at - t0 <= 9000, qPrintable(QString::number(sent[6].at - t0)));
        QCOMPARE(k.r.notes.texts, QStringList{kSequenceEndMessage});
        QVERIFY(k.r.w->portOpen());
        // The last step's answer is still awaited.
        QVERIFY(k.r.w->awaiting());
        k.verifyIdle(7);
    }

    void startWithAnEmptyList()
    {
        Ready k;
        k.s.selectType(SpeedControl);
        k.start();
        QCOMPARE(k.s.text(seqids::StatusLine), QStringLiteral("  [TEST] Now Sequence Test in progress"));
        QVERIFY(k.r.w->sequenceRunning());
        QVERIFY(k.s.d->editingLocked());
        for (int id : {seqids::AddChange, seqids::Delete, seqids::Select, seqids::TypeList, seqids::LoadInitial,
                       seqids::LoadUser})
            QVERIFY2(!k.s.enabled(id), qPrintable(QString::number(id)));
        QVERIFY(!k.s.runTimerOn());
        k.r.after(3000);
        QVERIFY(k.r.ports.sent.empty());
        QVERIFY(k.r.notes.texts.isEmpty());

        k.s.press(seqids::Reset);
        QCOMPARE(k.s.text(seqids::StatusLine), QStringLiteral("  [TEST] Sequence Test Settings"));
        k.verifyIdle(0);
        QVERIFY(k.s.enabled(seqids::AddChange));
    }

    void handEditedListsAreRefusedOrCut_data()
    {
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<QString>("loadMessage");   // contained in the message at Load User, empty for none
        QTest::addColumn<QString>("startMessage");  // contained in the message at START
        QTest::newRow("unknown action") << QStringList{"1,2,1,Speed", "ENABLE-RUN,-,0.5,1", "ENABLE-RUM,-,0.5,1"}
                                        << QString() << QStringLiteral("Item 2 (ENABLE-RUM,-,0.5,1)");
        QTest::newRow("action of the other type")
            << QStringList{"1,1,1,Speed", "RESET-HIGH,-,0.5,1"} << QString() << QStringLiteral("Item 1 (RESET-HIGH");
        QTest::newRow("max rpm above 65535")
            << QStringList{"1,2,1,Speed", "DIR-CW,-,0.5,1", "SET : MAX-RPM,70000,1,1"} << QString()
            << QStringLiteral("Item 2 (SET : MAX-RPM,70000,1,1) has a value the driver cannot take");
        QTest::newRow("field over 23 characters")
            << QStringList{"1,2,1,Speed", "DIR-CW,-,0.5,1", "SPEED-INPUT,000000000000000000001800,1,1"}
            << QStringLiteral("Item 2 has a field longer than 23 characters")
            << QStringLiteral("Item 2 (SPEED-INPUT,000000000000000000001800,1,1) has a field longer than 23");
    }
    void handEditedListsAreRefusedOrCut()
    {
        QFETCH(QStringList, user);
        QFETCH(QString, loadMessage);
        QFETCH(QString, startMessage);
        Ready k(ConfigWithUser(user));
        QVERIFY(k.opened);
        k.r.notes.texts.clear();
        k.s.press(seqids::LoadUser);
        QCOMPARE(k.s.d->controlType(), int(SpeedControl));
        QCOMPARE(k.s.rows(), int(user.size()) - 1);
        if (loadMessage.isEmpty()) {
            QVERIFY2(k.r.notes.texts.isEmpty(), qPrintable(k.r.notes.texts.join('|')));
        } else {
            QCOMPARE(k.r.notes.texts.size(), 1);
            QVERIFY2(k.r.notes.last().contains(loadMessage), qPrintable(k.r.notes.last()));
        }
        k.start();
        QCOMPARE(k.r.notes.texts.size(), 1);
        QVERIFY2(k.r.notes.last().contains(startMessage), qPrintable(k.r.notes.last()));
        k.r.after(3000);
        QVERIFY(k.r.ports.sent.empty());
        QCOMPARE(k.s.text(seqids::StatusLine), QStringLiteral("  [TEST] Sequence Test Settings"));
        k.verifyIdle(int(user.size()) - 1);
    }

    void moreThan39StoredItemsAreCutWithAMessage()
    {
        QStringList user{"1,41,1,Speed"};
        for (int i = 1; i <= 41; ++i) user << QStringLiteral("DIR-CW,-,0.5,1");
        Rig r({}, ConfigWithUser(user));
        // Said once at start-up, by the configuration load.
        QCOMPARE(r.notes.texts.size(), 1);
        QVERIFY2(r.notes.last().contains(QStringLiteral("user sequence")), qPrintable(r.notes.last()));
        SeqWindow s(r);
        QVERIFY(s.open());
        s.press(seqids::LoadUser);
        QCOMPARE(s.d->list().itemCount, 39);
        QCOMPARE(s.text(seqids::TotalItems), QStringLiteral("39"));
    }

    void failedWriteMidRunLeavesTheWindowIdle()
    {
        Ready k;
        k.speedPreset();
        k.start();
        k.r.after(1050);
        QCOMPARE(Writes(k.r).size(), size_t(2));
        k.r.ports.writeLimit = 3;  // the next write comes back short
        k.r.after(1000);
        QVERIFY(k.r.notes.texts.contains(QStringLiteral("Check Device or Connected Line")));
        QCOMPARE(Writes(k.r).size(), size_t(3));
        k.verifyIdle(7);
        QCOMPARE(k.s.cell(3, 2), QStringLiteral("SPEED-INPUT"));
        // The port stays open and the poll cycle stopped: the test can start again.
        QCOMPARE(k.s.text(seqids::StatusLine), QStringLiteral("  [TEST] Sequence Test Settings"));
        QCOMPARE(k.s.text(seqids::TotalTime), QStringLiteral("00:00:10.0"));
        k.r.ports.writeLimit = -1;
        k.r.after(3000);
        QCOMPARE(Writes(k.r).size(), size_t(3));
    }

    void portPulledOutMidRun()
    {
        Ready k;
        k.speedPreset();
        k.start();
        k.r.after(1050);  // between two ticks
        k.r.sim.pull(kSpeed);
        k.r.after(10);
        QCOMPARE(k.r.notes.texts, QStringList{QStringLiteral("ComPort Disconnected!")});
        k.verifyIdle(7);
        QCOMPARE(k.s.text(seqids::StatusLine), QStringLiteral("  [OPEN] COM Port Open and Sequence Test"));
        QVERIFY(!k.s.enabled(seqids::StartPause));
        QVERIFY(!k.s.enabled(seqids::Reset));
        const size_t sent = k.r.ports.sent.size();
        k.r.after(3000);
        QCOMPARE(k.r.ports.sent.size(), sent);
    }

    void closingAbandonsTheRun()
    {
        Ready k;
        k.speedPreset();
        k.start();
        k.r.after(1050);
        QVERIFY(!k.s.d->markerLabels().empty());
        k.s.get<QPushButton>(seqids::Exit)->click();
        QVERIFY(!k.s.d->isVisible());
        QVERIFY(!k.r.w->sequenceRunning());
        QVERIFY(!k.s.runTimerOn());
        QVERIFY(k.s.d->markerLabels().empty());
        QVERIFY(!k.s.d->findChild<QLabel*>(QStringLiteral("1500")));
        const size_t sent = Writes(k.r).size();
        k.r.after(5000);
        QCOMPARE(Writes(k.r).size(), sent);
        QVERIFY(k.r.notes.texts.isEmpty());
        // The next opening starts afresh.
        QVERIFY(k.s.open());
        QCOMPARE(k.s.text(seqids::TypeList), QStringLiteral("(Select)"));
        QCOMPARE(k.s.rows(), 0);
        QCOMPARE(k.s.text(seqids::TotalTime), QStringLiteral("--:--:--.-"));
        QCOMPARE(k.s.text(seqids::StatusLine), QStringLiteral("  [TEST] Sequence Test Settings"));
    }

    void markersAlongTheBar()
    {
        Ready k;
        k.speedPreset();
        const std::vector<QLabel*> labels = k.s.d->markerLabels();
        QStringList texts;
        for (QLabel* l : labels) texts << l->text();
        // 10 s on the bar: items 3 and 6 start too close to the markers before them.
        QCOMPARE(texts, (QStringList{"2~3", "4", "5~6", "7"}));
        auto* bar = k.s.get<QProgressBar>(seqids::Progress);
        const QRect g = bar->geometry();
        const int x2 = g.width() * 5 / 100;  // item 2 starts after 0.5 of 10 s
        QCOMPARE(labels[0]->geometry(), QRect(g.left() + x2, g.top() + g.height() + 20, 48, 20));
        QCOMPARE(labels[1]->geometry().top(), g.top() - 40);
        QCOMPARE(labels[0]->parentWidget(), bar->parentWidget());
        QCOMPARE(labels[0]->objectName(), QStringLiteral("1500"));
        QCOMPARE(k.s.d->markerTicks().size(), labels.size());
        QCOMPARE(k.s.d->markerTicks()[1]->geometry(), QRect(labels[1]->x(), g.top() - 20, 1, 19));
        QCOMPARE(QFontInfo(labels[0]->font()).pixelSize(), 14);
        for (QLabel* l : labels) QVERIFY(l->isVisible());
        // Rebuilt with the list: one item left has no markers.
        for (int i = 0; i < 6; ++i) {
            k.s.choose(seqids::NumberList, 0);
            k.s.press(seqids::Delete);
        }
        QCOMPARE(k.s.rows(), 1);
        QVERIFY(k.s.d->markerLabels().empty());
        QVERIFY(!k.s.d->findChild<QLabel*>(QStringLiteral("1500")));
    }
};

QTEST_MAIN(TestSequenceRun)
#include "test_sequence_run.moc"
