// Simulated drivers as ports: the list, a driver that keeps its state across re-opens, and
// adapters pulled out and plugged back in.

#include "SimTestKit.h"

#include <QTest>

using namespace zentor;
using namespace zentor::sim;
using namespace zentor::sim::testing;

namespace {

struct Opened {
    std::unique_ptr<SerialDevice> device;
    std::vector<QByteArray> received;
    int failures = 0;
};

std::unique_ptr<Opened> openPort(SimPortProvider& ports, const QString& name, int baud = 115200)
{
    auto o = std::make_unique<Opened>();
    o->device = ports.create(name);
    if (!o->device) return nullptr;
    Opened* raw = o.get();
    o->device->onReceived = [raw](const QByteArray& b) { raw->received.push_back(b); };
    o->device->onFailed = [raw] { ++raw->failures; };
    if (!o->device->open(baud)) return nullptr;
    return o;
}

int64_t send(Opened& o, const QByteArray& frame) { return o.device->write(u8(frame), frame.size(), 0); }

}  // namespace

class TestSimPorts : public QObject {
    Q_OBJECT
private slots:
    void listsThePortsAsAdded()
    {
        VirtualClock clock;
        SimPortProvider ports(clock);
        ports.addPort(SimPortProvider::speedPortName(), SpeedControl);
        ports.addPort(SimPortProvider::positionPortName(), PositionControl, 7);
        ports.addPort(QStringLiteral("BENCH"), SpeedControl, 3);
        QCOMPARE(ports.ports(), (QStringList{"SIM-SPEED", "SIM-POSITION", "BENCH"}));
        QCOMPARE(ports.driver(QStringLiteral("SIM-POSITION"))->type(), PositionControl);
        QCOMPARE(ports.driver(QStringLiteral("SIM-POSITION"))->slaveAddress(), 7);
        QVERIFY(!ports.create(QStringLiteral("COM3")));
        QVERIFY(!ports.driver(QStringLiteral("COM3")));
    }

    void driverKeepsItsStateWhileThePortIsClosed()
    {
        VirtualClock clock;
        SimPortProvider ports(clock);
        ports.addPort(QStringLiteral("SIM-SPEED"), SpeedControl);
        auto first = openPort(ports, QStringLiteral("SIM-SPEED"));
        QVERIFY(first);
        send(*first, writeSingleRequest(100, 1, 3000));
        send(*first, writeSingleRequest(100, 3, 1));
        clock.advance(50);
        first->device->close();
        first.reset();
        clock.advance(3000);  // the motor runs on meanwhile
        auto second = openPort(ports, QStringLiteral("SIM-SPEED"));
        QVERIFY(second);
        const QByteArray request = readRequest(100, 34);
        send(*second, request);
        clock.advance(50);
        QByteArray answer;
        for (const QByteArray& b : second->received) answer += b;
        RegisterImage image;
        bool changed = false;
        QCOMPARE(ValidateAndApplyResponse(u8(answer), int(answer.size()), u8(request), image, changed), Applied);
        QCOMPARE(image.registerAt(13), uint16_t(1));     // RunState
        QCOMPARE(image.registerAt(25), uint16_t(3000));  // MotorRpm
    }

    void pullingFailsTheOpenDeviceAndPluggingBringsThePortBack()
    {
        VirtualClock clock;
        SimPortProvider ports(clock);
        ports.addPort(QStringLiteral("SIM-SPEED"), SpeedControl);
        ports.addPort(QStringLiteral("SIM-POSITION"), PositionControl);
        auto open = openPort(ports, QStringLiteral("SIM-SPEED"));
        QVERIFY(open);
        send(*open, readRequest(100, 34));
        ports.pull(QStringLiteral("SIM-SPEED"));
        QCOMPARE(open->failures, 0);
        QVERIFY(!ports.isPresent(QStringLiteral("SIM-SPEED")));
        QCOMPARE(ports.ports(), QStringList{"SIM-POSITION"});
        QVERIFY(!ports.create(QStringLiteral("SIM-SPEED")));
        clock.advance(100);
        QCOMPARE(open->failures, 1);
        QVERIFY(open->received.empty());  // the answer on its way was lost with the adapter
        QCOMPARE(send(*open, readRequest(100, 34)), int64_t(0));

        ports.plugIn(QStringLiteral("SIM-SPEED"));
        QCOMPARE(ports.ports(), (QStringList{"SIM-SPEED", "SIM-POSITION"}));
        auto again = openPort(ports, QStringLiteral("SIM-SPEED"));
        QVERIFY(again);
        send(*again, readRequest(100, 34));
        clock.advance(100);
        QVERIFY(!again->received.empty());
        QCOMPARE(open->failures, 1);  // the old device stays failed and quiet
        QCOMPARE(send(*open, readRequest(100, 34)), int64_t(0));
    }

    void theDriverAnswersOnlyAtItsOwnLineRate_data()
    {
        QTest::addColumn<int>("lineBaud");  // 0: the port is added without a rate
        QTest::addColumn<int>("openedAt");
        QTest::addColumn<bool>("answered");
        QTest::newRow("115200 by default") << 0 << 115200 << true;
        QTest::newRow("9600 against the default") << 0 << 9600 << false;
        QTest::newRow("a driver at 9600") << 9600 << 9600 << true;
        QTest::newRow("115200 against a driver at 9600") << 9600 << 115200 << false;
    }
    void theDriverAnswersOnlyAtItsOwnLineRate()
    {
        QFETCH(int, lineBaud);
        QFETCH(int, openedAt);
        VirtualClock clock;
        SimPortProvider ports(clock);
        if (lineBaud) ports.addPort(QStringLiteral("SIM-SPEED"), SpeedControl, 100, lineBaud);
        else ports.addPort(QStringLiteral("SIM-SPEED"), SpeedControl);
        auto open = openPort(ports, QStringLiteral("SIM-SPEED"), openedAt);
        QVERIFY(open);
        const QByteArray request = writeSingleRequest(100, 1, 1500);
        QCOMPARE(send(*open, request), int64_t(request.size()));  // the bytes leave either way
        clock.advance(200);
        QTEST(!open->received.empty(), "answered");
        // Heard as noise, the request did nothing either.
        QCOMPARE(ports.driver(QStringLiteral("SIM-SPEED"))->reg(1), uint16_t(open->received.empty() ? 0 : 1500));
    }

    void pullingAfterTheDeviceIsGoneOrClosed()
    {
        VirtualClock clock;
        SimPortProvider ports(clock);
        ports.addPort(QStringLiteral("SIM-SPEED"), SpeedControl);
        auto closed = openPort(ports, QStringLiteral("SIM-SPEED"));
        QVERIFY(closed);
        closed->device->close();
        openPort(ports, QStringLiteral("SIM-SPEED")).reset();  // handed out and destroyed
        ports.pull(QStringLiteral("SIM-SPEED"));
        clock.advance(100);
        QCOMPARE(closed->failures, 0);  // a closed port has nobody to tell
    }
};

QTEST_GUILESS_MAIN(TestSimPorts)
#include "test_sim_ports.moc"
