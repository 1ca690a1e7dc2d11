// The port watcher looks at the system's ports only when its provider reports a change, at the
// moment its owner chooses, and follows typed device paths by their folders.

#include "PortWatcher.h"
#include "VirtualClock.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zentor;

namespace {

// Ports that change only when the test says so, and count how often they are listed.
class CountingPorts final : public PortProvider {
public:
    QStringList ports() const override
    {
        ++listings;
        return names;
    }
    std::unique_ptr<SerialDevice> create(const QString&) override { return nullptr; }
    void watchChanges(std::function<void()> changed) override { changed_ = std::move(changed); }
    void change(QStringList now)
    {
        names = std::move(now);
        if (changed_) changed_();
    }
    QStringList names;
    mutable int listings = 0;

private:
    std::function<void()> changed_;
};

}  // namespace

class TestPortWatcher : public QObject {
    Q_OBJECT
private slots:
    void anIdleWatcherNeverListsThePorts()
    {
        VirtualClock clock;
        CountingPorts ports;
        ports.names = {QStringLiteral("ttyUSB0")};
        PortWatcher watcher(clock, ports, ports.names);
        clock.advance(24LL * 3600 * 1000);
        QCOMPARE(ports.listings, 0);
        QCOMPARE(watcher.known(), QStringList{QStringLiteral("ttyUSB0")});
    }

    void aChangeIsLookedAtOnceAfterItSettles()
    {
        VirtualClock clock;
        CountingPorts ports;
        PortWatcher watcher(clock, ports, {});
        QSignalSpy appeared(&watcher, &PortWatcher::appeared);
        QSignalSpy disappeared(&watcher, &PortWatcher::disappeared);
        // A node and its links arrive as a burst of events: one look.
        ports.change({QStringLiteral("ttyUSB0")});
        ports.change({QStringLiteral("ttyUSB0")});
        ports.change({QStringLiteral("ttyUSB0")});
        QCOMPARE(appeared.count(), 0);
        clock.advance(100);
        QCOMPARE(ports.listings, 1);
        QCOMPARE(appeared.count(), 1);
        ports.change({});
        clock.advance(100);
        QCOMPARE(disappeared.count(), 1);
        QCOMPARE(disappeared.at(0).at(0).toString(), QStringLiteral("ttyUSB0"));
    }

    void theOwnerChoosesTheMomentOfALook()
    {
        VirtualClock clock;
        CountingPorts ports;
        PortWatcher watcher(clock, ports, {});
        std::function<void()> putOff;
        watcher.setDeferral([&putOff](std::function<void()> look) { putOff = std::move(look); });
        ports.change({QStringLiteral("ttyACM0")});
        clock.advance(10000);
        QCOMPARE(ports.listings, 0);  // not before the owner runs it
        QVERIFY(putOff);
        putOff();
        QCOMPARE(ports.listings, 1);
        QCOMPARE(watcher.known(), QStringList{QStringLiteral("ttyACM0")});
    }

    void aTypedPathIsKnownWhileItExists()
    {
        VirtualClock clock;
        CountingPorts ports;
        PortWatcher watcher(clock, ports, {});
        QSignalSpy disappeared(&watcher, &PortWatcher::disappeared);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zentor-sim"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        watcher.addTypedPath(path);
        QCOMPARE(watcher.known(), QStringList{path});
        QVERIFY(QFile::remove(path));
        // The folder's own notification tells, without a look at the system's ports.
        QTRY_COMPARE(disappeared.count(), 1);
        QCOMPARE(watcher.known(), QStringList());
        QCOMPARE(ports.listings, 0);
    }
};

QTEST_GUILESS_MAIN(TestPortWatcher)
#include "test_port_watcher.moc"
