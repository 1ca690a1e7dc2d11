// The single-instance lock within one process (two processes: tests/main).

#include "InstanceLock.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zentor;

class TestInstanceLock : public QObject {
    Q_OBJECT
private slots:
    void secondHolderIsRefusedUntilTheFirstLetsGo()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zentor.lock"));
        auto first = std::make_unique<InstanceLock>(path);
        QVERIFY(first->acquire());
        InstanceLock second(path);
        QVERIFY(!second.acquire());
        first.reset();
        QVERIFY(second.acquire());
    }

    void aLockThatCannotBeWrittenDoesNotClaimAnotherConsole()
    {
        InstanceLock lock(QStringLiteral("/nonexistent-folder-of-zentor/zentor.lock"));
        QVERIFY(lock.acquire());
    }

    void theDefaultLockIsAnAbsolutePath()
    {
        qputenv("TMPDIR", "/nonexistent-folder-of-zentor");
        QVERIFY(QDir::isAbsolutePath(InstanceLock::defaultPath()));
        QVERIFY(!InstanceLock::defaultPath().startsWith(QStringLiteral("/nonexistent")));
    }
};

QTEST_APPLESS_MAIN(TestInstanceLock)
#include "test_instance_lock.moc"
