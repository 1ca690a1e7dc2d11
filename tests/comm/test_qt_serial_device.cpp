// The serial devices (QSerialPort's, and where there is one the plain terminal device of the
// tools) against a real pseudo-terminal pair made by socat: bytes both ways in bursts on the
// owner's thread, purge, a failed open, and the pair going away under it. Every case runs for
// each device.

#include "OpenFailureAdvice.h"
#ifndef _WIN32
#include "PosixSerialDevice.h"
#endif
#include "QtSerialDevice.h"
#include "SystemPorts.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>
#include <unistd.h>

using namespace zentor;

namespace {

// Two linked pseudo terminals, a and b, as long as the socat process lives.
struct PtyPair {
    QTemporaryDir dir;
    QProcess socat;
    QString a, b;

    bool start()
    {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("socat"));
        if (exe.isEmpty() || !dir.isValid()) return false;
        a = dir.filePath(QStringLiteral("a"));
        b = dir.filePath(QStringLiteral("b"));
        socat.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        socat.start(exe, {QStringLiteral("pty,raw,echo=0,link=") + a, QStringLiteral("pty,raw,echo=0,link=") + b});
        if (!socat.waitForStarted(5000)) return false;
        for (int i = 0; i < 500; ++i) {
            if (QFileInfo::exists(a) && QFileInfo::exists(b)) return true;
            QThread::msleep(10);
        }
        return false;
    }
    ~PtyPair()
    {
        if (socat.state() != QProcess::NotRunning) {
            socat.terminate();
            if (!socat.waitForFinished(3000)) socat.kill();
            socat.waitForFinished(3000);
        }
    }
};

// Gathers what a device hands over, and on which thread.
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

// A device of the kind the test row names, with its own open flag.
struct Device {
    std::unique_ptr<SerialDevice> device;
    std::function<bool()> isOpen;
    SerialDevice* operator->() { return device.get(); }
    SerialDevice& operator*() { return *device; }
};

Device makeDevice(const QString& name)
{
    QFETCH_GLOBAL(bool, plain);
#ifndef _WIN32
    if (plain) {
        auto d = std::make_unique<PosixSerialDevice>(name);
        PosixSerialDevice* p = d.get();
        return {std::move(d), [p] { return p->isOpen(); }};
    }
#else
    (void)plain;
#endif
    auto d = std::make_unique<QtSerialDevice>(name);
    QtSerialDevice* q = d.get();
    return {std::move(d), [q] { return q->isOpen(); }};
}

}  // namespace

class TestQtSerialDevice : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data()
    {
        QTest::addColumn<bool>("plain");
        QTest::newRow("QSerialPort") << false;
#ifndef _WIN32
        QTest::newRow("terminal device") << true;
#endif
    }

    void bytesGoBothWaysOnTheOwnersThread()
    {
        PtyPair pair;
        if (!pair.start()) QSKIP("socat is not available");
        QFETCH_GLOBAL(bool, plain);
        SystemPortProvider ports(plain ? SystemPortProvider::PlainDevices : SystemPortProvider::QtDevices);
        auto a = ports.create(pair.a);  // a symlink to /dev/pts/N, not in the system list
        auto b = ports.create(pair.b);
        QVERIFY(a && b);
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
    }

    void purgeDropsWhatIsWaiting()
    {
        PtyPair pair;
        if (!pair.start()) QSKIP("socat is not available");
        Device a = makeDevice(pair.a), b = makeDevice(pair.b);
        QVERIFY(a->open(115200));
        QVERIFY(b->open(115200));
        Collector atB;
        atB.attach(*b);
        const QByteArray stale = QByteArray::fromHex("0102030405");
        QCOMPARE(a->write(u8(stale), stale.size(), 0), int64_t(stale.size()));
        QThread::msleep(500);  // the bytes reach b's queue; b's owner does not run meanwhile
        b->purge();
        const QByteArray fresh = QByteArray::fromHex("aabb");
        QCOMPARE(a->write(u8(fresh), fresh.size(), 0), int64_t(fresh.size()));
        QTRY_COMPARE_WITH_TIMEOUT(atB.bytes, fresh, 5000);
    }

    void closedOrFailedToOpenWritesNothing()
    {
        QTemporaryDir dir;
        Device missing = makeDevice(dir.filePath(QStringLiteral("none")));
        QVERIFY(!missing->open(115200));
        QVERIFY(!missing->openFailure().system.isEmpty());
        const uint8_t b[] = {1, 2};
        QCOMPARE(missing->write(b, 2, 0), int64_t(0));

        PtyPair pair;
        if (!pair.start()) QSKIP("socat is not available");
        Device a = makeDevice(pair.a);
        QVERIFY(a->open(115200));
        a->close();
        QVERIFY(!a.isOpen());
        QCOMPARE(a->write(b, 2, 0), int64_t(0));
    }

    void aFailedOpenSaysWhy()
    {
        PtyPair pair;
        if (!pair.start()) QSKIP("socat is not available");
        QTemporaryDir dir;

        Device missing = makeDevice(dir.filePath(QStringLiteral("none")));
        QVERIFY(!missing->open(115200));
        QCOMPARE(missing->openFailure().kind, OpenFailure::NotFound);
        QVERIFY(ExplainOpenFailure(missing->openFailure(), QStringLiteral("ttyUSB9"), 115200).contains(QLatin1String("ttyUSB9")));

        // Another program has the port: the second open is told it is busy, not forbidden.
        Device first = makeDevice(pair.a);
        QVERIFY(first->open(115200));
        Device second = makeDevice(pair.a);
        QVERIFY(!second->open(115200));
        QCOMPARE(second->openFailure().kind, OpenFailure::Busy);
        QVERIFY(ExplainOpenFailure(second->openFailure(), pair.a, 115200).contains(QLatin1String("in use by another program")));
        // Once the first lets go, the port opens again.
        first->close();
        QVERIFY(second->open(115200));

        if (::geteuid() == 0) QSKIP("root may open any device: the refusal cannot be shown here");
        const QString forbidden = dir.filePath(QStringLiteral("forbidden"));
        QFile f(forbidden);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner));
        Device refused = makeDevice(forbidden);
        QVERIFY(!refused->open(115200));
        QCOMPARE(refused->openFailure().kind, OpenFailure::PermissionDenied);
        QVERIFY(ExplainOpenFailure(refused->openFailure(), forbidden, 115200).contains(QLatin1String("dialout")));
    }

    void pairGoingAwayIsReportedOnceAfterTheSignal()
    {
        auto pair = std::make_unique<PtyPair>();
        if (!pair->start()) QSKIP("socat is not available");
        Device b = makeDevice(pair->b);
        QVERIFY(b->open(115200));
        Collector atB;
        atB.attach(*b);
        pair.reset();  // socat ends: the pseudo terminal is gone under the open port
        QTRY_COMPARE_WITH_TIMEOUT(atB.failures, 1, 5000);
        QTest::qWait(300);
        QCOMPARE(atB.failures, 1);
        QVERIFY(!b.isOpen());
        const uint8_t one[] = {1};
        QCOMPARE(b->write(one, 1, 0), int64_t(0));
        b->close();
    }
};

QTEST_GUILESS_MAIN(TestQtSerialDevice)
#include "test_qt_serial_device.moc"
