// What zentor-cli prints for a status read of either control type, for registers read, and
// for a refused answer.

#include "CliFormat.h"
#include "ModbusFrames.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace zentor;
using namespace zentor::cli;

namespace {

// A register map of the type whose roles hold the given values; other registers hold 0.
RegisterMap mapOf(ControlType type, std::initializer_list<std::pair<Role, uint16_t>> roles)
{
    RegisterMap map;
    map.layout.apply(type);
    for (auto [role, value] : roles) {
        const int reg = RegisterLayout::registerIn(type, role);
        const uint8_t bytes[2] = {uint8_t(value >> 8), uint8_t(value)};
        map.image.write(2 * reg, bytes, 2);
    }
    map.values.refresh(map.image);
    return map;
}

}  // namespace

class TestCliFormat : public QObject {
    Q_OBJECT
private slots:
    void speedStatusText()
    {
        const RegisterMap map = mapOf(SpeedControl, {{MotorRpm, 1500}, {MotorCurrent, 123}, {MaxRpm, 3000},
                                                     {RunState, 1}, {BrakeState, 0}, {DirectionFeedback, 1},
                                                     {PoleCount, 8}, {CurrentLimit, 500}, {ReducerRatio, 0},
                                                     {AccelTime, 400}, {DecelTime, 600}, {LockTime, 1000}});
        const QStringList expected = {
            "speed: 1500 RPM",
            "current: 1.23 A",
            "max rpm: 3000",
            "alarm: none",
            "state: RUN, brake OFF, direction CCW",
            "settings: poles 8, current limit 5.00 A, reducer none, acc 400 ms, dec 600 ms, lock time 1000 ms",
        };
        QCOMPARE(FormatStatusText(map, SpeedControl), expected);
    }

    void positionStatusText()
    {
        const RegisterMap map = mapOf(PositionControl, {{MotorRpm, 20}, {MotorCurrent, 5}, {MaxRpm, 4000}, {AlarmState, 3},
                                                        {RunState, 0}, {BrakeState, 1}, {MountDirection, 1},
                                                        {PositionHigh, 0xFFFF}, {PositionLow, 0xFFFE},
                                                        {TargetPositionHigh, 0x0001}, {TargetPositionLow, 0x0000},
                                                        {PoleCount, 4}, {CurrentLimit, 1234}, {ReducerRatio, 1050},
                                                        {AccelTime, 1}, {DecelTime, 2}, {LockTime, 3}});
        const QStringList expected = {
            "speed: 20 RPM",
            "current: 0.05 A",
            "max rpm: 4000",
            "alarm: 3",
            "state: reset LOW, brake ON, mount CCW (right)",
            "position: -2 steps",
            "target position: 65536 steps",
            "settings: poles 4, current limit 12.34 A, reducer 10.50, acc 1 ms, dec 2 ms, lock time 3 ms",
        };
        QCOMPARE(FormatStatusText(map, PositionControl), expected);
    }

    void jsonHasTheRolesOfTheLayoutWithRawValues_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("speed") << int(SpeedControl) << QStringList{"DeviceIdRegister", "MotorRpm", "MaxRpm", "DecelTime", "SpeedCommand"}
                               << QStringList{"PositionHigh", "PositionLow", "ClutchState", "ZeroPositionSet", "TargetPositionHigh", ""};
        // ZeroPositionSet (register 64) lies outside the status read of 41 registers.
        QTest::newRow("position") << int(PositionControl) << QStringList{"PositionHigh", "PositionLow", "ClutchState", "TargetPositionLow", "MotorRpm"}
                                  << QStringList{"ZeroPositionSet", ""};
    }
    void jsonHasTheRolesOfTheLayoutWithRawValues()
    {
        QFETCH(int, type);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const ControlType t = ControlType(type);
        // Every register holds 1000 + its number, so each value tells which register it came from.
        RegisterMap map;
        map.layout.apply(t);
        for (int reg = 0; reg < RegisterImage::kRegisters; ++reg) {
            const uint16_t v = uint16_t(1000 + reg);
            const uint8_t bytes[2] = {uint8_t(v >> 8), uint8_t(v)};
            map.image.write(2 * reg, bytes, 2);
        }
        map.values.refresh(map.image);
        const QString line = FormatStatusJson(map, t);
        QVERIFY(!line.contains(QLatin1Char('\n')));
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        for (const QString& key : present) QVERIFY2(json.contains(key), qPrintable(key));
        for (const QString& key : absent) QVERIFY2(!json.contains(key), qPrintable(key));
        for (auto it = json.begin(); it != json.end(); ++it) {
            int slot = -1;
            for (int s = 0; s < kRoleSlots; ++s)
                if (it.key() == QLatin1String(RoleName(s))) slot = s;
            QVERIFY(slot >= 0);
            QCOMPARE(it.value().toInt(), 1000 + RegisterLayout::registerIn(t, slot));
        }
        // Raw register values: 0xFFFF stays 65535, not -1.
        const uint8_t ff[2] = {0xFF, 0xFF};
        map.image.write(2 * RegisterLayout::registerIn(t, MotorRpm), ff, 2);
        map.values.refresh(map.image);
        QCOMPARE(QJsonDocument::fromJson(FormatStatusJson(map, t).toUtf8()).object().value("MotorRpm").toInt(), 65535);
    }

    void registers()
    {
        RegisterImage image;
        const uint8_t bytes[] = {0x05, 0xDC, 0xFF, 0xFE};
        image.write(2 * 31, bytes, 4);
        QCOMPARE(FormatRegisters(image, 31, 2), (QStringList{"31 = 1500 (0x05DC)", "32 = 65534 (0xFFFE)"}));
    }

    void badAnswers_data()
    {
        QTest::addColumn<int>("check");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("text");
        QTest::newRow("checksum") << int(ChecksumMismatch) << QByteArray::fromHex("6406001f05dc0000") << "checksum mismatch";
        QTest::newRow("address") << int(AddressMismatch) << QByteArray::fromHex("0706001f05dc0000") << "address mismatch";
        QTest::newRow("exception") << int(FunctionMismatch) << QByteArray::fromHex("648602d3be")
                                   << "function mismatch (exception answer to function 06, code 2)";
    }
    void badAnswers()
    {
        QFETCH(int, check);
        QFETCH(QByteArray, answer);
        QTEST(DescribeBadAnswer(check, answer), "text");
    }
};

QTEST_GUILESS_MAIN(TestCliFormat)
#include "test_cli_format.moc"
