// Item and header text forms, the two action tables and what an item sends to the driver.

#include "ActionTable.h"
#include "RegisterMap.h"
#include "SequenceForms.h"

#include <QTest>

using namespace zentor;

Q_DECLARE_METATYPE(zentor::ResolveStatus)

class TestSequenceActions : public QObject {
    Q_OBJECT
private slots:
    void parseItem_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("item");
        QTest::newRow("item line") << "DIR-CW,-,0.5,1" << QStringList{"DIR-CW", "-", "0.5", "1"}
                                   << QStringList{"DIR-CW", "-", "0.5", "1"};
        QTest::newRow("empty fields kept") << "A,,," << QStringList{"A", "", "", ""} << QStringList{"A", "", "", ""};
        QTest::newRow("blanks not trimmed") << " A , 5" << QStringList{" A ", " 5"} << QStringList{" A ", " 5", "", ""};
        QTest::newRow("fifth field ignored") << "A,1,2,3,4" << QStringList{"A", "1", "2", "3", "4"}
                                             << QStringList{"A", "1", "2", "3"};
        QTest::newRow("empty line") << "" << QStringList{""} << QStringList{"", "", "", ""};
    }
    void parseItem()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, item);
        QTEST(ParseLine(line), "fields");
        const SequenceItem parsed = ParseItem(line);
        QCOMPARE((QStringList{parsed.action, parsed.value, parsed.time, parsed.repeat}), item);
    }

    void formatItemRoundTrip()
    {
        const SequenceItem item{"SPEED-INPUT", "1800", "3", "1"};
        QCOMPARE(FormatItem(item), QString("SPEED-INPUT,1800,3,1"));
        QCOMPARE(ParseItem(FormatItem(item)), item);
    }

    void parseHeader_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("controlType");
        QTest::newRow("speed") << "1,7,1,Speed" << QStringList{"1", "7", "1", "Speed"} << 1;
        QTest::newRow("position") << "1,10,1,Position" << QStringList{"1", "10", "1", "Position"} << 2;
        QTest::newRow("no type word") << "1,7,1" << QStringList{"1", "7", "1", "1"} << 0;
        QTest::newRow("type word after last comma") << "1,7,1,x,Speed" << QStringList{"1", "7", "1", "Speed"} << 1;
        QTest::newRow("case matters") << "1,7,1,speed" << QStringList{"1", "7", "1", "speed"} << 0;
        QTest::newRow("empty list") << "0,0,1,Speed" << QStringList{"0", "0", "1", "Speed"} << 1;
    }
    void parseHeader()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        const SequenceHeader h = ParseHeader(line);
        QCOMPARE((QStringList{h.start, h.count, h.rangeRepeat, h.typeWord}), fields);
        QTEST(ControlTypeOfWord(h.typeWord), "controlType");
    }

    void typeWords()
    {
        QCOMPARE(TypeWord(SpeedControl), QString("Speed"));
        QCOMPARE(TypeWord(PositionControl), QString("Position"));
        QCOMPARE(TypeWord(NoControl), QString());
        QCOMPARE(FormatHeader("1", "7", "1", TypeWord(SpeedControl)), QString("1,7,1,Speed"));
    }

    // Both tables as the operator's action list and the driver see them: name, register,
    // value kind, command, unit label and what the value box takes (characters, decimals,
    // length, maximum; "-" and disabled for the actions that take no value).
    void actionTables_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("rows");
        // name | register | value kind | command | unit | characters | decimals | length | maximum | no value
        QTest::newRow("speed control") << int(SpeedControl) << QStringList{
            "ENABLE-RUN|3|fixed 1|06|Value|0123456789|0|6|999999|yes",
            "ENABLE-STOP|3|fixed 0|06|Value|0123456789|0|6|999999|yes",
            "SPEED-INPUT|1|integer|06|Value|0123456789|0|5|30000|no",
            "DIR-CW|2|fixed 0|06|Value|0123456789|0|6|999999|yes",
            "DIR-CCW|2|fixed 1|06|Value|0123456789|0|6|999999|yes",
            "BRAKE-ON|4|fixed 1|06|Value|0123456789|0|6|999999|yes",
            "BRAKE-OFF|4|fixed 0|06|Value|0123456789|0|6|999999|yes",
            "SET : ACC|5|x1000|06|(Sec)|.0123456789|1|3|5|no",
            "SET : DEC|6|x1000|06|(Sec)|.0123456789|1|3|5|no",
            "SET : POLE|30|integer|06|Value|0123456789|0|3|999|no",
            // 65535, not 99999: the register holds 16 bits.
            "SET : MAX-RPM|31|integer|06|Value|0123456789|0|5|65535|no",
            "SET : CURRENT-LIMIT|28|x100|06|(A)|.0123456789|1|4|500|no",
            "SET : REDUCER|33|x100|06|Value|.0123456789|2|6|655|no",
            "SET : LOCK-TIME|29|x1000|06|(Sec)|.0123456789|1|3|5|no",
            "SET : APPLY-SETTING|61441|apply|apply|Value|0123456789|0|6|999999|yes",
        };
        QTest::newRow("position control") << int(PositionControl) << QStringList{
            "RESET-HIGH|37|fixed 1|06|Value|0123456789|0|6|999999|yes",
            "RESET-LOW|37|fixed 0|06|Value|0123456789|0|6|999999|yes",
            "SPEED-INPUT|32|integer|06|Value|0123456789|0|5|30000|no",
            "POSITION-INPUT|33|integer|16|(Step)|-0123456789|0|11|2147483647|no",
            "MOUNT-LEFT|12|fixed 0|06|Value|0123456789|0|6|999999|yes",
            "MOUNT-RIGHT|12|fixed 1|06|Value|0123456789|0|6|999999|yes",
            "BRAKE-ON|38|fixed 1|06|Value|0123456789|0|6|999999|yes",
            "BRAKE-OFF|38|fixed 0|06|Value|0123456789|0|6|999999|yes",
            "SET : POLE|13|integer|06|Value|0123456789|0|3|999|no",
            "SET : MAX-RPM|14|integer|06|Value|0123456789|0|5|65535|no",
            "SET : CURRENT-LIMIT|9|x100|06|(A)|.0123456789|1|4|500|no",
            "SET : REDUCER|15|x100|06|Value|.0123456789|2|6|655|no",
            "SET : LOCK-TIME|10|x1000|06|(Sec)|.0123456789|1|3|5|no",
            "SET : APPLY-SETTING|61441|apply|apply|Value|0123456789|0|6|999999|yes",
        };
        QTest::newRow("no control type") << int(NoControl) << QStringList{};
    }
    void actionTables()
    {
        QFETCH(int, type);
        QFETCH(QStringList, rows);
        auto kindWord = [](ValueKind k) {
            switch (k) {
            case ValueKind::Fixed1: return QStringLiteral("fixed 1");
            case ValueKind::Fixed0: return QStringLiteral("fixed 0");
            case ValueKind::Integer: return QStringLiteral("integer");
            case ValueKind::Times100: return QStringLiteral("x100");
            case ValueKind::Times1000: return QStringLiteral("x1000");
            case ValueKind::Apply: return QStringLiteral("apply");
            }
            return QStringLiteral("?");
        };
        auto commandWord = [](int kind) {
            return kind == WriteRegister       ? QStringLiteral("06")
                   : kind == WriteRegisterPair ? QStringLiteral("16")
                   : kind == ApplySettings     ? QStringLiteral("apply")
                                               : QStringLiteral("?");
        };
        QStringList table;
        for (const SequenceAction& a : ActionTable(type)) {
            const ValueRule& r = a.rule;
            table << QStringList{QString::fromLatin1(a.name), QString::number(a.registerAddress), kindWord(a.valueKind),
                                 commandWord(a.commandKind), r.unitLabel, r.allowed, QString::number(r.decimals),
                                 QString::number(r.maxLength), QString::number(r.maximum, 'f', 0),
                                 r.fixed ? QStringLiteral("yes") : QStringLiteral("no")}
                         .join(QLatin1Char('|'));
        }
        QCOMPARE(table, rows);
        // The editor's action list shows the same names in the same order, and the rule by
        // name is the table's.
        QStringList names;
        for (const QString& row : rows) names << row.section(QLatin1Char('|'), 0, 0);
        QCOMPARE(ActionNames(type), names);
        for (const SequenceAction& a : ActionTable(type)) QCOMPARE(ValueRuleOf(QLatin1String(a.name)), a.rule);
    }

    void resolve_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("line");
        QTest::addColumn<ResolveStatus>("status");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("value");
        const int s = SpeedControl;
        const int p = PositionControl;
        const auto ok = ResolveStatus::Resolved;
        QTest::newRow("acc 0.7") << s << "SET : ACC,0.7,1,1" << ok << 7 << int(WriteRegister) << 5 << 700;
        QTest::newRow("lock 2.3 exact") << s << "SET : LOCK-TIME,2.3,1,1" << ok << 13 << int(WriteRegister) << 29 << 2300;
        QTest::newRow("reducer 655") << s << "SET : REDUCER,655,1,1" << ok << 12 << int(WriteRegister) << 33 << 65500;
        QTest::newRow("reducer 0.29 exact") << s << "SET : REDUCER,0.29,1,1" << ok << 12 << int(WriteRegister) << 33 << 29;
        QTest::newRow("current 12.5") << s << "SET : CURRENT-LIMIT,12.5,1,1" << ok << 11 << int(WriteRegister) << 28 << 1250;
        QTest::newRow("p reducer 0.29") << p << "SET : REDUCER,0.29,1,1" << ok << 11 << int(WriteRegister) << 15 << 29;
        QTest::newRow("speed 1800") << s << "SPEED-INPUT,1800,3,1" << ok << 2 << int(WriteRegister) << 1 << 1800;
        QTest::newRow("p speed 1000") << p << "SPEED-INPUT,1000,0.5,1" << ok << 2 << int(WriteRegister) << 32 << 1000;
        QTest::newRow("run, value not read") << s << "ENABLE-RUN,abc,0.5,1" << ok << 0 << int(WriteRegister) << 3 << 1;
        QTest::newRow("brake off speed") << s << "BRAKE-OFF,-,4,1" << ok << 6 << int(WriteRegister) << 4 << 0;
        QTest::newRow("brake off position") << p << "BRAKE-OFF,-,4,1" << ok << 7 << int(WriteRegister) << 38 << 0;
        QTest::newRow("ccw") << s << "DIR-CCW,-,0.5,1" << ok << 4 << int(WriteRegister) << 2 << 1;
        QTest::newRow("mount right") << p << "MOUNT-RIGHT,-,1,1" << ok << 5 << int(WriteRegister) << 12 << 1;
        QTest::newRow("apply speed") << s << "SET : APPLY-SETTING,-,1,1" << ok << 14 << int(ApplySettings) << 0xF001 << 0xA1A1;
        QTest::newRow("apply position") << p << "SET : APPLY-SETTING,-,1,1" << ok << 13 << int(ApplySettings) << 0xF001 << 0xA1A1;
        QTest::newRow("position -200") << p << "POSITION-INPUT,-200,0.5,1" << ok << 3 << int(WriteRegisterPair) << 33 << -200;
        QTest::newRow("position 12-3") << p << "POSITION-INPUT,12-3,0.5,1" << ok << 3 << int(WriteRegisterPair) << 33 << 12;
        QTest::newRow("position int32 min") << p << "POSITION-INPUT,-2147483648,1,1" << ok << 3 << int(WriteRegisterPair)
                                            << 33 << int(-2147483647 - 1);
        QTest::newRow("max rpm 65535") << s << "SET : MAX-RPM,65535,1,1" << ok << 10 << int(WriteRegister) << 31 << 65535;
        QTest::newRow("max field length") << s << "SPEED-INPUT,00000000000000000001800,1,1" << ok << 2
                                          << int(WriteRegister) << 1 << 1800;
        const auto unknown = ResolveStatus::UnknownAction;
        const auto range = ResolveStatus::ValueOutOfRange;
        QTest::newRow("run under position") << p << "ENABLE-RUN,-,1,1" << unknown << -1 << 0 << 0 << 0;
        QTest::newRow("acc under position") << p << "SET : ACC,1,1,1" << unknown << -1 << 0 << 0 << 0;
        QTest::newRow("lower case") << s << "enable-run,-,1,1" << unknown << -1 << 0 << 0 << 0;
        QTest::newRow("empty action") << s << ",-,1,1" << unknown << -1 << 0 << 0 << 0;
        QTest::newRow("no control type") << 0 << "ENABLE-RUN,-,1,1" << unknown << -1 << 0 << 0 << 0;
        QTest::newRow("max rpm 65536") << s << "SET : MAX-RPM,65536,1,1" << range << -1 << 0 << 0 << 0;
        QTest::newRow("max rpm 99999") << p << "SET : MAX-RPM,99999,1,1" << range << -1 << 0 << 0 << 0;
        QTest::newRow("reducer 655.36") << s << "SET : REDUCER,655.36,1,1" << range << -1 << 0 << 0 << 0;
        QTest::newRow("negative speed") << s << "SPEED-INPUT,-5,1,1" << range << -1 << 0 << 0 << 0;
        QTest::newRow("position above int32") << p << "POSITION-INPUT,2147483648,1,1" << range << -1 << 0 << 0 << 0;
        QTest::newRow("field over 23") << s << "SPEED-INPUT,000000000000000000001800,1,1" << ResolveStatus::FieldTooLong
                                       << -1 << 0 << 0 << 0;
    }
    void resolve()
    {
        QFETCH(int, type);
        QFETCH(QString, line);
        QFETCH(ResolveStatus, status);
        QFETCH(int, index);
        const ResolvedCommand r = ResolveCommand(ParseItem(line), type);
        QCOMPARE(r.status, status);
        QCOMPARE(r.actionIndex, index);
        if (!r.ok()) return;
        QTEST(r.command.kind, "kind");
        QTEST(r.command.registerAddress, "reg");
        QTEST(int(r.command.value), "value");
    }

    // The pair write carries the value in two's complement, most significant byte first.
    void positionBytes_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("-200") << "-200" << QByteArray::fromHex("FFFFFF38");
        QTest::newRow("100") << "100" << QByteArray::fromHex("00000064");
        QTest::newRow("65536") << "65536" << QByteArray::fromHex("00010000");
    }
    void positionBytes()
    {
        QFETCH(QString, value);
        const ResolvedCommand r = ResolveCommand({"POSITION-INPUT", value, "1", "1"}, PositionControl);
        QVERIFY(r.ok());
        const auto v = static_cast<uint32_t>(r.command.value);
        QByteArray wire;
        for (int shift : {24, 16, 8, 0}) wire.append(char(v >> shift & 0xFF));
        QTEST(wire, "bytes");
    }
};

QTEST_APPLESS_MAIN(TestSequenceActions)
#include "test_sequence_actions.moc"
