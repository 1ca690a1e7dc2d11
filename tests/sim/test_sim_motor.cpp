// The simulated drive's motion: ramps, stop, brake, direction, travel to a target position,
// zero position, current under load and acceleration, and the lock alarm of a stalled rotor.

#include "SimTestKit.h"

#include <QTest>

using namespace zentor;
using namespace zentor::sim;
using namespace zentor::sim::testing;

namespace {

// A driver driven by the master's own requests, with its time in hand.
struct Drive {
    explicit Drive(ControlType type = SpeedControl) : d(type) {}
    bool write(int role, int value)
    {
        const QByteArray request = writeSingleRequest(100, d.registerOf(role), uint16_t(value));
        return d.handle(request) == request;
    }
    bool target(int32_t steps)
    {
        const uint32_t v = uint32_t(steps);
        const QByteArray request = writeMultipleRequest(
            100, d.registerOf(TargetPositionHigh), bytes({int(v >> 24), int(v >> 16) & 0xFF, int(v >> 8) & 0xFF, int(v & 0xFF)}));
        return d.handle(request).size() == 8;
    }
    // Writes a motor parameter and applies it, as the settings dialog does.
    bool setting(int role, int value)
    {
        const QByteArray apply = writeSingleRequest(100, 0xF001, 0xA1A1);
        return write(role, value) && d.handle(apply) == apply;
    }
    void after(int ms)
    {
        t += ms;
        d.advanceTo(t);
    }
    int value(int role) const { return d.reg(d.registerOf(role)); }
    int32_t position() const { return CombineSigned32(uint16_t(value(PositionHigh)), uint16_t(value(PositionLow))); }

    SimDriver d;
    int64_t t = 0;
};

}  // namespace

class TestSimMotor : public QObject {
    Q_OBJECT
private slots:
    void runRampsOverTheAccelerationTime_data()
    {
        QTest::addColumn<int>("accel");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("reference");
        QTest::newRow("1 s to 3000, half way") << 1000 << 3000 << 500 << 1500;
        QTest::newRow("1 s to 3000, there") << 1000 << 3000 << 1000 << 3000;
        QTest::newRow("2 s a full ramp, 1500 half way") << 2000 << 1500 << 500 << 750;
        QTest::newRow("2 s a full ramp, 1500 reached") << 2000 << 1500 << 1000 << 1500;
        QTest::newRow("no ramp") << 0 << 2000 << 1 << 2000;
        QTest::newRow("held at MaxRpm") << 1000 << 4000 << 2000 << 3000;
    }
    void runRampsOverTheAccelerationTime()
    {
        QFETCH(int, accel);
        QFETCH(int, command);
        QFETCH(int, at);
        QFETCH(int, reference);
        Drive m;
        QVERIFY(m.setting(AccelTime, accel));
        QVERIFY(m.write(SpeedCommand, command));
        QVERIFY(m.write(RunCommand, 1));
        QCOMPARE(m.value(RunState), 1);
        m.after(at);
        QCOMPARE(m.value(SpeedReference), reference);
        // The rotor follows the reference a little behind it.
        QVERIFY(m.value(MotorRpm) <= reference);
        if (accel > 0 && at < accel) QVERIFY(m.value(MotorRpm) < reference);
        m.after(accel + 500);
        const int final = std::min(command, 3000);
        QCOMPARE(m.value(MotorRpm), final);
        QCOMPARE(m.value(SpeedFeedback), final);
        QCOMPARE(m.value(DirectionFeedback), 0);
    }

    void stopRunsDownOverTheDecelerationTime()
    {
        Drive m;
        QVERIFY(m.setting(DecelTime, 500));
        QVERIFY(m.write(SpeedCommand, 3000));
        QVERIFY(m.write(RunCommand, 1));
        m.after(2000);
        QVERIFY(m.write(RunCommand, 0));
        QCOMPARE(m.value(RunState), 0);
        m.after(250);
        QCOMPARE(m.value(SpeedReference), 1500);
        m.after(250);
        QCOMPARE(m.value(SpeedReference), 0);
        m.after(300);
        QCOMPARE(m.value(MotorRpm), 0);
        QCOMPARE(m.value(MotorCurrent), 0);
    }

    void brakeStopsTheMotorQuickly()
    {
        Drive m;
        QVERIFY(m.write(SpeedCommand, 3000));
        QVERIFY(m.write(RunCommand, 1));
        m.after(2000);
        QVERIFY(m.write(BrakeCommand, 1));
        QCOMPARE(m.value(BrakeState), 1);
        m.after(250);  // the deceleration time alone would still leave 2250 RPM
        QCOMPARE(m.value(MotorRpm), 0);
        QCOMPARE(m.value(MotorCurrent), 0);
        m.after(1000);
        QCOMPARE(m.value(MotorRpm), 0);
        QVERIFY(m.write(BrakeCommand, 0));
        QCOMPARE(m.value(BrakeState), 0);
        m.after(100);
        QCOMPARE(m.value(SpeedReference), 300);  // still commanded to run: it speeds up again
    }

    void directionTurnsAfterRunningDown()
    {
        Drive m;
        QVERIFY(m.write(SpeedCommand, 1000));
        QVERIFY(m.write(RunCommand, 1));
        m.after(1000);
        QVERIFY(m.write(DirectionCommand, 1));
        QCOMPARE(m.value(DirectionState), 1);
        m.after(100);
        QCOMPARE(m.value(DirectionFeedback), 0);  // still turning CW, slower
        QVERIFY(m.value(MotorRpm) < 1000 && m.value(MotorRpm) > 0);
        m.after(1500);
        QCOMPARE(m.value(DirectionFeedback), 1);
        QCOMPARE(m.value(MotorRpm), 1000);
    }

    void positionRunsToTheTargetAndStops_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("mount");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<int>("arrival");
        // 8 poles: 24 steps a motor revolution, so 1500 RPM is 600 steps/s; 500 ms up, 500 ms down.
        QTest::newRow("forward") << 1200 << 0 << 0 << 2500;
        QTest::newRow("backward") << -600 << 0 << 1 << 1500;
        QTest::newRow("forward, mounted the other way") << 1200 << 1 << 1 << 2500;
    }
    void positionRunsToTheTargetAndStops()
    {
        QFETCH(int, target);
        QFETCH(int, mount);
        QFETCH(int, rotation);
        QFETCH(int, arrival);
        Drive m(PositionControl);
        QVERIFY(m.write(MountDirection, mount));
        QCOMPARE(m.value(DirectionState), mount);
        QVERIFY(m.write(SpeedCommand, 1500));
        QVERIFY(m.target(target));
        int arrivedAt = -1;
        int32_t furthest = 0;
        for (int ms = 1; ms <= 4000; ++ms) {
            m.after(1);
            const int32_t p = m.position();
            if (std::abs(p) > std::abs(furthest)) furthest = p;
            if (ms == 700) {
                QCOMPARE(m.value(MotorRpm), 1500);
                QCOMPARE(m.value(DirectionFeedback), rotation);
            }
            if (arrivedAt < 0 && p == target) arrivedAt = ms;
        }
        QCOMPARE(furthest, target);  // never past it
        QCOMPARE(m.position(), target);
        QVERIFY2(std::abs(arrivedAt - arrival) <= 50, qPrintable(QString::number(arrivedAt)));
        QCOMPARE(m.value(MotorRpm), 0);
        QCOMPARE(m.value(SpeedReference), 0);
        QCOMPARE(m.value(MotorCurrent), 0);
        QCOMPARE(m.value(RunState), 0);  // the reset output is the master's alone
    }

    void resetOutputFollowsTheRunCommand()
    {
        Drive m(PositionControl);
        QVERIFY(m.write(RunCommand, 1));
        QCOMPARE(m.value(RunState), 1);
        m.after(1000);
        QCOMPARE(m.position(), 0);
        QVERIFY(m.write(RunCommand, 0));
        QCOMPARE(m.value(RunState), 0);
    }

    void zeroPositionMakesThePresentPlaceZero()
    {
        Drive m(PositionControl);
        QVERIFY(m.write(SpeedCommand, 3000));
        QVERIFY(m.target(500));
        m.after(3000);
        QCOMPARE(m.position(), 500);
        QVERIFY(m.write(ZeroPositionSet, 1));
        QCOMPARE(m.position(), 0);
        QCOMPARE(m.value(ZeroPositionSet), 0);
        QCOMPARE(m.value(TargetPositionLow), 0);
        m.after(1000);
        QCOMPARE(m.position(), 0);  // it stays where it is
        QCOMPARE(m.value(MotorRpm), 0);
        QVERIFY(m.target(-100));
        m.after(2000);
        QCOMPARE(m.position(), -100);
    }

    void stalledRotorRaisesTheAlarmAfterTheLockTime_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("lockTime");
        QTest::newRow("speed, 1 s") << int(SpeedControl) << 1000;
        QTest::newRow("speed, 300 ms") << int(SpeedControl) << 300;
        QTest::newRow("position, 500 ms") << int(PositionControl) << 500;
    }
    void stalledRotorRaisesTheAlarmAfterTheLockTime()
    {
        QFETCH(int, type);
        QFETCH(int, lockTime);
        Drive m{ControlType(type)};
        QVERIFY(m.setting(LockTime, lockTime));
        m.d.setStalled(true);
        QVERIFY(m.write(SpeedCommand, 1000));
        if (type == SpeedControl) QVERIFY(m.write(RunCommand, 1));
        else QVERIFY(m.target(10000));
        m.after(lockTime);
        QCOMPARE(m.value(AlarmState), 0);
        QCOMPARE(m.value(MotorCurrent), 800);  // a locked rotor draws up to the current limit
        QCOMPARE(m.value(MotorRpm), 0);
        m.after(2);
        QVERIFY(m.value(AlarmState) != 0);
        QCOMPARE(m.value(MotorCurrent), 0);
        if (type == SpeedControl) QCOMPARE(m.value(RunState), 0);
        else QCOMPARE(m.position(), 0);
        m.after(5000);
        QVERIFY(m.value(AlarmState) != 0);  // it holds until the master stops the drive
        QVERIFY(m.write(RunCommand, 0));
        QCOMPARE(m.value(AlarmState), 0);
    }

    // An alarm raised from the driver's side behaves as the lock alarm: the drive is cut at
    // once, AlarmState holds the code, and the master's stop ends it.
    void raisedAlarmCutsTheDrive_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("speed") << int(SpeedControl);
        QTest::newRow("position") << int(PositionControl);
    }
    void raisedAlarmCutsTheDrive()
    {
        QFETCH(int, type);
        Drive m{ControlType(type)};
        QVERIFY(m.write(SpeedCommand, 1500));
        if (type == SpeedControl) QVERIFY(m.write(RunCommand, 1));
        else QVERIFY(m.target(1'000'000));
        m.after(2000);
        QVERIFY(m.value(MotorRpm) > 0);
        QVERIFY(m.d.raiseAlarm(7));
        QCOMPARE(m.value(AlarmState), 7);
        QCOMPARE(m.value(MotorRpm), 0);
        QCOMPARE(m.value(MotorCurrent), 0);
        if (type == SpeedControl) QCOMPARE(m.value(RunState), 0);
        const int32_t where = m.position();
        m.after(5000);
        QCOMPARE(m.value(AlarmState), 7);
        QCOMPARE(m.value(MotorRpm), 0);
        QCOMPARE(m.position(), where);
        QVERIFY(m.write(RunCommand, 0));
        QCOMPARE(m.value(AlarmState), 0);
    }

    void alarmClearedFromTheDriversSide()
    {
        Drive m;
        QVERIFY(m.write(SpeedCommand, 1500));
        QVERIFY(m.write(RunCommand, 1));
        QVERIFY(m.d.raiseAlarm(3));
        m.after(1000);
        QCOMPARE(m.value(MotorRpm), 0);
        m.d.clearAlarm();
        QCOMPARE(m.value(AlarmState), 0);
        // The run command still stands, so the drive takes it up again.
        QCOMPARE(m.value(RunState), 1);
        m.after(2000);
        QCOMPARE(m.value(MotorRpm), 1500);
    }

    void alarmCodeMustFitItsRegister()
    {
        Drive m;
        QVERIFY(!m.d.raiseAlarm(0));
        QVERIFY(!m.d.raiseAlarm(-1));
        QVERIFY(!m.d.raiseAlarm(0x10000));
        QCOMPARE(m.value(AlarmState), 0);
        QVERIFY(m.d.raiseAlarm(0xFFFF));
        QCOMPARE(m.value(AlarmState), 0xFFFF);
    }

    // What the master's status read shows of a raised and a cleared alarm, in each layout.
    void statusReadShowsTheAlarm_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("alarmRegister");
        QTest::newRow("speed: register 27") << int(SpeedControl) << 27;
        QTest::newRow("position: register 8") << int(PositionControl) << 8;
    }
    void statusReadShowsTheAlarm()
    {
        QFETCH(int, type);
        QFETCH(int, alarmRegister);
        Line line{ControlType(type)};
        const QByteArray status = readRequest(100, RegisterLayout::quantityOf(type));
        QVERIFY(line.driver->raiseAlarm(2));
        QCOMPARE(line.check(status), int(Applied));
        QCOMPARE(line.image.registerAt(alarmRegister), uint16_t(2));
        QCOMPARE(line.check(writeSingleRequest(100, line.driver->registerOf(RunCommand), 0)), int(Applied));
        QCOMPARE(line.check(status), int(Applied));
        QCOMPARE(line.image.registerAt(alarmRegister), uint16_t(0));
    }

    void freeRotorNeverAlarms()
    {
        Drive m;
        m.d.setLoad(1000);
        QVERIFY(m.write(SpeedCommand, 3000));
        QVERIFY(m.write(RunCommand, 1));
        m.after(10'000);
        QCOMPARE(m.value(AlarmState), 0);
    }

    void currentFollowsLoadAndAcceleration_data()
    {
        QTest::addColumn<int>("load");
        QTest::addColumn<int>("steady");
        QTest::newRow("no load") << 0 << 30;
        QTest::newRow("light load") << 100 << 70;
        QTest::newRow("rated load") << 1000 << 430;
        QTest::newRow("overload, held at the limit") << 3000 << 800;
    }
    void currentFollowsLoadAndAcceleration()
    {
        QFETCH(int, load);
        QFETCH(int, steady);
        Drive m;
        m.d.setLoad(load);
        QVERIFY(m.write(SpeedCommand, 1500));
        QVERIFY(m.write(RunCommand, 1));
        m.after(300);  // accelerating
        const int accelerating = m.value(MotorCurrent);
        QVERIFY2(accelerating >= std::min(800, steady + 300) && accelerating <= 800, qPrintable(QString::number(accelerating)));
        m.after(2000);
        QCOMPARE(m.value(MotorCurrent), steady);
    }

    void parametersActOnlyOnceApplied()
    {
        Drive m;
        QVERIFY(m.write(MaxRpm, 1000));
        QCOMPARE(m.value(MaxRpm), 1000);  // reads back as written
        QVERIFY(m.write(SpeedCommand, 3000));
        QVERIFY(m.write(RunCommand, 1));
        m.after(1500);
        QCOMPARE(m.value(SpeedReference), 3000);
        const QByteArray apply = writeSingleRequest(100, 0xF001, 0xA1A1);
        QCOMPARE(m.d.handle(apply), apply);
        m.after(2500);  // down at the rate of the new maximum: 1000 RPM a second
        QCOMPARE(m.value(SpeedReference), 1000);
    }

    void reportedRegisterSetByHandHoldsUntilTheDriveChangesIt()
    {
        Drive m;
        m.d.setReg(m.d.registerOf(MotorRpm), 1234);
        m.d.setReg(m.d.registerOf(AlarmState), 3);
        m.after(1000);
        QCOMPARE(m.value(MotorRpm), 1234);
        QCOMPARE(m.value(AlarmState), 3);
        QVERIFY(m.write(SpeedCommand, 3000));
        QVERIFY(m.write(RunCommand, 1));
        m.after(2000);
        QCOMPARE(m.value(MotorRpm), 3000);
        // A parameter set by hand is in force at once.
        m.d.setReg(m.d.registerOf(MaxRpm), 2000);
        QCOMPARE(m.d.appliedSettings().maxRpm, 2000);
        m.after(1000);
        QCOMPARE(m.value(SpeedReference), 2000);
    }

    void hourOfStandingIsCheap()
    {
        // Long quiet stretches pass at once: nothing moves, so nothing is stepped.
        Drive m;
        for (int hour = 0; hour < 100; ++hour) m.after(3'600'000);
        QCOMPARE(m.value(MotorRpm), 0);
    }
};

QTEST_GUILESS_MAIN(TestSimMotor)
#include "test_sim_motor.moc"
