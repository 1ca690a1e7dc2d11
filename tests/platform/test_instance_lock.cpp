// The single-instance lock within one process (two processes: tests/main).

#include "InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <unistd.h>
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
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", "/nonexistent-folder-of-zentor");
        QVERIFY(QDir::isAbsolutePath(InstanceLock::defaultPath()));
        QVERIFY(!InstanceLock::defaultPath().startsWith(QStringLiteral("/nonexistent")));
        qunsetenv("TMPDIR");
    }

    void theDefaultLockBelongsToTheUserWhateverTheEnvironmentSays()
    {
        // With USER unset or naming someone else, two users must not share one lock.
        qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("USER");
        const QString withoutUser = InstanceLock::defaultPath();
        qputenv("USER", "someone-else");
        QCOMPARE(InstanceLock::defaultPath(), withoutUser);
        QVERIFY(withoutUser.contains(QString::number(::getuid())));
    }

    void theRuntimeFolderHoldsTheLockWhenThereIsOne()
    {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        QCOMPARE(QFileInfo(InstanceLock::defaultPath()).absolutePath(), QFileInfo(runtime.path()).absoluteFilePath());
        qputenv("XDG_RUNTIME_DIR", "/nonexistent-folder-of-zentor");
        QVERIFY(!InstanceLock::defaultPath().startsWith(QStringLiteral("/nonexistent")));
        qunsetenv("XDG_RUNTIME_DIR");
    }
};

QTEST_APPLESS_MAIN(TestInstanceLock)
#include "test_instance_lock.moc"
