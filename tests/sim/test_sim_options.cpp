// The command line of zentor-sim: what each option sets, and a clear error for a bad one.

#include "SimLog.h"
#include "SimOptions.h"

#include <QTest>

using namespace zentor;
using namespace zentor::sim;

class TestSimOptions : public QObject {
    Q_OBJECT
private slots:
    void defaults()
    {
        const SimOptionsParse p = ParseSimOptions({});
        QVERIFY(p.ok);
        QCOMPARE(p.options.type, SpeedControl);
        QCOMPARE(p.options.slave, 100);
        QCOMPARE(p.options.baud, 115200);
        QVERIFY(p.options.link.isEmpty());
        QVERIFY(!p.options.log);
        QCOMPARE(p.options.alarm, 0);
        QVERIFY(!p.options.faults.silent && !p.options.faults.badChecksum);
        QCOMPARE(p.options.faults.wrongAddress, -1);
    }

    void everyOption()
    {
        const SimOptionsParse p = ParseSimOptions({"--type", "position", "--slave=7", "--baud", "9600", "--link", "/tmp/zs",
                                                   "--silent", "--bad-crc", "--wrong-address", "0", "--split-gap", "40",
                                                   "--exception", "4", "--wrong-function=5", "--reply-delay", "12",
                                                   "--log", "--alarm", "3"});
        QVERIFY2(p.ok, qPrintable(p.error));
        const SimOptions& o = p.options;
        QCOMPARE(o.type, PositionControl);
        QCOMPARE(o.slave, 7);
        QCOMPARE(o.baud, 9600);
        QCOMPARE(o.link, QStringLiteral("/tmp/zs"));
        QCOMPARE(o.replyDelayMs, 12);
        QVERIFY(o.faults.silent);
        QVERIFY(o.faults.badChecksum);
        QCOMPARE(o.faults.wrongAddress, 0);
        QCOMPARE(o.faults.splitGapMs, 40);
        QCOMPARE(o.faults.exceptionCode, 4);
        QCOMPARE(o.faults.wrongFunction, 5);
        QVERIFY(o.log);
        QCOMPARE(o.alarm, 3);
        QVERIFY(ParseSimOptions({"--help"}).options.help);
    }

    // zentor-sim --log: milliseconds with three decimals, truncated, then the way and the bytes.
    void logLine_data()
    {
        QTest::addColumn<qlonglong>("ns");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("at the start") << 0LL << int(LogDirection::Request) << QByteArray("0.000 rx 64 03 AB  what was done");
        QTest::newRow("microseconds cut off") << 1'234'567'890LL << int(LogDirection::Answer)
                                              << QByteArray("1234.567 tx 64 03 AB  what was done");
        QTest::newRow("leading zeros of the fraction") << 5'004'999LL << int(LogDirection::Answer)
                                                       << QByteArray("5.004 tx 64 03 AB  what was done");
    }
    void logLine()
    {
        QFETCH(qlonglong, ns);
        QFETCH(int, direction);
        QTEST(FormatSimLogLine(ns, LogDirection(direction), QByteArray::fromHex("6403ab"), QStringLiteral("what was done")), "line");
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown option") << QStringList{"--fast"} << "unknown argument '--fast'";
        QTest::newRow("stray word") << QStringList{"speed"} << "unknown argument 'speed'";
        QTest::newRow("type of no kind") << QStringList{"--type", "torque"} << "--type must be speed or position, not 'torque'";
        QTest::newRow("type without value") << QStringList{"--type"} << "--type needs speed or position";
        QTest::newRow("slave 0") << QStringList{"--slave", "0"} << "--slave must be a number from 1 to 247, not '0'";
        QTest::newRow("slave 248, reserved") << QStringList{"--slave", "248"} << "--slave must be a number from 1 to 247, not '248'";
        QTest::newRow("slave 255, reserved") << QStringList{"--slave=255"} << "--slave must be a number from 1 to 247, not '255'";
        QTest::newRow("slave in words") << QStringList{"--slave=ten"} << "--slave must be a number from 1 to 247, not 'ten'";
        QTest::newRow("alarm 0") << QStringList{"--alarm", "0"} << "--alarm must be a number from 1 to 65535, not '0'";
        QTest::newRow("alarm past 16 bits") << QStringList{"--alarm=65536"} << "--alarm must be a number from 1 to 65535, not '65536'";
        QTest::newRow("log with a value") << QStringList{"--log=yes"} << "--log takes no value";
        QTest::newRow("baud missing") << QStringList{"--baud"} << "--baud needs a number";
        QTest::newRow("baud negative") << QStringList{"--baud", "-9600"} << "--baud must be a number from 50 to 4000000, not '-9600'";
        QTest::newRow("split gap 0") << QStringList{"--split-gap", "0"} << "--split-gap must be a number from 1 to 10000, not '0'";
        QTest::newRow("exception huge") << QStringList{"--exception", "99999999999"}
                                        << "--exception must be a number from 1 to 255, not '99999999999'";
        QTest::newRow("flag with a value") << QStringList{"--silent=yes"} << "--silent takes no value";
        QTest::newRow("empty link") << QStringList{"--link="} << "--link needs a path";
    }
    void badArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        const SimOptionsParse p = ParseSimOptions(args);
        QVERIFY(!p.ok);
        QCOMPARE(p.error, error);
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "test_sim_options.moc"
