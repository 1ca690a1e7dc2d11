// What an item expects of the driver: the forms the text takes, the messages that name what is
// wrong, the judging of each form on a status, and when the runner reads the status for it.

#include "Expectations.h"
#include "SequenceRunner.h"
#include "sequence/SequencePresets.h"

#include <QTest>

using namespace zentor;
using zentor::test::ListOf;

Q_DECLARE_METATYPE(zentor::CheckState)

namespace {

SequenceItem Item(const char* action, const char* value = "-")
{
    return {QString::fromLatin1(action), QString::fromLatin1(value), QStringLiteral("1"), QStringLiteral("1")};
}

StatusSample Sample()
{
    StatusSample s;
    s.rpm = 1795;
    s.current = 2.5;
    s.position = -2;
    s.alarm = 0;
    s.direction = 1;
    s.brake = 0;
    s.run = 1;
    return s;
}

}  // namespace

class TestExpectations : public QObject {
    Q_OBJECT
private slots:
    // Every form, judged on one status: rpm 1795, 2.50 A, position -2, no alarm, CCW, brake
    // off, running.
    void judged_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("measured");
        QTest::addColumn<CheckState>("state");
        auto row = [](const char* name, int type, const char* action, const char* value, const QString& text,
                      const char* measured, CheckState state) {
            QTest::newRow(name) << type << QString::fromLatin1(action) << QString::fromLatin1(value) << text
                                << QString::fromLatin1(measured) << state;
        };
        const auto pass = CheckState::Pass;
        const auto fail = CheckState::Fail;
        row("range inside", SpeedControl, "ENABLE-RUN", "-", "rpm 1710..1890", "1795", pass);
        row("range bounds included", SpeedControl, "ENABLE-RUN", "-", "rpm 1795..1795", "1795", pass);
        row("range below", SpeedControl, "ENABLE-RUN", "-", "rpm 1800 .. 1890", "1795", fail);
        row("current at bound", SpeedControl, "ENABLE-RUN", "-", "current <= 2.5", "2.50 A", pass);
        row("current strictly below", SpeedControl, "ENABLE-RUN", "-", "current < 2.5", "2.50 A", fail);
        row("current above", SpeedControl, "ENABLE-RUN", "-", "current >= 2.51", "2.50 A", fail);
        row("current greater", SpeedControl, "ENABLE-RUN", "-", "current > 2", "2.50 A", pass);
        row("alarm value", SpeedControl, "ENABLE-RUN", "-", "alarm = 0", "0", pass);
        row("alarm double equals", SpeedControl, "ENABLE-RUN", "-", "alarm == 1", "0", fail);
        row("5% of 1800 is 90", SpeedControl, "SPEED-INPUT", "1800", QStringLiteral("rpm \u00B15%"), "1795", pass);
        row("0.2% of 1800 is 3.6", SpeedControl, "SPEED-INPUT", "1800", "rpm +-0.2%", "1795", fail);
        row("absolute tolerance", SpeedControl, "SPEED-INPUT", "1790", "rpm +-5", "1795", pass);
        row("absolute tolerance short", SpeedControl, "SPEED-INPUT", "1789", QStringLiteral("rpm \u00B15"), "1795", fail);
        row("latin-1 read utf-8 sign", SpeedControl, "SPEED-INPUT", "1800", QStringLiteral("rpm \u00C2\u00B15%"), "1795", pass);
        row("position tolerance", PositionControl, "POSITION-INPUT", "0", "position +-2", "-2", pass);
        row("position tolerance short", PositionControl, "POSITION-INPUT", "1", "position +-2", "-2", fail);
        row("direction word", SpeedControl, "DIR-CCW", "-", "direction = CCW", "CCW", pass);
        row("brake word any case", SpeedControl, "BRAKE-ON", "-", "Brake = on", "OFF", fail);
        row("brake number", SpeedControl, "BRAKE-OFF", "-", "brake = 0", "OFF", pass);
        row("run", SpeedControl, "ENABLE-RUN", "-", "run = ON", "ON", pass);
        row("reset high", PositionControl, "RESET-HIGH", "-", "reset = HIGH", "HIGH", pass);
        row("reset low", PositionControl, "RESET-LOW", "-", "reset = OFF", "HIGH", fail);
    }
    void judged()
    {
        QFETCH(int, type);
        QFETCH(QString, action);
        QFETCH(QString, value);
        QFETCH(QString, text);
        QFETCH(QString, measured);
        QFETCH(CheckState, state);
        const ExpectationParse p = ParseExpectations(text, type, {action, value, QStringLiteral("1"), QStringLiteral("1")});
        QVERIFY2(p.ok(), qPrintable(p.error));
        QCOMPARE(p.checks.size(), size_t(1));
        const CheckResult r = Judge(p.checks[0], Sample());
        QCOMPARE(r.measured, measured);
        QCOMPARE(r.state, state);
    }

    void severalAndBlanks()
    {
        const ExpectationParse p =
            ParseExpectations(QStringLiteral(" rpm \u00B15%; current <= 3 ;; alarm = 0; "), SpeedControl, Item("SPEED-INPUT", "1800"));
        QVERIFY2(p.ok(), qPrintable(p.error));
        QCOMPARE(p.checks.size(), size_t(3));
        QCOMPARE(p.checks[0].text, QStringLiteral("rpm \u00B15%"));
        QCOMPARE(p.checks[1].text, QStringLiteral("current <= 3"));
        QCOMPARE(p.checks[2].text, QStringLiteral("alarm = 0"));
        QVERIFY(ParseExpectations(QString(), SpeedControl, Item("DIR-CW")).checks.empty());
    }

    void refused_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, int type, const char* action, const QString& text, const QString& error) {
            QTest::newRow(name) << type << QString::fromLatin1(action) << text << error;
        };
        row("unknown kind", SpeedControl, "DIR-CW", "speed = 3; alarm = 0",
            "\"speed = 3\": \"speed\" is not a check; the checks are rpm, current, position, alarm, direction, brake, run and reset");
        row("no kind", SpeedControl, "DIR-CW", "<= 3",
            "\"<= 3\": it is not a check; the checks are rpm, current, position, alarm, direction, brake, run and reset");
        row("position in speed control", SpeedControl, "DIR-CW", "position = 0",
            "\"position = 0\": position is read in position control only");
        row("run in position control", PositionControl, "RESET-HIGH", "run = ON",
            "\"run = ON\": run is read in speed control only");
        row("nothing to compare", SpeedControl, "DIR-CW", "alarm",
            "\"alarm\": nothing to compare with; write a range (alarm 1710..1890), a bound (alarm <= 2.5), a value "
            "(alarm = 0) or a tolerance (alarm \u00B15%)");
        row("not a number", SpeedControl, "DIR-CW", "current <= fast", "\"current <= fast\": \"fast\" is not a number");
        row("half a range", SpeedControl, "DIR-CW", "rpm 1710..", "\"rpm 1710..\": a range is two numbers, as 1710..1890");
        row("range upside down", SpeedControl, "DIR-CW", "rpm 1890..1710",
            "\"rpm 1890..1710\": the range's first number is above its second");
        row("tolerance without command", SpeedControl, "DIR-CW", "rpm +-5%",
            "\"rpm +-5%\": a tolerance is taken around what the item commands: it needs a SPEED-INPUT item");
        row("tolerance of current", SpeedControl, "SPEED-INPUT", "current +-1",
            "\"current +-1\": a tolerance is taken around what the item commands, and no item commands a current; "
            "write a range or a bound");
        row("tolerance not a number", SpeedControl, "SPEED-INPUT", "rpm +-x%",
            "\"rpm +-x%\": \"+-x%\" is not a tolerance; write \u00B15% or \u00B12");
        row("state with bound", SpeedControl, "BRAKE-ON", "brake >= 1",
            "\"brake >= 1\": a state is equal or not; write brake = ON or OFF");
        row("state word", SpeedControl, "DIR-CW", "direction = LEFT", "\"direction = LEFT\": \"LEFT\" is not CW or CCW");
        row("state tolerance", SpeedControl, "DIR-CW", "brake +-1",
            "\"brake +-1\": a state has no tolerance; write brake = ON or OFF");
        row("no comparison", SpeedControl, "DIR-CW", "rpm about 5",
            "\"rpm about 5\": \"about 5\" is no comparison; write a range (rpm 1710..1890), a bound (rpm <= 2.5), a value "
            "(rpm = 0) or a tolerance (rpm \u00B15%)");
        // A "±" saved in another encoding and read as UTF-8.
        row("unreadable sign", SpeedControl, "SPEED-INPUT", QStringLiteral("rpm \uFFFD5%"),
            QStringLiteral("\"rpm \uFFFD5%\": holds a character that could not be read; write +- for \u00B1"));
        row("too long", SpeedControl, "DIR-CW", QString(121, QLatin1Char(' ')), "the expectations are longer than 120 characters");
    }
    void refused()
    {
        QFETCH(int, type);
        QFETCH(QString, action);
        QFETCH(QString, text);
        QFETCH(QString, error);
        const ExpectationParse p = ParseExpectations(text, type, Item(qPrintable(action), "1800"));
        QCOMPARE(p.error, error);
        QVERIFY(!p.ok());
    }

    void fileForm()
    {
        QCOMPARE(ExpectationsForFile(QStringLiteral("rpm \u00B15%; position \u00C2\u00B12")), QStringLiteral("rpm +-5%; position +-2"));
    }

    void sampledFromTheRegisters()
    {
        RegisterMap m;
        m.layout.apply(PositionControl);
        auto set = [&](int role, int v) { m.values.set(m.layout.registerOf(role), uint16_t(v)); };
        set(MotorRpm, 1200);
        set(MotorCurrent, 235);
        set(PositionHigh, 0xFFFF);
        set(PositionLow, 0xFFFE);
        set(AlarmState, 3);
        set(DirectionFeedback, 2);
        set(BrakeState, 1);
        set(RunState, 0);
        set(DeviceIdRegister, 0x1234);
        const StatusSample s = SampleStatus(m);
        QCOMPARE(s.rpm, 1200.0);
        QCOMPARE(s.current, 2.35);
        QCOMPARE(s.position, -2.0);
        QCOMPARE(s.alarm, 3.0);
        QCOMPARE(s.direction, 1.0);
        QCOMPARE(s.brake, 1.0);
        QCOMPARE(s.run, 0.0);
        QCOMPARE(s.deviceId, 0x34);
    }

    // When the runner reads the status for an item's checks, and how long the next item waits:
    // ticks every 100 ms, the answer judged `answerMs` after each read (-1: never).
    void readTimes_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("answerMs");
        QTest::addColumn<QList<int64_t>>("reads");
        QTest::addColumn<QList<int64_t>>("writes");
        QTest::addColumn<QString>("verdict");
        // Item 1 at 0; item 2 of 0.1 s at the first tick after item 1's 0.5 s (600).
        QTest::newRow("0.5 s") << "0.5" << 70 << QList<int64_t>{500, 700} << QList<int64_t>{0, 600} << "PASS";
        QTest::newRow("0.3 s") << "0.3" << 70 << QList<int64_t>{300, 500} << QList<int64_t>{0, 400} << "PASS";
        QTest::newRow("0.1 s") << "0.1" << 70 << QList<int64_t>{100, 300} << QList<int64_t>{0, 200} << "PASS";
        // Under a tick the item lasts two ticks anyway: the read goes at the first.
        QTest::newRow("0.05 s") << "0.05" << 70 << QList<int64_t>{100, 300} << QList<int64_t>{0, 200} << "PASS";
        // A time of 0 makes the next item due at the first tick; the read cannot go with the
        // item's own write, so it goes then and the item lasts a tick more (100 without checks).
        QTest::newRow("0 s") << "0" << 70 << QList<int64_t>{100, 300} << QList<int64_t>{0, 200} << "PASS";
        // An answer slower than a tick holds the next item back one tick.
        QTest::newRow("slow line") << "0.5" << 150 << QList<int64_t>{500, 800} << QList<int64_t>{0, 700} << "PASS";
        // No answer: the next item goes 200 ms after the read, the checks are incomplete.
        QTest::newRow("no answer") << "0.5" << -1 << QList<int64_t>{500, 800} << QList<int64_t>{0, 700} << "INCOMPLETE";
    }
    void readTimes()
    {
        QFETCH(QString, time);
        QFETCH(int, answerMs);
        QFETCH(QList<int64_t>, reads);
        QFETCH(QList<int64_t>, writes);
        QFETCH(QString, verdict);
        SequenceList list = ListOf({"1,2,1,Speed", QStringLiteral("SPEED-INPUT,1800,%1,1").arg(time), "ENABLE-RUN,-,0.1,1"});
        list.checks[1] = QStringLiteral("rpm \u00B15%");
        list.checks[2] = QStringLiteral("run = ON");
        SequenceRunner runner;
        runner.setSchedule(ComputeSchedule(list, SpeedControl));
        QList<int64_t> readAt, writeAt;
        int64_t answerAt = -1;
        StatusSample s = Sample();
        auto apply = [&](const RunOutput& o, int64_t now) {
            if (o.command) writeAt << now;
            if (o.checkRead) {
                readAt << now;
                answerAt = answerMs < 0 ? -1 : now + answerMs;
            }
            return o.armTimer;
        };
        bool armed = apply(runner.startOrPause(0), 0);
        for (int64_t now = 0; armed && now < 5000;) {
            for (int64_t t = now + 1; t <= now + kRunTickMs; ++t)
                if (t == answerAt) runner.judgeChecks(s);
            now += kRunTickMs;
            armed = apply(runner.tick(now), now);
        }
        QCOMPARE(readAt, reads);
        QCOMPARE(writeAt, writes);
        QCOMPARE(runner.record().end, RunEnd::End);
        QCOMPARE(runner.record().verdict(), verdict);
        QCOMPARE(runner.checkReadFailures(), answerMs < 0 ? 2 : 0);
    }

    void verdicts()
    {
        SequenceList list = ListOf({"1,2,1,Speed", "SPEED-INPUT,1800,0.5,1", "ENABLE-RUN,-,0.5,1"});
        list.checks[1] = QStringLiteral("rpm 1790..1800; current <= 2");
        SequenceRunner runner;
        runner.setSchedule(ComputeSchedule(list, SpeedControl));
        QCOMPARE(runner.record().verdict(), QString());
        runner.startOrPause(0);
        int64_t now = 0;
        while (!runner.checkReadOutstanding()) runner.tick(now += 100);
        runner.judgeChecks(Sample());  // rpm passes, 2.50 A fails
        QCOMPARE(runner.record().steps[0].checks[0].state, CheckState::Pass);
        QCOMPARE(runner.record().steps[0].checks[1].state, CheckState::Fail);
        QCOMPARE(runner.record().steps[0].checks[1].measured, QStringLiteral("2.50 A"));
        // RESET before END: never PASS, whatever was judged.
        runner.reset();
        QCOMPARE(runner.record().verdict(), QStringLiteral("INCOMPLETE"));
        // To the END: one failed check.
        bool armed = runner.startOrPause(0).armTimer;
        now = 0;
        while (armed) {
            if (runner.checkReadOutstanding()) runner.judgeChecks(Sample());
            armed = runner.tick(now += 100).armTimer;
        }
        QCOMPARE(runner.record().verdict(), QStringLiteral("FAIL (1)"));
        QCOMPARE(runner.record().steps.size(), size_t(2));
        QCOMPARE(runner.record().steps[1].sentAtMs, 600);
        QVERIFY(runner.record().steps[1].checks.empty());
        // A list without expectations reaches END with no checks to judge.
        SequenceRunner plain;
        plain.setSchedule(ComputeSchedule(ListOf({"1,1,1,Speed", "ENABLE-RUN,-,0.2,1"}), SpeedControl));
        armed = plain.startOrPause(0).armTimer;
        for (now = 0; armed;) {
            const RunOutput o = plain.tick(now += 100);
            QVERIFY(!o.checkRead);
            armed = o.armTimer;
        }
        QCOMPARE(plain.record().verdict(), QStringLiteral("NO CHECKS"));
    }

    void startRefusesUnreadableExpectations()
    {
        SequenceList list = ListOf({"1,2,1,Speed", "DIR-CW,-,0.5,1", "ENABLE-RUN,-,0.5,1"});
        list.checks[2] = QStringLiteral("rpm +-5%");
        SequenceRunner runner;
        runner.setSchedule(ComputeSchedule(list, SpeedControl));
        const RunOutput out = runner.startOrPause(0);
        QCOMPARE(out.refusal, QStringLiteral("Item 2 (ENABLE-RUN,-,0.5,1): expectations \"rpm +-5%\": a tolerance is taken "
                                             "around what the item commands: it needs a SPEED-INPUT item"));
        QVERIFY(!out.command);
    }
};

QTEST_MAIN(TestExpectations)
#include "test_expectations.moc"
