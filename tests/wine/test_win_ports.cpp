// The Windows serial device and port list: the system's error codes as the operator's advice,
// the device path of a port name, a failed open, the device-change messages the console
// listens to, and, when a pair of linked ports is given (ZENTOR_COM_PAIR="COM7 COM8", made by
// with_com_pair.sh from a socat pair under Wine), bytes both ways in bursts on the owner's
// thread and purge.

#include "OpenFailureAdvice.h"
#include "SystemPorts.h"
#include "WinSerialDevice.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <memory>

#include <windows.h>
#include <dbt.h>

using namespace zentor;

namespace {

struct Collector {
    QByteArray bytes;
    int bursts = 0;
    int failures = 0;
    bool offThread = false;
    void attach(SerialDevice& d)
    {
        d.onReceived = [this](const QByteArray& b) {
            bytes += b;
            ++bursts;
            if (QThread::currentThread() != QCoreApplication::instance()->thread()) offThread = true;
        };
        d.onFailed = [this] { ++failures; };
    }
};

const uint8_t* u8(const QByteArray& a) { return reinterpret_cast<const uint8_t*>(a.constData()); }

QStringList pair() { return qEnvironmentVariable("ZENTOR_COM_PAIR").split(QLatin1Char(' '), Qt::SkipEmptyParts); }

}  // namespace

class TestWinPorts : public QObject {
    Q_OBJECT
private slots:
    void errorCodesGiveTheAdvice_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("advice");
        QTest::newRow("access denied") << 5u << int(OpenFailure::Busy) << "COM3 is in use by another program";
        QTest::newRow("sharing violation") << 32u << int(OpenFailure::Busy) << "COM3 is in use by another program";
        QTest::newRow("file not found") << 2u << int(OpenFailure::NotFound) << "COM3 is not there";
        QTest::newRow("path not found") << 3u << int(OpenFailure::NotFound) << "COM3 is not there";
        QTest::newRow("device not connected") << 1167u << int(OpenFailure::NotFound) << "COM3 is not there";
        QTest::newRow("general failure") << 31u << int(OpenFailure::Other) << "COM3 could not be opened";
    }
    void errorCodesGiveTheAdvice()
    {
        QFETCH(uint, code);
        QFETCH(int, kind);
        QFETCH(QString, advice);
        QCOMPARE(int(WinSerialDevice::FailureKind(code)), kind);
        QVERIFY(ExplainOpenFailure({OpenFailure::Kind(kind), QString()}, QStringLiteral("COM3"), 115200).startsWith(advice));
    }

    void devicePaths_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("COM1") << "COM1" << "\\\\.\\COM1";
        QTest::newRow("COM10 needs the device path") << "COM10" << "\\\\.\\COM10";
        QTest::newRow("COM256") << "COM256" << "\\\\.\\COM256";
        QTest::newRow("already a path") << "\\\\.\\COM12" << "\\\\.\\COM12";
    }
    void devicePaths()
    {
        QFETCH(QString, name);
        QTEST(WinSerialDevice::DevicePath(name), "path");
    }

    void aMissingPortIsNotThere()
    {
        SystemPortProvider ports;
        QVERIFY(!ports.ports().contains(QStringLiteral("COM249")));
        auto d = ports.create(QStringLiteral("COM249"));
        QVERIFY(d);
        QVERIFY(!d->open(115200));
        QCOMPARE(d->openFailure().kind, OpenFailure::NotFound);
        QVERIFY(!d->openFailure().system.isEmpty());
        const uint8_t b[] = {1, 2};
        QCOMPARE(d->write(b, 2, 0), int64_t(0));
    }

    void portDeviceChangesAreHeard_data()
    {
        QTest::addColumn<uint>("message");
        QTest::addColumn<qulonglong>("event");
        QTest::addColumn<uint>("deviceType");
        QTest::addColumn<bool>("heard");
        QTest::newRow("a port arrived") << uint(WM_DEVICECHANGE) << qulonglong(DBT_DEVICEARRIVAL) << uint(DBT_DEVTYP_PORT) << true;
        QTest::newRow("a port was removed") << uint(WM_DEVICECHANGE) << qulonglong(DBT_DEVICEREMOVECOMPLETE) << uint(DBT_DEVTYP_PORT) << true;
        QTest::newRow("a disk arrived") << uint(WM_DEVICECHANGE) << qulonglong(DBT_DEVICEARRIVAL) << uint(DBT_DEVTYP_VOLUME) << false;
        QTest::newRow("a port asks to be removed") << uint(WM_DEVICECHANGE) << qulonglong(DBT_DEVICEQUERYREMOVE) << uint(DBT_DEVTYP_PORT) << false;
        QTest::newRow("another message") << uint(WM_TIMER) << qulonglong(DBT_DEVICEARRIVAL) << uint(DBT_DEVTYP_PORT) << false;
    }
    void portDeviceChangesAreHeard()
    {
        QFETCH(uint, message);
        QFETCH(qulonglong, event);
        QFETCH(uint, deviceType);
        QFETCH(bool, heard);
        DEV_BROADCAST_PORT_W port{};
        port.dbcp_size = sizeof port;
        port.dbcp_devicetype = deviceType;
        wcscpy(port.dbcp_name, L"COM7");
        MSG msg{};
        msg.message = message;
        msg.wParam = WPARAM(event);
        msg.lParam = reinterpret_cast<LPARAM>(&port);
        QCOMPARE(IsPortDeviceChange(&msg), heard);

        // The provider hears it as the window's native events pass the application's filters.
        SystemPortProvider ports;
        int changes = 0;
        ports.watchChanges([&changes] { ++changes; });
        qintptr result = 0;
        QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &msg, &result);
        QCOMPARE(changes, heard ? 1 : 0);
        ports.watchChanges({});
        QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &msg, &result);
        QCOMPARE(changes, heard ? 1 : 0);
    }

    void bytesGoBothWaysOnTheOwnersThread()
    {
        const QStringList names = pair();
        if (names.size() != 2) QSKIP("no linked pair of ports (with_com_pair.sh makes one)");
        // Wine lists only the ports it made itself, not links added to its device folder.
        SystemPortProvider ports;
        auto a = ports.create(names[0]);
        auto b = ports.create(names[1]);
        QVERIFY(a->open(115200));
        QVERIFY(b->open(9600));
        Collector atA, atB;
        atA.attach(*a);
        atB.attach(*b);
        const QByteArray request = QByteArray::fromHex("6403000000298de1");
        QCOMPARE(a->write(u8(request), request.size(), 0), int64_t(request.size()));
        QTRY_COMPARE_WITH_TIMEOUT(atB.bytes, request, 5000);
        const QByteArray answer = QByteArray::fromHex("640600400001402b");
        QCOMPARE(b->write(u8(answer), answer.size(), 2 * int(answer.size())), int64_t(answer.size()));
        QTRY_COMPARE_WITH_TIMEOUT(atA.bytes, answer, 5000);
        QVERIFY(!atA.offThread && !atB.offThread);
        QCOMPARE(atA.failures + atB.failures, 0);
        // Two writes far apart arrive as two bursts, nothing is read twice.
        QTest::qWait(200);
        const int before = atB.bursts;
        QCOMPARE(a->write(u8(request), request.size(), 0), int64_t(request.size()));
        QTRY_COMPARE_WITH_TIMEOUT(atB.bytes, request + request, 5000);
        QTest::qWait(300);
        QCOMPARE(a->write(u8(answer), answer.size(), 0), int64_t(answer.size()));
        QTRY_COMPARE_WITH_TIMEOUT(atB.bytes, request + request + answer, 5000);
        QVERIFY(atB.bursts >= before + 2);
        a->close();
        QCOMPARE(a->write(u8(request), request.size(), 0), int64_t(0));
    }

    void purgeDropsWhatIsWaiting()
    {
        const QStringList names = pair();
        if (names.size() != 2) QSKIP("no linked pair of ports (with_com_pair.sh makes one)");
        WinSerialDevice a(names[0]), b(names[1]);
        QVERIFY(a.open(115200));
        QVERIFY(b.open(115200));
        Collector atB;
        atB.attach(b);
        const QByteArray stale = QByteArray::fromHex("0102030405");
        QCOMPARE(a.write(u8(stale), stale.size(), 0), int64_t(stale.size()));
        QThread::msleep(500);  // the bytes reach b; b's owner does not run meanwhile
        b.purge();
        const QByteArray fresh = QByteArray::fromHex("aabb");
        QCOMPARE(a.write(u8(fresh), fresh.size(), 0), int64_t(fresh.size()));
        QTRY_COMPARE_WITH_TIMEOUT(atB.bytes, fresh, 5000);
    }
};

QTEST_GUILESS_MAIN(TestWinPorts)
#include "test_win_ports.moc"
