// The console's own command line: each option and its value, and a clear message with exit 2
// for a value that is no number, out of range, empty or missing, before any window opens.

#include "ConsoleOptions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace zentor;

class TestConsoleOptions : public QObject {
    Q_OBJECT
private slots:
    void accepted()
    {
        const ConsoleOptionsParse p = ParseConsoleOptions({"--simulator", "--print-messages", "--quit-after", "0x10",
                                                           "--config=cfg/Z.ini"});
        QVERIFY2(p.ok, qPrintable(p.error));
        QVERIFY(p.options.simulator);
        QVERIFY(p.options.printMessages);
        QCOMPARE(p.options.quitAfterMs, 16);
        QCOMPARE(p.options.configPath, QDir::current().filePath(QStringLiteral("cfg/Z.ini")));
        QCOMPARE(ParseConsoleOptions({"--quit-after=2147483647"}).options.quitAfterMs, 2147483647);
        const ConsoleOptionsParse none = ParseConsoleOptions({});
        QVERIFY(none.ok);
        QCOMPARE(none.options.quitAfterMs, 0);
        QVERIFY(none.options.configPath.isEmpty());
        QVERIFY(ParseConsoleOptions({"-h"}).options.help);
    }

    void refused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("no number") << QStringList{"--quit-after", "abc"} << "--quit-after must be 1..2147483647 ms, not abc";
        QTest::newRow("negative") << QStringList{"--quit-after", "-5"} << "--quit-after must be 1..2147483647 ms, not -5";
        QTest::newRow("beyond the timer") << QStringList{"--quit-after", "3000000000"}
                                          << "--quit-after must be 1..2147483647 ms, not 3000000000";
        QTest::newRow("zero") << QStringList{"--quit-after", "0"} << "--quit-after must be 1..2147483647 ms, not 0";
        QTest::newRow("trailing text") << QStringList{"--quit-after=500ms"} << "--quit-after must be 1..2147483647 ms, not 500ms";
        QTest::newRow("missing number") << QStringList{"--simulator", "--quit-after"} << "--quit-after needs a value";
        QTest::newRow("empty number") << QStringList{"--quit-after", ""} << "--quit-after needs a value";
        QTest::newRow("empty file") << QStringList{"--config", ""} << "--config needs a file";
        QTest::newRow("empty inline file") << QStringList{"--config="} << "--config needs a file";
        QTest::newRow("missing file") << QStringList{"--config"} << "--config needs a value";
        QTest::newRow("unknown") << QStringList{"--simulate"} << "unknown option --simulate";
        QTest::newRow("unknown short") << QStringList{"-x"} << "unknown option -x";
        QTest::newRow("a flag with a value") << QStringList{"--simulator=1"} << "--simulator takes no value";
        QTest::newRow("stray word") << QStringList{"simulator"} << "unexpected argument simulator";
    }
    void refused()
    {
        QFETCH(QStringList, args);
        const ConsoleOptionsParse p = ParseConsoleOptions(args);
        QVERIFY(!p.ok);
        QTEST(p.error, "error");
    }

    // The program says it on stderr and ends with 2 before it looks for a running console.
    void programEndsWithUsageError_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("no number") << QStringList{"--quit-after", "abc"}
                                   << QByteArray("zentor: --quit-after must be 1..2147483647 ms, not abc\ntry zentor --help\n");
        QTest::newRow("empty file") << QStringList{"--config", ""}
                                    << QByteArray("zentor: --config needs a file\ntry zentor --help\n");
    }
    void programEndsWithUsageError()
    {
        QFETCH(QStringList, args);
        QTemporaryDir runtime;  // Qt would say on stderr that it lacks one
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(QStringLiteral(ZENTOR_BIN), args);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 2);
        QFETCH(QByteArray, err);
#ifdef Q_OS_WIN
        err.replace("\n", "\r\n");  // standard error is a text stream there
#endif
        QCOMPARE(p.readAllStandardError(), err);
        QVERIFY(p.readAllStandardOutput().isEmpty());
    }

#ifndef Q_OS_WIN
    // What the console prints for a rig (its usage, its messages) that cannot be written ends
    // it with 6 and a line on stderr, not with 0 as if the rig had seen it.
    void standardOutputThatCannotBeWritten_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("usage") << QStringList{"--help"};
        // a file too large to be the configuration: the console says so at start-up
        QTest::newRow("a message at start-up") << QStringList{"--print-messages", "--quit-after", "20000", "--config", "BIG"};
    }
    void standardOutputThatCannotBeWritten()
    {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        QFile big(dir.filePath(QStringLiteral("Zentor_CFG.ini")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(1024 * 1024 + 1));
        big.close();
        args.replaceInStrings(QStringLiteral("BIG"), big.fileName());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess p;
        p.setProcessEnvironment(environment);
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        QElapsedTimer took;
        took.start();
        p.start(QStringLiteral(ZENTOR_BIN), args);
        QVERIFY(p.waitForFinished(30000));
        QVERIFY2(took.elapsed() < 15000, "the console went on after its message was lost");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 6);
        QCOMPARE(p.readAllStandardError(), QByteArray("zentor: cannot write standard output: No space left on device\n"));
    }
#endif
};

QTEST_GUILESS_MAIN(TestConsoleOptions)
#include "test_console_options.moc"
