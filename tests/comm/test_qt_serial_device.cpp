// The QSerialPort device against a real pseudo-terminal pair made by socat: bytes both ways
// in bursts on the owner's thread, purge, a failed open, and the pair going away under it.

#include "OpenFailureAdvice.h"
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

}  // namespace

class TestQtSerialDevice : public QObject {
    Q_OBJECT
private slots:
    void bytesGoBothWaysOnTheOwnersThread()
    {
        PtyPair pair;
        if (!pair.start()) QSKIP("socat is not available");
        SystemPortProvider ports;
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
        QtSerialDevice a(pair.a), b(pair.b);
        QVERIFY(a.open(115200));
        QVERIFY(b.open(115200));
        Collector atB;
        atB.attach(b);
        const QByteArray stale = QByteArray::fromHex("0102030405");
        QCOMPARE(a.write(u8(stale), stale.size(), 0), int64_t(stale.size()));
        QThread::msleep(500);  // the bytes reach b's queue; b's owner does not run meanwhile
        b.purge();
        const QByteArray fresh = QByteArray::fromHex("aabb");
        QCOMPARE(a.write(u8(fresh), fresh.size(), 0), int64_t(fresh.size()));
        QTRY_COMPARE_WITH_TIMEOUT(atB.bytes, fresh, 5000);
    }

    void closedOrFailedToOpenWritesNothing()
    {
        QTemporaryDir dir;
        QtSerialDevice missing(dir.filePath(QStringLiteral("none")));
        QVERIFY(!missing.open(115200));
        QVERIFY(!missing.openFailure().system.isEmpty());
        const uint8_t b[] = {1, 2};
        QCOMPARE(missing.write(b, 2, 0), int64_t(0));

        PtyPair pair;
        if (!pair.start()) QSKIP("socat is not available");
        QtSerialDevice a(pair.a);
        QVERIFY(a.open(115200));
        a.close();
        QCOMPARE(a.write(b, 2, 0), int64_t(0));
    }

    void aFailedOpenSaysWhy()
    {
        PtyPair pair;
        if (!pair.start()) QSKIP("socat is not available");
        QTemporaryDir dir;

        QtSerialDevice missing(dir.filePath(QStringLiteral("none")));
        QVERIFY(!missing.open(115200));
        QCOMPARE(missing.openFailure().kind, OpenFailure::NotFound);
        QVERIFY(ExplainOpenFailure(missing.openFailure(), QStringLiteral("ttyUSB9"), 115200).contains(QLatin1String("ttyUSB9")));

        // Another program has the port: the second open is told it is busy, not forbidden.
        QtSerialDevice first(pair.a);
        QVERIFY(first.open(115200));
        QtSerialDevice second(pair.a);
        QVERIFY(!second.open(115200));
        QCOMPARE(second.openFailure().kind, OpenFailure::Busy);
        QVERIFY(ExplainOpenFailure(second.openFailure(), pair.a, 115200).contains(QLatin1String("in use by another program")));

        if (::geteuid() == 0) QSKIP("root may open any device: the refusal cannot be shown here");
        const QString forbidden = dir.filePath(QStringLiteral("forbidden"));
        QFile f(forbidden);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner));
        QtSerialDevice refused(forbidden);
        QVERIFY(!refused.open(115200));
        QCOMPARE(refused.openFailure().kind, OpenFailure::PermissionDenied);
        QVERIFY(ExplainOpenFailure(refused.openFailure(), forbidden, 115200).contains(QLatin1String("dialout")));
    }

    void pairGoingAwayIsReportedOnceAfterTheSignal()
    {
        auto pair = std::make_unique<PtyPair>();
        if (!pair->start()) QSKIP("socat is not available");
        QtSerialDevice b(pair->b);
        QVERIFY(b.open(115200));
        Collector atB;
        atB.attach(b);
        pair.reset();  // socat ends: the pseudo terminal is gone under the open port
        QTRY_COMPARE_WITH_TIMEOUT(atB.failures, 1, 5000);
        QTest::qWait(300);
        QCOMPARE(atB.failures, 1);
        QVERIFY(!b.isOpen());
        const uint8_t one[] = {1};
        QCOMPARE(b.write(one, 1, 0), int64_t(0));
        b.close();
    }
};

QTEST_GUILESS_MAIN(TestQtSerialDevice)
#include "test_qt_serial_device.moc"
