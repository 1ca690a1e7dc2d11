// The serial link over a fake port: how bursts gather into one frame under the receive-busy
// rule, the wrap of the receive buffer, the three notifications and their order, the write
// time-out per baud rate, port numbering, and a port that fails or will not open.

#include "SerialLink.h"
#include "VirtualClock.h"

#include <QTest>
#include <vector>

using namespace zentor;

namespace {

// A port whose bursts the test delivers by hand and whose writes it records.
class FakeDevice final : public SerialDevice {
public:
    explicit FakeDevice(bool& alive) : alive_(alive) { alive_ = true; }
    ~FakeDevice() override { alive_ = false; }
    bool open(int baud) override
    {
        openedAt = baud;
        return opens;
    }
    int64_t write(const uint8_t* data, int64_t count, int timeoutMs) override
    {
        written.append(reinterpret_cast<const char*>(data), int(count));
        lastTimeoutMs = timeoutMs;
        return acceptsBytes < 0 ? count : std::min<int64_t>(count, acceptsBytes);
    }
    void purge() override { ++purges; }
    void close() override { closed = true; }

    void deliver(const QByteArray& bytes) { onReceived(bytes); }

    bool opens = true;
    int acceptsBytes = -1;  // < 0: every byte
    int openedAt = 0;
    int lastTimeoutMs = -1;
    int purges = 0;
    bool closed = false;
    QByteArray written;

private:
    bool& alive_;
};

class FakePorts final : public PortProvider {
public:
    QStringList ports() const override { return {QStringLiteral("COM12"), QStringLiteral("ttyUSB0")}; }
    std::unique_ptr<SerialDevice> create(const QString& name) override
    {
        if (!ports().contains(name) && !name.startsWith(QLatin1Char('/'))) return nullptr;
        auto d = std::make_unique<FakeDevice>(deviceAlive);
        d->opens = opens;
        d->acceptsBytes = acceptsBytes;
        last = d.get();
        return d;
    }
    bool opens = true;
    int acceptsBytes = -1;
    bool deviceAlive = false;
    FakeDevice* last = nullptr;  // valid while deviceAlive
};

// Records every notification as text, in the order they come.
class Owner final : public SerialLinkOwner {
public:
    void OnSerialRx(int port, int length) override { log.push_back(QStringLiteral("rx %1 %2").arg(port).arg(length)); }
    void OnSerialClosed(int port) override { log.push_back(QStringLiteral("closed %1").arg(port)); }
    void OnSerialTx(int port, int written) override { log.push_back(QStringLiteral("tx %1 %2").arg(port).arg(written)); }
    void OnSerialFailed(int port, const QString& name) override
    {
        log.push_back(QStringLiteral("failed %1 %2").arg(port).arg(name));
    }
    std::vector<QString> log;
};

struct Fixture {
    VirtualClock clock;
    FakePorts ports;
    Owner owner;
    CSerialLink link{&owner, clock, ports};
    FakeDevice& device() { return *ports.last; }
    bool open(const QString& name = QStringLiteral("COM12")) { return link.Open(name); }
};

QByteArray frameOf(const CSerialLink& link)
{
    return QByteArray(reinterpret_cast<const char*>(link.receiveBuffer), link.lastIndex + 1);
}

QByteArray counting(int n, int from = 1)
{
    QByteArray b;
    for (int i = 0; i < n; ++i) b.append(static_cast<char>((from + i) & 0xFF));
    return b;
}

bool restIsZero(const CSerialLink& link, int from)
{
    for (int i = from; i < CSerialLink::kBufferSize; ++i)
        if (link.receiveBuffer[i] != 0) return false;
    return true;
}

}  // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private slots:
    void burstsGatherIntoOneFrameWhileReceiveBusy()
    {
        Fixture f;
        QVERIFY(f.open());
        const QByteArray answer = QByteArray::fromHex("64060040000140");
        f.device().deliver(answer.left(3));
        QCOMPARE(f.link.receiveBusy, 1);
        f.device().deliver(answer.mid(3));
        QCOMPARE(f.link.lastIndex, 6);
        QCOMPARE(frameOf(f.link), answer);
        QCOMPARE(f.owner.log, (std::vector<QString>{"rx 11 3", "rx 11 7"}));
    }

    void byteAfterTheFrameWasTakenStartsANewOne()
    {
        Fixture f;
        QVERIFY(f.open());
        f.device().deliver(counting(7, 0x10));
        f.link.receiveBusy = 0;  // the owner took the frame
        f.device().deliver(QByteArray(1, char(0xAB)));
        QCOMPARE(f.link.lastIndex, 0);
        QCOMPARE(f.link.frameIndex, 1);
        QCOMPARE(f.link.receiveBuffer[0], uint8_t(0xAB));
        QVERIFY(restIsZero(f.link, 1));
        QCOMPARE(f.owner.log.back(), QStringLiteral("rx 11 1"));
    }

    void moreThanTheBufferWrapsAndOverwrites_data()
    {
        QTest::addColumn<QList<int>>("bursts");
        QTest::newRow("one burst of 1030") << QList<int>{1030};
        QTest::newRow("1020 then 10") << QList<int>{1020, 10};
        QTest::newRow("exactly 1024 then 6") << QList<int>{1024, 6};
    }
    void moreThanTheBufferWrapsAndOverwrites()
    {
        QFETCH(QList<int>, bursts);
        Fixture f;
        QVERIFY(f.open());
        QByteArray all = counting(1030);
        int at = 0;
        for (int n : bursts) {
            f.device().deliver(all.mid(at, n));
            at += n;
        }
        QCOMPARE(f.link.frameIndex, 6);
        QCOMPARE(f.link.lastIndex, 5);
        // Bytes 1024..1029 overwrote the start; byte 1023 still sits at the end.
        for (int i = 0; i < 6; ++i) QCOMPARE(f.link.receiveBuffer[i], uint8_t(all[1024 + i]));
        QCOMPARE(f.link.receiveBuffer[6], uint8_t(all[6]));
        QCOMPARE(f.link.receiveBuffer[1023], uint8_t(all[1023]));
        QCOMPARE(f.owner.log.back(), QStringLiteral("rx 11 6"));
    }

    void notificationsComeInOrderAndClosedOnceThroughTheClock()
    {
        Fixture f;
        QVERIFY(f.open());
        const uint8_t request[] = {0x64, 0x03, 0x00, 0x00, 0x00, 0x22, 0xCC, 0x3A};
        QCOMPARE(f.link.Write(request, 8), 8);
        QCOMPARE(f.link.transmitBusy, 1);
        QCOMPARE(f.device().written, QByteArray(reinterpret_cast<const char*>(request), 8));
        f.device().deliver(counting(5));
        f.link.Stop();
        f.link.Stop();
        QCOMPARE(f.link.connected, 0);
        // The closed notification is posted, never delivered inside Stop.
        QCOMPARE(f.owner.log, (std::vector<QString>{"tx 11 8", "rx 11 5"}));
        QCOMPARE(f.link.threadRunning, 1);
        f.clock.advance(10);
        QCOMPARE(f.owner.log, (std::vector<QString>{"tx 11 8", "rx 11 5", "closed 11"}));
        QCOMPARE(f.link.threadRunning, 0);
        f.link.Stop();
        f.clock.advance(1000);
        QCOMPARE(f.owner.log.size(), size_t(3));
    }

    void stoppedLinkWritesNothingAndIgnoresBytes()
    {
        Fixture f;
        QVERIFY(f.open());
        f.link.Stop();
        f.clock.runDue();
        f.owner.log.clear();
        const uint8_t request[] = {1, 2, 3};
        QCOMPARE(f.link.Write(request, 3), 0);
        QVERIFY(f.device().written.isEmpty());
        f.device().deliver(counting(4));
        QVERIFY(f.owner.log.empty());
        QCOMPARE(f.link.lastIndex, 0);
    }

    void writeOnANeverOpenedLinkReturnsZero()
    {
        Fixture f;
        const uint8_t request[] = {1, 2, 3};
        QCOMPARE(f.link.Write(request, 3), 0);
        QVERIFY(f.owner.log.empty());
    }

    void shortWriteIsReportedAsWritten()
    {
        Fixture f;
        f.ports.acceptsBytes = 5;
        QVERIFY(f.open());
        const uint8_t request[8] = {};
        QCOMPARE(f.link.Write(request, 8), 5);
        QCOMPARE(f.owner.log, (std::vector<QString>{"tx 11 5"}));
    }

    void writeTimeoutFollowsTheBaudRate_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("multiplier");
        QTest::newRow("115200: no time-out") << 115200 << 0;
        QTest::newRow("38400") << 38400 << 0;
        QTest::newRow("19200") << 19200 << 1;
        QTest::newRow("9600") << 9600 << 2;
        QTest::newRow("4800") << 4800 << 4;
    }
    void writeTimeoutFollowsTheBaudRate()
    {
        QFETCH(int, baud);
        QFETCH(int, multiplier);
        Fixture f;
        f.link.baudRate = baud;
        QCOMPARE(f.link.WriteTimeoutMultiplier(), multiplier);
        QVERIFY(f.open());
        QCOMPARE(f.device().openedAt, baud);
        const uint8_t request[8] = {};
        f.link.Write(request, 8);
        QCOMPARE(f.device().lastTimeoutMs, multiplier * 8);
    }

    void portIndexOfTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("COM12") << "COM12" << 11;
        QTest::newRow("COM1") << "COM1" << 0;
        QTest::newRow("com3") << "com3" << 2;
        QTest::newRow("ttyUSB0") << "ttyUSB0" << -1;
        QTest::newRow("COM") << "COM" << -1;
        QTest::newRow("COM0") << "COM0" << -1;
        QTest::newRow("COMX") << "COMX" << -1;
        QTest::newRow("path") << "/dev/pts/5" << -1;
    }
    void portIndexOfTheName()
    {
        QFETCH(QString, name);
        QTEST(CSerialLink::ComPortIndex(name), "index");
    }

    void notificationsCarryThePortIndex()
    {
        Fixture f;
        QVERIFY(f.open(QStringLiteral("COM12")));
        QCOMPARE(int(f.link.portIndex), 11);
        const uint8_t b[] = {1};
        f.link.Write(b, 1);
        f.device().deliver(counting(2));
        f.link.Stop();
        f.clock.runDue();
        QCOMPARE(f.owner.log, (std::vector<QString>{"tx 11 1", "rx 11 2", "closed 11"}));
    }

    void aNameWithoutComNumberGetsItsOwnIndex()
    {
        Fixture f;
        QVERIFY(f.open(QStringLiteral("ttyUSB0")));
        const int own = f.link.portIndex;
        // Never the index of a COM port (0..255 for COM1..COM256), and small.
        QVERIFY(own >= 256);
        QVERIFY(own < 65536);
        f.device().deliver(counting(1));
        QCOMPARE(f.owner.log.back(), QStringLiteral("rx %1 1").arg(own));

        Fixture g;
        QVERIFY(g.open(QStringLiteral("/dev/pts/5")));
        QVERIFY(g.link.portIndex != own);  // two open links are told apart by their index
    }

    void failingDevicePostsOneFailure()
    {
        Fixture f;
        QVERIFY(f.open());
        f.device().onFailed();
        // Told after the device's own call has returned, so the owner may destroy the link.
        QVERIFY(f.owner.log.empty());
        f.clock.runDue();
        QCOMPARE(f.owner.log, (std::vector<QString>{"failed 11 COM12"}));
        f.clock.advance(1000);
        QCOMPARE(f.owner.log.size(), size_t(1));
    }

    void failureAfterTheLinkIsGoneIsDropped()
    {
        VirtualClock clock;
        FakePorts ports;
        Owner owner;
        {
            CSerialLink link(&owner, clock, ports);
            QVERIFY(link.Open(QStringLiteral("COM12")));
            ports.last->onFailed();
            link.Stop();
        }
        clock.advance(100);
        QVERIFY(owner.log.empty());
        QVERIFY(!ports.deviceAlive);
    }

    void failedOpenLeavesNoDevice_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("deviceOpens");
        QTest::newRow("device refuses") << "COM12" << false;
        QTest::newRow("no such port") << "COM99" << true;
    }
    void failedOpenLeavesNoDevice()
    {
        QFETCH(QString, name);
        QFETCH(bool, deviceOpens);
        Fixture f;
        f.ports.opens = deviceOpens;
        QVERIFY(!f.link.Open(name));
        QVERIFY(!f.ports.deviceAlive);
        QCOMPARE(f.link.connected, 0);
        QCOMPARE(f.link.threadRunning, 0);
        const uint8_t b[] = {1};
        QCOMPARE(f.link.Write(b, 1), 0);
        f.link.Stop();  // no closed notification for a link that never ran
        f.clock.advance(100);
        QVERIFY(f.owner.log.empty());
    }

    void closeLetsGoOfThePort()
    {
        Fixture f;
        QVERIFY(f.open());
        FakeDevice* d = f.ports.last;
        QVERIFY(d->purges >= 1);  // open starts with both directions empty
        const int before = d->purges;
        f.link.Stop();
        QVERIFY(d->purges > before);
        f.link.Close();
        QVERIFY(!f.ports.deviceAlive);
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "test_serial_link.moc"
