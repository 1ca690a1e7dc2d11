// Two real console processes: the second sees that one runs and which process it is; a killed
// one blocks nothing, nor does the lock file it leaves, whatever is in it.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

class TestSingleInstance : public QObject {
    Q_OBJECT
private:
    QTemporaryDir tmp_;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), tmp_.path());
        // The lock goes to this test's cache folder, not to a runtime folder another console
        // uses, and never to the temporary folder.
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), tmp_.filePath(QStringLiteral("cache")));
        return env;
    }
    void startConsole(QProcess& p, QStringList args)
    {
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(ZENTOR_BIN), args << QStringLiteral("--print-messages") << QStringLiteral("--config")
                                                  << tmp_.filePath(QStringLiteral("Zentor_CFG.ini")));
        QVERIFY(p.waitForStarted(10000));
    }
    QString lockFile() const
    {
        const QDir folder(tmp_.filePath(QStringLiteral("cache/zentor")));
        const QStringList files = folder.entryList({QStringLiteral("zentor-*.lock")}, QDir::Files);
        return files.size() == 1 ? folder.filePath(files[0]) : QString();
    }
    // The lock file names the process that holds it.
    QByteArray lockHolder() const
    {
        QFile f(lockFile());
        return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed() : QByteArray();
    }
    bool lockTaken() const { return !lockHolder().isEmpty(); }

private slots:
    void secondStartIsRefusedAndAKilledInstanceBlocksNothing()
    {
        QVERIFY(tmp_.isValid());
        QProcess first;
        startConsole(first, {QStringLiteral("--simulator")});
        QElapsedTimer waited;
        waited.start();
        while (!lockTaken() && waited.elapsed() < 20000) QThread::msleep(50);
        QVERIFY(lockTaken());

        QProcess second;
        startConsole(second, {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 1);
        QCOMPARE(lockHolder(), QByteArray::number(first.processId()));
        QCOMPARE(QString::fromLocal8Bit(second.readAllStandardOutput()).split(QLatin1Char('\n')),
                 (QStringList{QStringLiteral("Program is already running"),
                              QStringLiteral("Process %1 (zentor) holds the lock file %2.").arg(first.processId()).arg(lockFile()),
                              QString()}));
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(QDir(tmp_.path()).entryList({QStringLiteral("*.lock")}, QDir::Files).isEmpty());

        // The first instance dies without cleaning up after itself, and its file is spoiled.
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QFile left(lockFile());
        QVERIFY(left.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QByteArray spoiled("\xff garbage\nzentor\nother-host\n");
        QCOMPARE(left.write(spoiled), spoiled.size());
        left.close();

        QProcess third;
        startConsole(third, {QStringLiteral("--quit-after"), QStringLiteral("500")});
        QVERIFY(third.waitForFinished(20000));
        QCOMPARE(third.exitCode(), 0);
        QVERIFY(third.readAllStandardOutput().trimmed().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
