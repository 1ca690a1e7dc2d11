// The single-instance lock within one process (two processes: tests/main).

#include "InstanceLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace zentor;

namespace {

int64_t ownPid()
{
#ifdef _WIN32
    return int64_t(GetCurrentProcessId());
#else
    return int64_t(::getpid());
#endif
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

#ifndef _WIN32
int modeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}
#endif

}  // namespace

class TestInstanceLock : public QObject {
    Q_OBJECT

    // The user's home and cache folders for the whole test, so no lock lands in the real ones.
    QTemporaryDir home_;

private slots:
    void initTestCase()
    {
        QVERIFY(home_.isValid());
        qputenv("HOME", QFile::encodeName(home_.path()));
        qunsetenv("XDG_CACHE_HOME");
        qputenv("LOCALAPPDATA", QDir::toNativeSeparators(home_.path()).toLocal8Bit());
    }

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

#ifndef _WIN32
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
#else
    void theDefaultLockIsTheSessionsInTheUsersLocalData()
    {
        const QString path = InstanceLock::defaultPath();
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(home_.path()).filePath(QStringLiteral("Zentor")));
        QVERIFY2(QFileInfo(path).fileName().startsWith(QStringLiteral("zentor-session-")), qPrintable(path));
        InstanceLock lock;
        QVERIFY(lock.acquire());
        QVERIFY(QFileInfo(path).isFile());
    }
#endif

    // Whatever an earlier run, a crash or another machine left in the file, a lock nobody holds
    // is taken over, and then names its new holder.
    void aFileNobodyHoldsIsTakenOver_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("mode");
        QTest::newRow("empty") << QByteArray() << 0600;
        QTest::newRow("garbage") << QByteArray("\xff\xfe\0garbage\n\n", 13) << 0600;
        QTest::newRow("another host's lock") << QByteArray("4242\nzentor\nbench-pc-7\n") << 0600;
        QTest::newRow("a running process's id") << QByteArray("1\ninit\n") << 0600;
        QTest::newRow("read-only") << QByteArray("77\n") << 0400;
    }
    void aFileNobodyHoldsIsTakenOver()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, mode);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zentor.lock"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(content), content.size());
        }
        QVERIFY(QFile::setPermissions(path, mode == 0400 ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner));
        InstanceLock first(path);
        QVERIFY(first.acquire());
        QCOMPARE(contentOf(path).split('\n').value(0), QByteArray::number(ownPid()));

        InstanceLock second(path);
        QVERIFY(!second.acquire());
        QCOMPARE(second.holder().pid, ownPid());
    }

#ifndef _WIN32
    void aLinkInPlaceOfTheFileIsReplacedAndItsTargetLeftAlone()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("precious"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write("keep me\n"), 8);
        f.close();
        const QString path = dir.filePath(QStringLiteral("zentor.lock"));
        QVERIFY(QFile::link(target, path));
        InstanceLock lock(path);
        QVERIFY(lock.acquire());
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(contentOf(target), QByteArray("keep me\n"));
    }
#endif

    void theRefusedStartLearnsWhoHoldsTheLock()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zentor.lock"));
        InstanceLock first(path);
        QVERIFY(first.acquire());
        InstanceLock second(path);
        QVERIFY(!second.acquire());
        QCOMPARE(second.holder().pid, ownPid());
#ifdef _WIN32
        const QString program = QStringLiteral("test_instance_lock");
#else
        const QString program = QStringLiteral("test_instance_l");  // the kernel's name: 15 characters
#endif
        QCOMPARE(second.holder().program, program);
        QCOMPARE(second.holderDescription(), QStringLiteral("Process %1 (%2) holds the lock file %3.")
                                                 .arg(ownPid())
                                                 .arg(program, QDir::toNativeSeparators(path)));
    }

#ifndef _WIN32
    // The lock's folder: the runtime folder only when it is a real folder of the user's that
    // nobody else can enter; otherwise the user's cache folder, never a shared one.
    void theLockLivesWhereOnlyTheUserCanWrite_data()
    {
        QTest::addColumn<QString>("runtime");  // how XDG_RUNTIME_DIR is set up
        QTest::addColumn<bool>("used");
        QTest::newRow("the user's, 0700") << "0700" << true;
        QTest::newRow("open to the group and others") << "0755" << false;
        QTest::newRow("a link to a 0700 folder") << "link" << false;
        QTest::newRow("relative") << "relative" << false;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("unset") << "unset" << false;
        if (::geteuid() == 0) QTest::newRow("someone else's") << "other-owner" << false;
    }
    void theLockLivesWhereOnlyTheUserCanWrite()
    {
        QFETCH(QString, runtime);
        QFETCH(bool, used);
        QTemporaryDir base;
        const QString real = base.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkdir(real));
        QVERIFY(::chmod(QFile::encodeName(real).constData(), runtime == QLatin1String("0755") ? 0755 : 0700) == 0);
        QString value = real;
        if (runtime == QLatin1String("link")) {
            value = base.filePath(QStringLiteral("run-link"));
            QVERIFY(QFile::link(real, value));
        } else if (runtime == QLatin1String("relative")) {
            value = QStringLiteral("run");
        } else if (runtime == QLatin1String("missing")) {
            value = base.filePath(QStringLiteral("gone"));
        } else if (runtime == QLatin1String("other-owner")) {
            QVERIFY(::chown(QFile::encodeName(real).constData(), 4321, 4321) == 0);
        }
        if (runtime == QLatin1String("unset"))
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(value));

        InstanceLock lock;
        const QString path = lock.path();
        QCOMPARE(InstanceLock::defaultPath(), path);
        qunsetenv("XDG_RUNTIME_DIR");
        const QString cacheFolder = QDir(home_.path()).filePath(QStringLiteral(".cache/zentor"));
        QCOMPARE(QFileInfo(path).absolutePath(), used ? real : cacheFolder);
        if (!used) {
            QCOMPARE(modeOf(cacheFolder), 0700);
            QCOMPARE(QFileInfo(cacheFolder).ownerId(), uint(::geteuid()));
            QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("zentor-%1-").arg(::geteuid())));
        }
        QVERIFY(lock.acquire());
        QVERIFY(QFileInfo(path).isFile());
    }

    void theCacheFolderIsMadeTheUsersOwn()
    {
        qunsetenv("XDG_RUNTIME_DIR");
        QTemporaryDir cache;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        const QString folder = cache.filePath(QStringLiteral("zentor"));
        // A folder the user made open to others is closed again.
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
        QCOMPARE(QFileInfo(InstanceLock::defaultPath()).absolutePath(), folder);
        QCOMPARE(modeOf(folder), 0700);
        // A link in its place is never followed: no lock, and nothing keeps the console out.
        QVERIFY(QDir().rmdir(folder));
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), folder));
        QCOMPARE(InstanceLock::defaultPath(), QString());
        InstanceLock lock;
        QVERIFY(lock.acquire());
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        qunsetenv("XDG_CACHE_HOME");
    }
#endif
};

QTEST_APPLESS_MAIN(TestInstanceLock)
#include "test_instance_lock.moc"
