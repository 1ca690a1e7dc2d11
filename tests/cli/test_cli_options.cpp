// The command line of zentor-cli: what each command and option parses to, and every kind of
// bad command line refused with a reason.

#include "CliOptions.h"

#include <QTest>

using namespace zentor;
using namespace zentor::cli;

Q_DECLARE_METATYPE(zentor::cli::Command)

namespace {
QStringList split(const QString& line) { return line.split(QLatin1Char(' '), Qt::SkipEmptyParts); }
}  // namespace

class TestCliOptions : public QObject {
    Q_OBJECT
private slots:
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("min");
        QTest::addColumn<qlonglong>("max");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qlonglong>("value");
        QTest::newRow("decimal") << "1500" << 0LL << 65535LL << true << 1500LL;
        QTest::newRow("hex") << "0xF000" << 0LL << 65535LL << true << 0xF000LL;
        QTest::newRow("hex upper X") << "0XA1a1" << 0LL << 65535LL << true << 0xA1A1LL;
        QTest::newRow("negative") << "-2" << -32768LL << 65535LL << true << -2LL;
        QTest::newRow("negative hex") << "-0x10" << -32768LL << 65535LL << true << -16LL;
        QTest::newRow("plus") << "+7" << 0LL << 10LL << true << 7LL;
        QTest::newRow("above max") << "65536" << 0LL << 65535LL << false << 0LL;
        QTest::newRow("below min") << "-32769" << -32768LL << 65535LL << false << 0LL;
        QTest::newRow("not a number") << "12a" << 0LL << 65535LL << false << 0LL;
        QTest::newRow("bare 0x") << "0x" << 0LL << 65535LL << false << 0LL;
        QTest::newRow("empty") << "" << 0LL << 65535LL << false << 0LL;
        QTest::newRow("double sign") << "--5" << -10LL << 10LL << false << 0LL;
        QTest::newRow("huge") << "99999999999999999999999" << 0LL << 65535LL << false << 0LL;
        QTest::newRow("decimal point") << "1.5" << 0LL << 65535LL << false << 0LL;
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(qlonglong, min);
        QFETCH(qlonglong, max);
        long long value = 0;
        QTEST(ParseCliNumber(text, min, max, value), "ok");
        QTEST(qlonglong(value), "value");
    }

    void commands_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("regCount");
        QTest::addColumn<int>("value");
        QTest::newRow("ports") << "ports" << Command::Ports << 0 << 1 << 0;
        QTest::newRow("status") << "--port COM3 status" << Command::Status << 0 << 1 << 0;
        QTest::newRow("read one") << "--sim read 25" << Command::Read << 25 << 1 << 0;
        QTest::newRow("read three") << "read 0x19 3 --sim" << Command::Read << 25 << 3 << 0;
        QTest::newRow("read to the end") << "--sim read 100 25" << Command::Read << 100 << 25 << 0;
        QTest::newRow("write") << "--sim write 31 1500" << Command::Write << 31 << 1 << 1500;
        QTest::newRow("write negative") << "--sim write 1 -2" << Command::Write << 1 << 1 << 0xFFFE;
        QTest::newRow("write hex reg") << "--sim write 0xF001 0xA1A1" << Command::Write << 0xF001 << 1 << 0xA1A1;
        QTest::newRow("write lowest") << "--sim write 1 -32768" << Command::Write << 1 << 1 << 0x8000;
        QTest::newRow("id") << "--sim id" << Command::Id << 0 << 1 << 0;
        QTest::newRow("apply") << "--sim apply" << Command::Apply << 0 << 1 << 0;
    }
    void commands()
    {
        QFETCH(QString, line);
        const CliParse p = ParseCliArguments(split(line));
        QVERIFY2(p.ok, qPrintable(p.error));
        QTEST(p.options.command, "command");
        QTEST(p.options.reg, "reg");
        QTEST(p.options.regCount, "regCount");
        QTEST(int(p.options.value), "value");
    }

    void options()
    {
        CliParse p = ParseCliArguments(split(QStringLiteral("status --port /dev/pts/5 --type position --slave 0x07 --baud 9600 --json --every 250 --count 4")));
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.options.port, QStringLiteral("/dev/pts/5"));
        QCOMPARE(p.options.type, PositionControl);
        QCOMPARE(p.options.slave, 7);
        QCOMPARE(p.options.baud, 9600);
        QVERIFY(p.options.json);
        QCOMPARE(p.options.everyMs, 250);
        QCOMPARE(p.options.count, 4);

        p = ParseCliArguments(split(QStringLiteral("--port=COM12 --slave=1 status")));
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.options.port, QStringLiteral("COM12"));
        QCOMPARE(p.options.slave, 1);

        p = ParseCliArguments(split(QStringLiteral("--sim status")));
        QVERIFY(p.ok);
        QCOMPARE(p.options.type, SpeedControl);  // the defaults
        QCOMPARE(p.options.slave, 100);
        QCOMPARE(p.options.baud, 115200);
        QCOMPARE(p.options.everyMs, -1);  // no repeat

        // --every 0 reads back to back.
        p = ParseCliArguments(split(QStringLiteral("--sim --every 0 status")));
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.options.everyMs, 0);

        p = ParseCliArguments(split(QStringLiteral("--sim --type position write-position -2")));
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.options.steps, -2);
        p = ParseCliArguments(split(QStringLiteral("--sim --type position write-position 2147483647")));
        QVERIFY(p.ok);
        QCOMPARE(p.options.steps, INT32_MAX);

        // "--" ends the options: what follows is the command and its arguments.
        p = ParseCliArguments(split(QStringLiteral("write-position --port P --type position -- -2")));
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.options.command, Command::WritePosition);
        QCOMPARE(p.options.steps, -2);
        p = ParseCliArguments(split(QStringLiteral("--sim -- write 3 -1")));
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.options.reg, 3);
        QCOMPARE(int(p.options.value), 0xFFFF);

        p = ParseCliArguments(split(QStringLiteral("--sim set-id 7")));
        QVERIFY(p.ok);
        QCOMPARE(p.options.newAddress, 7);

        p = ParseCliArguments(split(QStringLiteral("--help")));
        QVERIFY(p.ok);
        QVERIFY(p.options.help);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("nothing") << "" << "no command";
        QTest::newRow("unknown command") << "--sim spin" << "unknown command spin";
        QTest::newRow("unknown option") << "--sim --fast status" << "unknown option --fast";
        QTest::newRow("single-dash option") << "--sim -x status" << "unknown option -x";
        QTest::newRow("option without value") << "status --port" << "--port needs a value";
        QTest::newRow("flag with value") << "--sim --json=1 status" << "takes no value";
        QTest::newRow("no port") << "status" << "no port given";
        QTest::newRow("sim and port") << "--sim --port COM3 status" << "exclude each other";
        QTest::newRow("bad type") << "--sim --type torque status" << "--type must be speed or position";
        QTest::newRow("slave too high") << "--sim --slave 248 status" << "--slave must be 0..247";
        QTest::newRow("slave negative") << "--sim --slave -1 status" << "--slave must be 0..247";
        QTest::newRow("baud zero") << "--sim --baud 0 status" << "--baud";
        QTest::newRow("every above a day") << "--sim --every 86400001 status" << "--every must be 0..86400000";
        QTest::newRow("count zero") << "--sim --count 0 status" << "--count";
        QTest::newRow("json on write") << "--sim --json write 1 2" << "for status only";
        QTest::newRow("every on read") << "--sim --every 100 read 1" << "for status only";
        QTest::newRow("csv on read") << "--sim --csv read 1" << "--csv and --output are for status only";
        QTest::newRow("output on write") << "--sim --output f.csv write 1 2" << "--csv and --output are for status only";
        QTest::newRow("csv and json") << "--sim --csv --json status" << "--csv and --json exclude each other";
        QTest::newRow("output without a file") << "--sim status --output" << "--output needs a value";
        QTest::newRow("output empty") << "--sim --output= status" << "--output needs a file";
        QTest::newRow("read no register") << "--sim read" << "wrong number of arguments";
        QTest::newRow("read too many args") << "--sim read 1 2 3" << "wrong number of arguments";
        QTest::newRow("read past the image") << "--sim read 120 6" << "at most 125";
        QTest::newRow("read count zero") << "--sim read 1 0" << "count must be";
        QTest::newRow("read register 125") << "--sim read 125" << "register must be";
        QTest::newRow("write one arg") << "--sim write 1" << "wrong number of arguments";
        QTest::newRow("write register too big") << "--sim write 65536 1" << "register must be";
        QTest::newRow("write value too big") << "--sim write 1 65536" << "value must be";
        QTest::newRow("write value too small") << "--sim write 1 -32769" << "value must be";
        QTest::newRow("write-position speed") << "--sim write-position 5" << "needs --type position";
        QTest::newRow("write-position too big") << "--sim --type position write-position 2147483648" << "steps must be";
        QTest::newRow("set-id zero") << "--sim set-id 0" << "new address must be 1..247";
        QTest::newRow("set-id 248") << "--sim set-id 248" << "new address must be 1..247";
        QTest::newRow("status with args") << "--sim status 3" << "wrong number of arguments";
        // After "--" nothing is an option, not even "--" again.
        QTest::newRow("option after --") << "--sim -- status --json" << "wrong number of arguments for status";
        QTest::newRow("command after --") << "--sim -- --help" << "unknown command --help";
        QTest::newRow("second --") << "--sim -- write 3 -- 1" << "wrong number of arguments for write";
        QTest::newRow("options before -- still checked") << "--sim --slave 300 -- status" << "--slave must be 0..247";
        QTest::newRow("sequence alone") << "--sim sequence" << "wrong number of arguments for sequence";
        QTest::newRow("sequence verb") << "--sim sequence play speed" << "sequence takes list or run, not play";
        QTest::newRow("sequence run unnamed") << "--sim sequence run" << "sequence run needs speed, position or user";
        QTest::newRow("sequence unknown") << "sequence list torque" << "the sequence is speed, position or user, not torque";
        QTest::newRow("sequence run without port") << "sequence run speed" << "no port given";
        QTest::newRow("preset of the other type") << "--sim --type position sequence run speed"
                                                  << "--type position contradicts the speed preset, a sequence of speed control";
        QTest::newRow("config on status") << "--sim --config x.ini status" << "--config is for sequence only";
        QTest::newRow("status-after on list") << "--status-after sequence list" << "--status-after is for sequence run only";
        QTest::newRow("report of another kind") << "--sim --report unit.txt sequence run user"
                                                << "--report needs a FILE.pdf, FILE.csv or FILE.json";
        QTest::newRow("report without extension") << "--sim --report pdf sequence run user"
                                                  << "--report needs a FILE.pdf, FILE.csv or FILE.json";
        QTest::newRow("unit on status") << "--sim --unit SN-1 status" << "--unit and --report are for sequence run only";
        QTest::newRow("json on sequence list") << "--json sequence list" << "for status only";
        QTest::newRow("every on sequence run") << "--sim --every 100 sequence run speed" << "for status only";
    }
    void refused()
    {
        QFETCH(QString, line);
        QFETCH(QString, reason);
        const CliParse p = ParseCliArguments(split(line));
        QVERIFY(!p.ok);
        QVERIFY2(p.error.contains(reason), qPrintable(p.error));
    }

    void sequenceCommands_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("config");
        QTest::addColumn<bool>("statusAfter");
        QTest::newRow("list all, no port needed") << "sequence list" << Command::SequenceList << "" << int(SpeedControl) << "" << false;
        QTest::newRow("list one from a file") << "sequence list user --config /tmp/z.ini" << Command::SequenceList << "user"
                                              << int(SpeedControl) << "/tmp/z.ini" << false;
        QTest::newRow("run speed") << "--sim sequence run speed" << Command::SequenceRun << "speed" << int(SpeedControl) << "" << false;
        QTest::newRow("run position takes its type") << "--port COM3 --json --status-after sequence run position"
                                                     << Command::SequenceRun << "position" << int(PositionControl) << "" << true;
        QTest::newRow("run position with its own type") << "--sim --type position sequence run position" << Command::SequenceRun
                                                        << "position" << int(PositionControl) << "" << false;
        // The user sequence's type comes from the file; a --type given is checked against it then.
        QTest::newRow("run user") << "--sim --type position sequence run user" << Command::SequenceRun << "user"
                                  << int(PositionControl) << "" << false;
    }
    void sequenceCommands()
    {
        QFETCH(QString, line);
        const CliParse p = ParseCliArguments(split(line));
        QVERIFY2(p.ok, qPrintable(p.error));
        QTEST(p.options.command, "command");
        QTEST(p.options.sequence, "sequence");
        QTEST(int(p.options.type), "type");
        QTEST(p.options.configPath, "config");
        QTEST(p.options.statusAfter, "statusAfter");
    }

    void usageNamesEveryExitCode()
    {
        const QString usage = QString::fromLatin1(CliUsage());
        for (int code : {ExitOk, ExitUsage, ExitPort, ExitNoAnswer, ExitBadAnswer, ExitInterrupted})
            QVERIFY2(usage.contains(QStringLiteral("\n  %1 ").arg(code)), qPrintable(QString::number(code)));
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "test_cli_options.moc"
