// The recorded row of a status read against the panel's own texts for the same registers:
// what the recording writes in numbers is what the operator reads on the panel. Also the
// header, the time format and the CSV text.

#include "ChartDraw.h"
#include "CsvText.h"
#include "StatusRecord.h"
#include "StatusView.h"

#include <QRegularExpression>
#include <QTest>
#include <map>

using namespace zentor;
using namespace zentor::record;

namespace {

using Registers = std::map<int, uint16_t>;  // role -> value

RegisterMap MapOf(int type, const Registers& roles)
{
    RegisterMap m;
    m.layout.apply(type);
    for (const auto& [role, value] : roles) {
        const int reg = m.layout.registerOf(role);
        const uint8_t bytes[2] = {uint8_t(value >> 8), uint8_t(value & 0xFF)};
        m.image.write(2 * reg, bytes, 2);
    }
    m.values.refresh(m.image);
    return m;
}

}  // namespace

Q_DECLARE_METATYPE(Registers)

class TestStatusRecord : public QObject {
    Q_OBJECT
private slots:
    void rowSaysWhatThePanelShows_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Registers>("roles");
        QTest::newRow("speed, below the reference") << int(SpeedControl)
            << Registers{{MaxRpm, 3000}, {MotorRpm, 1275}, {SpeedReference, 1500}, {MotorCurrent, 1234},
                         {SpeedCommand, 1350}, {RunState, 1}, {DirectionFeedback, 1}};
        QTest::newRow("speed, standing") << int(SpeedControl) << Registers{{MaxRpm, 3000}, {MotorCurrent, 5}};
        QTest::newRow("speed, no maximum rpm") << int(SpeedControl) << Registers{{MotorRpm, 500}, {SpeedCommand, 20}};
        QTest::newRow("speed, braked with an alarm") << int(SpeedControl)
            << Registers{{MaxRpm, 3000}, {MotorRpm, 3000}, {SpeedReference, 3000}, {BrakeState, 1}, {AlarmState, 3}};
        QTest::newRow("position, moving forward") << int(PositionControl)
            << Registers{{MaxRpm, 3000}, {SpeedFeedback, 1500}, {SpeedReference, 1000}, {PositionLow, 1234},
                         {TargetPositionLow, 2000}, {PoleCount, 8}, {ReducerRatio, 1000}, {RunState, 1}, {MotorRpm, 1500}};
        QTest::newRow("position, negative and past the target") << int(PositionControl)
            << Registers{{MaxRpm, 3000}, {PositionHigh, 0xFFFF}, {PositionLow, 0xFEAC}, {TargetPositionHigh, 0xFFFF},
                         {TargetPositionLow, 0xFC18}, {PoleCount, 8}, {ReducerRatio, 500}, {MotorCurrent, 1850}};
        QTest::newRow("position, braked") << int(PositionControl)
            << Registers{{MaxRpm, 3000}, {SpeedFeedback, 900}, {BrakeState, 1}, {PoleCount, 8}, {ReducerRatio, 100}};
        QTest::newRow("position, no steps per revolution") << int(PositionControl)
            << Registers{{MaxRpm, 2000}, {PositionLow, 777}, {TargetPositionLow, 5}, {SpeedCommand, 1000}};
    }
    void rowSaysWhatThePanelShows()
    {
        QFETCH(int, type);
        QFETCH(Registers, roles);
        const RegisterMap m = MapOf(type, roles);
        RegisterMap shown = m;
        shown.settingsChanged = true;  // the target fields are rendered too
        panel::DisplayState state;
        const panel::StatusView view = panel::RefreshStatusView(shown, type, true, false, state);

        const QStringList header = StatusRecordHeader(type);
        const QStringList row = StatusRecordFields(m, type, QDateTime::currentDateTime(), 1234);
        QCOMPARE(row.size(), header.size());
        auto field = [&](const char* name) { return row.value(header.indexOf(QLatin1String(name))); };
        const bool position = type == PositionControl;

        QCOMPARE(field("control_type"), position ? QStringLiteral("position") : QStringLiteral("speed"));
        QCOMPARE(field("elapsed_ms"), QStringLiteral("1234"));
        // The RPM digits in motor output show the motor's RPM; no fault is blinking here.
        QCOMPARE(field("rpm").toUInt(), state.shownRpm);
        // The rotate indicator: "_ ____ _" without a maximum, "_ Stop _" standing, else the
        // percentage after its arrow.
        const QString rotate = view.textOf(ids::RotateIndicator);
        if (rotate == QLatin1String("_ ____ _")) QCOMPARE(field("speed_pct"), QString());
        else if (rotate == QLatin1String("_ Stop _")) QCOMPARE(field("speed_pct"), QStringLiteral("0.0"));
        else QCOMPARE(field("speed_pct") + QLatin1Char('%'), rotate.mid(3));
        // The current as the graph's limit label writes hundredths of an ampere.
        QCOMPARE(field("current_a"), FormatFixed(m.value(MotorCurrent), 100));
        QCOMPARE(field("target_speed_pct"), view.textOf(ids::SpeedEdit));
        QCOMPARE(field("direction"), view.textOf(ids::DirectionIndicator));
        QCOMPARE(field("brake"), view.textOf(ids::BrakeOn) == QLatin1String("< ON >") ? QStringLiteral("ON") : QStringLiteral("OFF"));
        if (position) {
            QCOMPARE(field("run_state"), view.textOf(ids::ResetHigh) == QLatin1String("< HIGH >") ? QStringLiteral("HIGH") : QStringLiteral("LOW"));
            QCOMPARE(QStringLiteral("%1 /%2R").arg(field("position_step"), field("position_rev")), view.textOf(ids::StepIndicator));
            QCOMPARE(field("position_steps"), QString::number(m.signed32(PositionHigh, PositionLow)));
            QCOMPARE(field("target_steps"), view.textOf(ids::PositionEdit));
        } else {
            QCOMPARE(field("run_state"), view.textOf(ids::Run) == QLatin1String("< RUN >") ? QStringLiteral("RUN") : QStringLiteral("STOP"));
            for (const char* none : {"position_steps", "position_rev", "position_step", "target_steps"}) QCOMPARE(field(none), QString());
        }
        QCOMPARE(field("alarm"), QString::number(roles.count(AlarmState) ? roles.at(AlarmState) : 0));
        // The raw registers of the read, each under its own column.
        const int quantity = RegisterLayout::quantityOf(type);
        for (int reg = 0; reg < quantity; ++reg) QCOMPARE(row[header.size() - quantity + reg], QString::number(m.values.at(reg)));
    }

    void headerNamesEachRegisterByItsRole_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("registers");
        QTest::addColumn<QStringList>("samples");  // columns that must be there
        QTest::newRow("speed") << int(SpeedControl) << 34
                               << QStringList{"reg0_DeviceIdRegister", "reg7", "reg25_MotorRpm", "reg33_ReducerRatio"};
        QTest::newRow("position") << int(PositionControl) << 41
                                  << QStringList{"reg2_PositionHigh", "reg4", "reg33_TargetPositionHigh", "reg40_DecelTime"};
    }
    void headerNamesEachRegisterByItsRole()
    {
        QFETCH(int, type);
        QFETCH(int, registers);
        QFETCH(QStringList, samples);
        const QStringList header = StatusRecordHeader(type);
        QCOMPARE(header.size(), 15 + registers);
        QCOMPARE(header.first(), QStringLiteral("time"));
        QVERIFY(header[15].startsWith(QLatin1String("reg0")));
        QVERIFY(header.last().startsWith(QStringLiteral("reg%1").arg(registers - 1)));
        for (const QString& s : samples) QVERIFY2(header.contains(s), qPrintable(s));
        QStringList unique = header;
        QCOMPARE(unique.removeDuplicates(), 0);
    }

    void timeIsIso8601LocalWithMillisecondsAndOffset()
    {
        const QDateTime t(QDate(2026, 12, 10), QTime(14, 15, 3, 7));
        const QString text = IsoLocalTime(t);
        QVERIFY2(QRegularExpression(QStringLiteral("^2026-12-10T14:15:03\\.007[+-]\\d\\d:\\d\\d$")).match(text).hasMatch(), qPrintable(text));
        QCOMPARE(QDateTime::fromString(text, Qt::ISODateWithMs), t);
        QCOMPARE(ProposedRecordName(t), QStringLiteral("zentor-2026-12-10-141503.csv"));
    }

    void csvQuotesOnlyWhatNeedsIt_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain") << QStringList{"1", "a b", ""} << "1,a b,\n";
        QTest::newRow("comma") << QStringList{"x,y"} << "\"x,y\"\n";
        QTest::newRow("quote") << QStringList{"say \"hi\""} << "\"say \"\"hi\"\"\"\n";
        QTest::newRow("line break") << QStringList{"a\nb", "c"} << "\"a\nb\",c\n";
    }
    void csvQuotesOnlyWhatNeedsIt()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, line);
        QCOMPARE(CsvLine(fields), line);
    }
};

QTEST_GUILESS_MAIN(TestStatusRecord)
#include "test_status_record.moc"
