// Two real console processes: the second sees that one runs; a killed one blocks nothing.

#include <QDir>
#include <QElapsedTimer>
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
        // The lock goes to the temporary folder, not to a runtime folder another console uses.
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        return env;
    }
    void startConsole(QProcess& p, QStringList args)
    {
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(ZENTOR_BIN), args << QStringLiteral("--print-messages") << QStringLiteral("--config")
                                                  << tmp_.filePath(QStringLiteral("Zentor_CFG.ini")));
        QVERIFY(p.waitForStarted(10000));
    }
    bool lockTaken() const
    {
        const QStringList files = QDir(tmp_.path()).entryList({QStringLiteral("zentor-*.lock")}, QDir::Files);
        return !files.isEmpty();
    }

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
        QCOMPARE(QString::fromLocal8Bit(second.readAllStandardOutput()).trimmed(), QStringLiteral("Program is already running"));
        QCOMPARE(first.state(), QProcess::Running);

        // The first instance dies without cleaning up after itself.
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(lockTaken());

        QProcess third;
        startConsole(third, {QStringLiteral("--quit-after"), QStringLiteral("500")});
        QVERIFY(third.waitForFinished(20000));
        QCOMPARE(third.exitCode(), 0);
        QVERIFY(third.readAllStandardOutput().trimmed().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
