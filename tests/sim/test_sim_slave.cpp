// The simulated driver as a Modbus RTU slave behind its simulated port, in virtual time: what
// it answers, from which address, when the bytes come, and the faults it shows.

#include "SimTestKit.h"

#include <QTest>
#include <functional>

using namespace zentor;
using namespace zentor::sim;
using namespace zentor::sim::testing;

class TestSimSlave : public QObject {
    Q_OBJECT
private slots:
    void statusReadOfEachLayout_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("speed control") << int(SpeedControl);
        QTest::newRow("position control") << int(PositionControl);
    }
    void statusReadOfEachLayout()
    {
        QFETCH(int, type);
        Line line{ControlType(type)};
        const int quantity = RegisterLayout::quantityOf(type);
        QCOMPARE(line.check(readRequest(100, quantity)), int(Applied));
        QCOMPARE(line.received().size(), 5 + 2 * quantity);
        auto at = [&](int role) { return line.image.registerAt(RegisterLayout::registerIn(type, role)); };
        QCOMPARE(at(DeviceIdRegister), uint16_t(100));
        QCOMPARE(at(MaxRpm), uint16_t(3000));
        QCOMPARE(at(CurrentLimit), uint16_t(800));
        QCOMPARE(at(LockTime), uint16_t(1000));
        QCOMPARE(at(PoleCount), uint16_t(8));
        QCOMPARE(at(ReducerRatio), uint16_t(1000));
        QCOMPARE(at(AccelTime), uint16_t(1000));
        QCOMPARE(at(DecelTime), uint16_t(1000));
    }

    void readsFromAnyStart()
    {
        Line line;
        line.driver->setReg(40, 0x1234);
        line.driver->setReg(44, 0xABCD);
        const QByteArray answer = line.exchange(WithCrc(bytes({100, 0x03, 0, 40, 0, 5})));
        QCOMPARE(answer.toHex(' '), WithCrc(bytes({100, 3, 10, 0x12, 0x34, 0, 0, 0, 0, 0, 0, 0xAB, 0xCD})).toHex(' '));
    }

    void writeSingleIsEchoedAndStored()
    {
        Line line;
        const QByteArray request = writeSingleRequest(100, 1, 1500);  // SpeedCommand
        QCOMPARE(line.check(request), int(Applied));
        QCOMPARE(line.received().toHex(' '), request.toHex(' '));
        QCOMPARE(line.driver->reg(1), uint16_t(1500));
        QVERIFY(line.settingsChanged);
    }

    void writeMultipleAnswersAddressAndQuantity()
    {
        Line line(PositionControl);
        const QByteArray request = writeMultipleRequest(100, 33, bytes({0xFF, 0xFF, 0xFF, 0xFE}));
        QCOMPARE(line.check(request), int(Applied));
        QCOMPARE(line.received().toHex(' '), WithCrc(bytes({100, 0x10, 0, 33, 0, 2})).toHex(' '));
        QCOMPARE(line.driver->reg(33), uint16_t(0xFFFF));
        QCOMPARE(line.driver->reg(34), uint16_t(0xFFFE));
    }

    void identityQueryIsAnsweredFromTheOwnAddress()
    {
        Line line;
        line.driver->setReg(0, 0x2A);
        QCOMPARE(line.check(readRequest(0, 1)), int(Applied));
        QCOMPARE(line.received().toHex(' '), WithCrc(bytes({0x2A, 3, 2, 0, 0x2A})).toHex(' '));
    }

    void addressChangeIsAnsweredFromTheNewAddress()
    {
        Line line;
        const QByteArray change = writeSingleRequest(100, 0xF000, 0x0107);  // the low byte counts
        QCOMPARE(line.check(change), int(Applied));
        QCOMPARE(uint8_t(line.received()[0]), uint8_t(7));
        QCOMPARE(line.driver->slaveAddress(), 7);
        QVERIFY(line.exchange(readRequest(100, 34)).isEmpty());
        QCOMPARE(line.check(readRequest(7, 34)), int(Applied));
        QCOMPARE(line.image.registerAt(0), uint16_t(7));
        QCOMPARE(line.exchange(readRequest(0, 1)).toHex(' '), WithCrc(bytes({7, 3, 2, 0, 7})).toHex(' '));
    }

    void settingsTakeEffectWhenApplied()
    {
        Line line;
        QCOMPARE(line.check(writeSingleRequest(100, 31, 1500)), int(Applied));          // MaxRpm
        QCOMPARE(line.check(writeMultipleRequest(100, 5, bytes({0, 200, 1, 44}))), int(Applied));  // AccelTime, DecelTime
        QCOMPARE(line.driver->reg(31), uint16_t(1500));
        QCOMPARE(line.driver->appliedSettings().maxRpm, 3000);
        QCOMPARE(line.driver->appliedSettings().accelTimeMs, 1000);

        QCOMPARE(line.check(writeSingleRequest(100, 0xF001, 0x1234)), int(FunctionMismatch));  // not the apply value
        QCOMPARE(line.driver->appliedSettings().maxRpm, 3000);

        const QByteArray apply = writeSingleRequest(100, 0xF001, 0xA1A1);
        QCOMPARE(line.check(apply), int(Applied));
        QCOMPARE(line.received().toHex(' '), apply.toHex(' '));
        QCOMPARE(line.driver->appliedSettings().maxRpm, 1500);
        QCOMPARE(line.driver->appliedSettings().accelTimeMs, 200);
        QCOMPARE(line.driver->appliedSettings().decelTimeMs, 300);
    }

    void exceptions_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("read coils: not served") << WithCrc(bytes({100, 0x01, 0, 0, 0, 8})) << WithCrc(bytes({100, 0x81, 1}));
        QTest::newRow("read input registers: not served") << WithCrc(bytes({100, 0x04, 0, 0, 0, 1})) << WithCrc(bytes({100, 0x84, 1}));
        QTest::newRow("read of no register") << readRequest(100, 0) << WithCrc(bytes({100, 0x83, 3}));
        QTest::newRow("read of 126 registers") << readRequest(100, 126) << WithCrc(bytes({100, 0x83, 3}));
        QTest::newRow("read past the last register") << WithCrc(bytes({100, 3, 0, 250, 0, 10})) << WithCrc(bytes({100, 0x83, 2}));
        QTest::newRow("read of 0xF000") << WithCrc(bytes({100, 3, 0xF0, 0, 0, 1})) << WithCrc(bytes({100, 0x83, 2}));
        QTest::newRow("write outside the map") << writeSingleRequest(100, 0x100, 1) << WithCrc(bytes({100, 0x86, 2}));
        QTest::newRow("write of a reported register") << writeSingleRequest(100, 25, 1) << WithCrc(bytes({100, 0x86, 2}));
        QTest::newRow("address change to 0") << writeSingleRequest(100, 0xF000, 0x100) << WithCrc(bytes({100, 0x86, 3}));
        QTest::newRow("address change to 248, reserved") << writeSingleRequest(100, 0xF000, 248) << WithCrc(bytes({100, 0x86, 3}));
        QTest::newRow("address change to 255, reserved") << writeSingleRequest(100, 0xF000, 0x01FF) << WithCrc(bytes({100, 0x86, 3}));
        QTest::newRow("write multiple, byte count off") << WithCrc(bytes({100, 0x10, 0, 1, 0, 2, 2, 0, 5})) << WithCrc(bytes({100, 0x90, 3}));
        QTest::newRow("write multiple over a reported register")
            << writeMultipleRequest(100, 8, bytes({0, 1, 0, 2, 0, 3})) << WithCrc(bytes({100, 0x90, 2}));
    }
    void exceptions()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        Line line;
        QCOMPARE(line.exchange(request).toHex(' '), answer.toHex(' '));
        // Nothing of a refused write reaches the registers.
        QCOMPARE(line.driver->reg(8), uint16_t(0));
        QCOMPARE(line.driver->reg(25), uint16_t(0));
        QCOMPARE(line.driver->slaveAddress(), 100);
    }

    void silence_data()
    {
        QTest::addColumn<QByteArray>("request");
        QByteArray spoiled = writeSingleRequest(100, 3, 1);
        spoiled[7] = char(spoiled[7] ^ 0x01);
        QTest::newRow("bad checksum") << spoiled;
        QTest::newRow("another slave") << writeSingleRequest(99, 3, 1);
        QTest::newRow("broadcast read of more than the identity") << readRequest(0, 34);
        QTest::newRow("broadcast of another function") << WithCrc(bytes({0, 0x05, 0, 3, 0xFF, 0}));
    }
    void silence()
    {
        QFETCH(QByteArray, request);
        Line line;
        QVERIFY(line.exchange(request).isEmpty());
        QCOMPARE(line.driver->reg(3), uint16_t(0));  // and nothing was done
    }

    // A write to address 0 is carried out by the driver whatever its own address, and never
    // answered; the line then serves the next request as usual.
    void broadcastWritesAreDoneUnanswered_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("slave");
        // The driver has the address 42 when the broadcast comes.
        QTest::newRow("06 run command") << int(SpeedControl) << writeSingleRequest(0, 3, 1) << 3 << 1 << 42;
        QTest::newRow("16 target position") << int(PositionControl) << writeMultipleRequest(0, 33, bytes({0xFF, 0xFF, 0xFF, 0xFE}))
                                            << 34 << 0xFFFE << 42;
        QTest::newRow("06 address change") << int(SpeedControl) << writeSingleRequest(0, 0xF000, 7) << 0 << 7 << 7;
        // Refused as it would be when addressed, and no exception answer either.
        QTest::newRow("06 to a reported register") << int(SpeedControl) << writeSingleRequest(0, 25, 9) << 25 << 0 << 42;
        QTest::newRow("06 address change to 248") << int(SpeedControl) << writeSingleRequest(0, 0xF000, 248) << 0 << 42 << 42;
    }
    void broadcastWritesAreDoneUnanswered()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, request);
        QFETCH(int, reg);
        QFETCH(int, value);
        QFETCH(int, slave);
        Line line{ControlType(type)};
        line.driver->setReg(0, 42);
        QVERIFY(line.exchange(request, 1000).isEmpty());
        QCOMPARE(int(line.driver->reg(reg)), value);
        QCOMPARE(line.driver->slaveAddress(), slave);
        QVERIFY(line.driver->lastAction().startsWith(QLatin1String("broadcast ")));
        QCOMPARE(line.check(readRequest(slave, RegisterLayout::quantityOf(type))), int(Applied));
    }

    void broadcastRespectsTheFaults()
    {
        Line line;
        line.driver->faults().exceptionCode = 4;  // refuses every request: the broadcast too
        QVERIFY(line.exchange(writeSingleRequest(0, 3, 1)).isEmpty());
        QCOMPARE(line.driver->reg(3), uint16_t(0));
        line.driver->faults() = SimFaults();
        line.driver->faults().silent = true;
        QVERIFY(line.exchange(writeSingleRequest(0, 3, 1)).isEmpty());
        QCOMPARE(line.driver->reg(3), uint16_t(0));
    }

    void reservedAddressesAreNeverTheDriversOwn()
    {
        QCOMPARE(SimDriver(SpeedControl, 248).slaveAddress(), 100);
        QCOMPARE(SimDriver(SpeedControl, 247).slaveAddress(), 247);
        SimDriver d(SpeedControl, 5);
        d.setReg(0, 255);  // as its own panel would: refused alike
        QCOMPARE(d.slaveAddress(), 5);
        QCOMPARE(d.reg(0), uint16_t(5));
        d.setReg(0, 0x01F7);
        QCOMPARE(d.slaveAddress(), 247);
    }

    // What the driver says it did, for zentor-sim's log.
    void actionsForTheLog_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("answer");
        QTest::newRow("status read") << readRequest(100, 34) << "read 34 registers from 0" << "answer";
        QTest::newRow("identity") << readRequest(0, 1) << "identity query, answered from address 100" << "answer";
        QTest::newRow("write single") << writeSingleRequest(100, 3, 1) << "write reg 3 = 1" << "answer";
        QTest::newRow("write multiple") << writeMultipleRequest(100, 1, bytes({0x05, 0xDC, 0, 1})) << "write regs 1..2 = 1500 1"
                                        << "answer";
        QTest::newRow("address change") << writeSingleRequest(100, 0xF000, 7) << "address change 100 -> 7" << "answer";
        QTest::newRow("apply") << writeSingleRequest(100, 0xF001, 0xA1A1) << "apply settings" << "answer";
        QTest::newRow("refused") << writeSingleRequest(100, 25, 1) << "exception 02 (register 25 is read-only)" << "exception 02";
        QTest::newRow("broadcast") << writeSingleRequest(0, 4, 1) << "broadcast write reg 4 = 1, not answered" << "";
        QTest::newRow("broadcast refused") << writeSingleRequest(0, 0xF000, 0)
                                           << "broadcast refused: exception 03 (0 is no slave address), not answered" << "";
        QTest::newRow("other address") << readRequest(99, 34) << "ignored: other address 99" << "";
        QTest::newRow("broadcast read") << readRequest(0, 34) << "ignored: broadcast of function 03" << "";
    }
    void actionsForTheLog()
    {
        QFETCH(QByteArray, request);
        Line line;
        QStringList requests, answers;
        QByteArray told;
        size_t burstsBefore = 0;
        line.device.onRequest = [&](const QByteArray& r, const QString& action) {
            told = r;
            requests << action;
        };
        line.device.onAnswerSent = [&](const QByteArray& a, const QString& note) {
            told = a;
            burstsBefore = line.bursts.size();
            answers << note;
        };
        line.send(request);
        QCOMPARE(told, request);
        line.clock.advance(100);
        QCOMPARE(requests.size(), 1);
        if (!answers.isEmpty()) {
            // Told with the last burst, just before it goes: the whole answer.
            QCOMPARE(told, line.received());
            QCOMPARE(burstsBefore + 1, line.bursts.size());
        }
        QTEST(requests[0], "action");
        QFETCH(QString, answer);
        QCOMPARE(answers, answer.isEmpty() ? QStringList{} : QStringList{answer});
    }

    void faultsShowInTheAnswerNote()
    {
        Line line;
        line.driver->faults().wrongAddress = 7;
        line.driver->faults().badChecksum = true;
        line.exchange(readRequest(100, 2));
        QCOMPARE(line.driver->lastAnswer(), QStringLiteral("answer, from address 7 (fault), checksum spoiled (fault)"));
        line.driver->faults() = SimFaults();
        line.driver->faults().silent = true;
        line.exchange(readRequest(100, 2));
        QCOMPARE(line.driver->lastAction(), QStringLiteral("silent"));
        QVERIFY(line.driver->lastAnswer().isEmpty());
    }

    void timing_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("burstBytes");
        QTest::addColumn<int>("latency");
        QTest::addColumn<int>("replyDelay");
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<QList<int>>("sizes");
        const QByteArray echo = writeSingleRequest(100, 3, 1);
        const QByteArray status = readRequest(100, 34);  // 73 bytes back
        // Each burst comes when its last byte is in (10 bits a byte) plus the latency.
        QTest::newRow("echo at 115200") << echo << 115200 << 32 << 1 << 4 << QList<int>{6} << QList<int>{8};
        QTest::newRow("echo at 9600") << echo << 9600 << 32 << 1 << 4 << QList<int>{14} << QList<int>{8};
        QTest::newRow("status read in bursts of 32") << status << 115200 << 32 << 1 << 4 << QList<int>{8, 11, 12}
                                                     << QList<int>{32, 32, 9};
        QTest::newRow("status read whole, slow reply") << status << 115200 << 0 << 0 << 10 << QList<int>{17} << QList<int>{73};
        QTest::newRow("bursts of 16 at 19200") << status << 19200 << 16 << 2 << 4 << QList<int>{15, 23, 31, 40, 45}
                                               << QList<int>{16, 16, 16, 16, 9};
        // Two requests in one write: the driver takes the second once the first answer has gone
        // out, and answers it after its reply delay.
        QTest::newRow("one request at a time") << status + status << 115200 << 32 << 1 << 4
                                               << QList<int>{8, 11, 12, 20, 23, 24} << QList<int>{32, 32, 9, 32, 32, 9};
    }
    void timing()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, baud);
        QFETCH(int, burstBytes);
        QFETCH(int, latency);
        QFETCH(int, replyDelay);
        QFETCH(QList<int>, times);
        QFETCH(QList<int>, sizes);
        SimTiming timing;
        timing.burstBytes = burstBytes;
        timing.burstLatencyMs = latency;
        timing.replyDelayMs = replyDelay;
        Line line(SpeedControl, timing, baud);
        line.clock.advance(1000);
        line.send(request);
        line.clock.advance(200);
        QList<int> gotTimes, gotSizes;
        for (const Burst& b : line.bursts) {
            gotTimes << int(b.at - 1000);
            gotSizes << int(b.bytes.size());
        }
        QCOMPARE(gotTimes, times);
        QCOMPARE(gotSizes, sizes);
    }

    // Requests that come while an answer is on its way wait in a backlog of 16 and are served in
    // order, each when the answer before it has gone out; the backlog full, they are dropped,
    // the first told at once and the others in one line when there is room again.
    void busyDriverServesInOrderWithABoundedBacklog()
    {
        Line line;
        QList<QPair<int, QString>> told;
        line.device.onRequest = [&](const QByteArray& r, const QString& action) {
            told.append({int(line.clock.nowMs() - 1000), action});
            QCOMPARE(r, readRequest(100, 34));
        };
        line.clock.advance(1000);
        QByteArray twenty;
        for (int i = 0; i < 20; ++i) twenty += readRequest(100, 34);
        line.send(twenty);
        line.clock.advance(400);
        const QList<QPair<int, QString>> first = {
            {0, "read 34 registers from 0"},
            {0, "dropped: busy, 16 requests wait"},
            {12, "dropped: busy, 16 requests wait (the last of 2 dropped since the line before)"},
            {12, "read 34 registers from 0"},
            {24, "read 34 registers from 0"},
        };
        QCOMPARE(told.mid(0, 5), first);
        QCOMPARE(told.size(), 3 + 17 - 1);
        QCOMPARE(told.last(), (QPair<int, QString>{192, "read 34 registers from 0"}));
        // Seventeen whole answers, one after another, never mixed.
        QCOMPARE(line.received().size(), 17 * 73);
        QList<int> ends;
        for (const Burst& b : line.bursts)
            if (b.bytes.size() == 9) ends << int(b.at - 1000);
        QCOMPARE(ends.size(), 17);
        QCOMPARE(ends.mid(0, 3), (QList<int>{12, 24, 36}));
        QCOMPARE(ends.last(), 204);
        const QByteArray one = line.received().left(73);
        QCOMPARE(ValidateAndApplyResponse(u8(one), 73, u8(readRequest(100, 34)), line.image, line.settingsChanged), Applied);
        QCOMPARE(line.received().mid(16 * 73), one);
        // Idle again: the next request is served at once.
        QCOMPARE(line.exchange(readRequest(100, 34)).size(), 73);
    }

    void pendingWorkDroppedWhenTheMasterHasGone()
    {
        Line line;
        QStringList requests, answers;
        line.device.onRequest = [&](const QByteArray&, const QString& action) { requests << action; };
        line.device.onAnswerSent = [&](const QByteArray& a, const QString& note) {
            QCOMPARE(a.size(), 73);
            answers << note;
        };
        QByteArray five;
        for (int i = 0; i < 5; ++i) five += readRequest(100, 34);
        line.send(five);
        line.clock.advance(9);  // the first burst of the first answer is out
        line.device.dropPending(QStringLiteral("gone"));
        QCOMPARE(answers, QStringList{"dropped: gone"});
        QCOMPARE(requests, (QStringList{"read 34 registers from 0", "dropped: gone", "dropped: gone", "dropped: gone", "dropped: gone"}));
        line.clock.advance(500);
        QCOMPARE(int(line.bursts.size()), 1);
        QVERIFY(!line.device.isBusy());
        QCOMPARE(line.check(readRequest(100, 34)), int(Applied));
    }

    void splitGapCutsTheAnswerInTwo()
    {
        Line line;
        line.driver->faults().splitGapMs = 40;
        const QByteArray request = readRequest(100, 34);
        line.send(request);
        line.clock.advance(200);
        QCOMPARE(int(line.bursts.size()), 2);
        QCOMPARE(line.bursts[1].at - line.bursts[0].at, int64_t(40));
        QCOMPARE(line.bursts[0].bytes.size(), 36);
        const QByteArray whole = line.received();
        QCOMPARE(ValidateAndApplyResponse(u8(whole), int(whole.size()), u8(request), line.image, line.settingsChanged), Applied);
    }

    void faults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("check");
        QTest::addColumn<QByteArray>("answerStart");
        QTest::newRow("bad checksum") << 0 << int(ChecksumMismatch) << bytes({100, 3, 68});
        QTest::newRow("wrong address") << 1 << int(AddressMismatch) << bytes({7, 3, 68});
        QTest::newRow("exception") << 2 << int(FunctionMismatch) << WithCrc(bytes({100, 0x83, 4}));
        QTest::newRow("wrong function") << 3 << int(FunctionMismatch) << bytes({100, 4, 68});
        QTest::newRow("silent") << 4 << -1 << QByteArray();
    }
    void faults()
    {
        QFETCH(int, fault);
        QFETCH(int, check);
        QFETCH(QByteArray, answerStart);
        const std::function<void(SimFaults&)> set[] = {
            [](SimFaults& f) { f.badChecksum = true; },     [](SimFaults& f) { f.wrongAddress = 7; },
            [](SimFaults& f) { f.exceptionCode = 4; },      [](SimFaults& f) { f.wrongFunction = 4; },
            [](SimFaults& f) { f.silent = true; },
        };
        Line line;
        set[fault](line.driver->faults());
        const QByteArray request = readRequest(100, 34);
        for (int round = 0; round < 2; ++round) {  // applies to every answer while set
            const QByteArray answer = line.exchange(request);
            QVERIFY2(answer.startsWith(answerStart), answer.toHex(' ').constData());
            if (check > 0) {
                QCOMPARE(int(ValidateAndApplyResponse(u8(answer), int(answer.size()), u8(request), line.image, line.settingsChanged)), check);
            } else {
                QVERIFY(answer.isEmpty());
            }
        }
        line.driver->faults() = SimFaults();
        QCOMPARE(line.check(request), int(Applied));
    }

    void faultsLeaveTheRequestUndone_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::newRow("silent") << true;
        QTest::newRow("exception") << false;
    }
    void faultsLeaveTheRequestUndone()
    {
        QFETCH(bool, silent);
        Line line;
        if (silent) line.driver->faults().silent = true;
        else line.driver->faults().exceptionCode = 4;
        line.exchange(writeSingleRequest(100, 3, 1));  // RunCommand
        QCOMPARE(line.driver->reg(3), uint16_t(0));
        QCOMPARE(line.driver->reg(13), uint16_t(0));  // RunState
    }

    void requestInPiecesIsOneRequest()
    {
        Line line;
        const QByteArray request = writeMultipleRequest(100, 1, bytes({0x05, 0xDC, 0, 1}));
        line.send(request.left(3));
        line.clock.advance(2);
        line.send(request.mid(3, 5));
        line.clock.advance(2);
        QVERIFY(line.bursts.empty());
        line.send(request.mid(8));
        line.clock.advance(50);
        QCOMPARE(line.received().toHex(' '), WithCrc(bytes({100, 0x10, 0, 1, 0, 2})).toHex(' '));
    }

    void purgeDropsPendingAnswers()
    {
        Line line;
        line.send(readRequest(100, 34));
        line.clock.advance(9);  // the first burst is in, the others are still on their way
        QCOMPARE(int(line.bursts.size()), 1);
        line.device.purge();
        line.clock.advance(100);
        QCOMPARE(int(line.bursts.size()), 1);
        QCOMPARE(line.check(readRequest(100, 34)), int(Applied));  // and it serves on
    }

    void closeStopsEverything()
    {
        Line line;
        line.send(readRequest(100, 34));
        line.device.close();
        line.clock.advance(100);
        QVERIFY(line.bursts.empty());
        const QByteArray request = readRequest(100, 34);
        QCOMPARE(line.send(request), int64_t(0));
        QVERIFY(line.device.open(115200));
        QCOMPARE(line.check(request), int(Applied));
    }

    void pullOutFailsOnceAndDeliversNothing()
    {
        Line line;
        line.send(readRequest(100, 34));
        line.clock.advance(9);
        QCOMPARE(int(line.bursts.size()), 1);
        line.device.pullOut();
        QCOMPARE(line.failures, 0);  // never from inside the call
        line.clock.runDue();
        QCOMPARE(line.failures, 1);
        line.clock.advance(100);
        QCOMPARE(int(line.bursts.size()), 1);
        const QByteArray request = readRequest(100, 34);
        QCOMPARE(line.send(request), int64_t(0));
        line.device.pullOut();
        line.clock.advance(100);
        QCOMPARE(line.failures, 1);
        QVERIFY(!line.device.open(115200));
    }

    void failureReportSurvivesAPurge()
    {
        Line line;
        line.device.pullOut();
        line.device.purge();  // what a link does when it hears of trouble must not lose the report
        line.clock.runDue();
        QCOMPARE(line.failures, 1);
    }
};

QTEST_GUILESS_MAIN(TestSimSlave)
#include "test_sim_slave.moc"
