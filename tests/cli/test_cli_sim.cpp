// zentor-cli as a program, against its embedded simulated driver in real time: each command's
// round trip, the exit codes, and SIGTERM (Ctrl-Break on Windows) ending a repeated status.

#include "PdfText.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
// Windows has no signals: a console program in a process group of its own is asked to stop by
// Ctrl-Break, which it takes as Ctrl-C.
void startStoppable(QProcess& p, const QStringList& args)
{
    p.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* a) { a->flags |= CREATE_NEW_PROCESS_GROUP; });
    p.start(QStringLiteral(ZENTOR_CLI), args);
}
void interrupt(QProcess& p) { GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(p.processId())); }
// Wine 8 does not deliver a console control event to a program started through pipes.
bool underWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }
void terminate(QProcess& p) { interrupt(p); }
#else
void startStoppable(QProcess& p, const QStringList& args) { p.start(QStringLiteral(ZENTOR_CLI), args); }
void interrupt(QProcess& p) { ::kill(pid_t(p.processId()), SIGINT); }
void terminate(QProcess& p) { ::kill(pid_t(p.processId()), SIGTERM); }
bool underWine() { return false; }
#endif

struct Result {
    int code = -1;
    QString out, err;
};

Result runCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ZENTOR_CLI), args);
    Result r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(5000);
        r.err = QStringLiteral("did not finish");
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// Lines end in CR LF on Windows.
QStringList lines(const QString& text) { return text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts); }

QJsonObject json(const QString& line) { return QJsonDocument::fromJson(line.toUtf8()).object(); }

}  // namespace

class TestCliSim : public QObject {
    Q_OBJECT
private slots:
    void roundTrips_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("firstLine");  // a regular expression
        QTest::newRow("status text") << "--sim status" << 0 << "^speed: \\d+ RPM$";
        QTest::newRow("status position text") << "--sim --type position status" << 0 << "^speed: \\d+ RPM$";
        QTest::newRow("read") << "--sim read 0 2" << 0 << "^0 = \\d+ \\(0x[0-9A-F]{4}\\)$";
        QTest::newRow("write") << "--sim write 1 500" << 0 << "^register 1 = 500 \\(0x01F4\\) confirmed$";
        QTest::newRow("write negative") << "--sim write 2 -1" << 0 << "^register 2 = 65535 \\(0xFFFF\\) confirmed$";
        QTest::newRow("write-position") << "--sim --type position write-position -2" << 0 << "^target position -2 steps confirmed$";
        QTest::newRow("options end at --") << "--sim --type position write-position -- -2" << 0 << "^target position -2 steps confirmed$";
        QTest::newRow("broadcast write") << "--sim --slave 0 write 3 1" << 0
                                         << "^register 3 = 1 \\(0x0001\\) sent as a broadcast \\(address 0\\), not confirmed";
        QTest::newRow("id") << "--sim id" << 0 << "^100$";
        QTest::newRow("set-id answers from the new address") << "--sim set-id 7" << 0 << "^7$";
        QTest::newRow("apply") << "--sim apply" << 0 << "^settings applied$";
        QTest::newRow("ports") << "--sim ports" << 0 << "^SIM-SPEED$";
        QTest::newRow("ports position") << "--sim --type position ports" << 0 << "^SIM-POSITION$";
        QTest::newRow("another slave is silent") << "--sim --slave 7 status" << 4 << "";
        QTest::newRow("bad command line") << "--sim spin" << 2 << "";
        QTest::newRow("missing port") << "--port /nonexistent/port status" << 3 << "";
        QTest::newRow("help") << "--help" << 0 << "^usage: zentor-cli";
        QTest::newRow("sequence list") << "--config " ZENTOR_SEEDED_INI " sequence list speed" << 0 << "^configuration: ";
        QTest::newRow("sequence to a silent slave") << "--sim --slave 7 --config " ZENTOR_SEEDED_INI " sequence run speed" << 4 << "";
        QTest::newRow("sequence file missing") << "--config /nonexistent/Zentor_CFG.ini sequence list" << 2 << "";
    }
    void roundTrips()
    {
        QFETCH(QString, args);
        QFETCH(QString, firstLine);
        const Result r = runCli(args.split(QLatin1Char(' ')));
        QTEST(r.code, "code");
        if (!firstLine.isEmpty()) {
            const QStringList out = lines(r.out);
            QVERIFY2(!out.isEmpty(), qPrintable(r.err));
            QVERIFY2(QRegularExpression(firstLine).match(out[0]).hasMatch(), qPrintable(out[0]));
        }
        if (r.code == 0) QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        else QVERIFY2(r.err.startsWith(QLatin1String("zentor-cli: ")), qPrintable(r.err));
    }

    void statusJsonOfEachType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("roleOfTheType");
        QTest::newRow("speed") << "speed" << "SpeedCommand";
        QTest::newRow("position") << "position" << "PositionHigh";
    }
    void statusJsonOfEachType()
    {
        QFETCH(QString, type);
        QFETCH(QString, roleOfTheType);
        const Result r = runCli({QStringLiteral("--sim"), QStringLiteral("--type"), type, QStringLiteral("--json"),
                                 QStringLiteral("--every"), QStringLiteral("100"), QStringLiteral("--count"),
                                 QStringLiteral("3"), QStringLiteral("status")});
        QCOMPARE(r.code, 0);
        const QStringList out = lines(r.out);
        QCOMPARE(out.size(), 3);
        for (const QString& line : out) {
            const QJsonObject o = json(line);
            QVERIFY2(o.contains(roleOfTheType), qPrintable(line));
            QVERIFY(o.contains(QStringLiteral("MotorRpm")));
            // The low byte of register 0 is the driver's address.
            QCOMPARE(o.value(QStringLiteral("DeviceIdRegister")).toInt() & 0xFF, 100);
        }
    }

    // A checked user sequence as a program: the verdict in its exit status and the PDF report
    // painted without a display.
    void checkedRunWithPdfReport_data()
    {
        QTest::addColumn<QString>("check");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("judged");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("summary");
        QTest::newRow("pass") << "run = ON" << 0 << "run = ON: ON PASS" << "Verdict: PASS"
                              << "verdict: PASS (1 check, 0 failed, 0 incomplete)";
        QTest::newRow("fail") << "run = OFF" << 7 << "run = OFF: ON FAIL" << "Verdict: FAIL (1)"
                              << "verdict: FAIL (1) (1 check, 1 failed, 0 incomplete)";
    }
    void checkedRunWithPdfReport()
    {
        QFETCH(QString, check);
        QFETCH(int, code);
        QFETCH(QString, judged);
        QFETCH(QString, verdict);
        QFETCH(QString, summary);
        QTemporaryDir dir;
        QFile seeded(QStringLiteral(ZENTOR_SEEDED_INI));
        QVERIFY(seeded.open(QIODevice::ReadOnly));
        QFile config(dir.filePath(QStringLiteral("Zentor_CFG.ini")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(seeded.readAll() + "\n[SEQ_TEST_USR]\nSET=1,1,1,Speed\n1=ENABLE-RUN,-,0.5,1\n\n[SEQ_TEST_USR_CHECK]\n"
                                        "FOR=e3e684071e9d229d\n1=" + check.toUtf8() + "\n");
        config.close();
        const QString pdf = dir.filePath(QStringLiteral("unit.pdf"));
        const Result r = runCli({QStringLiteral("--sim"), QStringLiteral("--config"), config.fileName(), QStringLiteral("--unit"),
                                 QStringLiteral("SN-3"), QStringLiteral("--report"), pdf, QStringLiteral("sequence"),
                                 QStringLiteral("run"), QStringLiteral("user")});
        QCOMPARE(r.code, code);
        QVERIFY2(r.out.contains(QStringLiteral("applied; ") + judged), qPrintable(r.out));
        QVERIFY2(r.out.contains(summary), qPrintable(r.out));
        ZENTOR_PDF_TEXT(printed, pdf);
        for (const QString& want : {QStringLiteral("Unit: SN-3"), judged, verdict})
            QVERIFY2(printed.contains(want), qPrintable(want + " not in:\n" + printed));
    }

    // The speed preset played against the embedded driver, and a status read after the END
    // showing what the last steps set: speed 0, direction CCW.
    void sequenceRunThenStatus()
    {
        const Result r = runCli({QStringLiteral("--sim"), QStringLiteral("--json"), QStringLiteral("--status-after"),
                                 QStringLiteral("--config"), QStringLiteral(ZENTOR_SEEDED_INI), QStringLiteral("sequence"),
                                 QStringLiteral("run"), QStringLiteral("speed")});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        const QStringList out = lines(r.out);
        QCOMPARE(out.size(), 9);
        const QList<QPair<int, int>> sent = {{3, 1}, {4, 0}, {2, 0}, {1, 1800}, {2, 1}, {1, 900}, {1, 0}};
        for (int k = 0; k < 7; ++k) {
            const QJsonObject step = json(out[k]);
            QCOMPARE(step.value(QStringLiteral("item")).toInt(), k + 1);
            QCOMPARE(step.value(QStringLiteral("register")).toInt(), sent[k].first);
            QCOMPARE(step.value(QStringLiteral("value")).toInt(), sent[k].second);
            QCOMPARE(step.value(QStringLiteral("result")).toString(), QStringLiteral("applied"));
        }
        QCOMPARE(json(out[7]).value(QStringLiteral("end")).toString(), QStringLiteral("Sequence Test END"));
        const QJsonObject status = json(out[8]);
        QCOMPARE(status.value(QStringLiteral("SpeedCommand")).toInt(), 0);
        QCOMPARE(status.value(QStringLiteral("DirectionCommand")).toInt(), 1);
        QCOMPARE(status.value(QStringLiteral("DirectionFeedback")).toInt(), 1);
    }

    void statusCsvOfTheSimulatedDriver_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("registers");
        QTest::newRow("speed") << "speed" << 34;
        QTest::newRow("position") << "position" << 41;
    }
    void statusCsvOfTheSimulatedDriver()
    {
        QFETCH(QString, type);
        QFETCH(int, registers);
        const Result r = runCli({QStringLiteral("--sim"), QStringLiteral("--type"), type, QStringLiteral("--csv"), QStringLiteral("status")});
        QCOMPARE(r.code, 0);
        const QStringList out = lines(r.out);
        QCOMPARE(out.size(), 2);
        const QStringList header = out[0].split(QLatin1Char(','));
        const QStringList row = out[1].split(QLatin1Char(','));  // no field of a status row needs quotes
        QCOMPARE(header.size(), 15 + registers);
        QCOMPARE(row.size(), header.size());
        QCOMPARE(header.mid(0, 4), (QStringList{"time", "elapsed_ms", "control_type", "rpm"}));
        QCOMPARE(row[2], type);
        QVERIFY2(QDateTime::fromString(row[0], Qt::ISODateWithMs).isValid(), qPrintable(row[0]));
        // Register 0 holds the driver's address.
        QCOMPARE(header[15], QStringLiteral("reg0_DeviceIdRegister"));
        QCOMPARE(row[15].toInt() & 0xFF, 100);
    }

    // Results that cannot be written end the run with 6 and the system's reason, whatever the
    // command: standard output on a full device, or a pipe whose reader has gone.
    void standardOutputThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("target");  // "full" or "closed pipe"
        QTest::addColumn<QByteArray>("err");
        const QStringList commands = {"--sim status",
                                      "--sim --json status",
                                      "--sim read 0 2",
                                      "--sim write 1 500",
                                      "--sim ports",
                                      "--sim --csv --every 10 --count 3 status",
                                      "--config " ZENTOR_SEEDED_INI " sequence list",
                                      "--help"};
        for (const QString& args : commands) {
            QTest::addRow("%s, full", qPrintable(args))
                << args << "full" << QByteArray("zentor-cli: cannot write standard output: No space left on device\n");
            QTest::addRow("%s, closed pipe", qPrintable(args))
                << args << "closed pipe" << QByteArray("zentor-cli: cannot write standard output: Broken pipe\n");
        }
    }
    void standardOutputThatCannotBeWritten()
    {
#ifdef Q_OS_WIN
        QSKIP("a full device and a pipe closed in the child are POSIX; Windows reports the same write failure through the same checked writer");
#else
        QFETCH(QString, args);
        QFETCH(QString, target);
        QProcess p;
        if (target == QLatin1String("full")) {
            p.setStandardOutputFile(QStringLiteral("/dev/full"));
        } else {
            // In the child, just before it starts: standard output becomes a pipe nobody reads.
            p.setChildProcessModifier([] {
                int ends[2];
                if (::pipe(ends) != 0) ::_exit(99);
                ::close(ends[0]);
                ::dup2(ends[1], STDOUT_FILENO);
                ::close(ends[1]);
            });
        }
        p.start(QStringLiteral(ZENTOR_CLI), args.split(QLatin1Char(' ')));
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 6);
        QTEST(p.readAllStandardError(), "err");
#endif
    }

    void sigtermEndsARepeatedStatus()
    {
        if (underWine()) QSKIP("Wine does not deliver Ctrl-Break to a program started through pipes");
        QProcess p;
        startStoppable(p, {QStringLiteral("--sim"), QStringLiteral("--json"), QStringLiteral("--every"), QStringLiteral("100"),
                           QStringLiteral("status")});
        QVERIFY(p.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(p.canReadLine(), 10000);
        terminate(p);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }

    void ctrlCStopsASequence()
    {
        if (underWine()) QSKIP("Wine does not deliver Ctrl-Break to a program started through pipes");
        QProcess p;
        startStoppable(p, {QStringLiteral("--sim"), QStringLiteral("--json"), QStringLiteral("--config"),
                           QStringLiteral(ZENTOR_SEEDED_INI), QStringLiteral("sequence"), QStringLiteral("run"),
                           QStringLiteral("speed")});
        QVERIFY(p.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(p.canReadLine(), 10000);  // the first step has been answered
        interrupt(p);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 130);
        QVERIFY(!p.readAllStandardOutput().contains("Sequence Test END"));
        QCOMPARE(p.readAllStandardError(), QByteArray("zentor-cli: interrupted\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliSim)
#include "test_cli_sim.moc"
