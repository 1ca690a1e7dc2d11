#include "CliFormat.h"

#include "ModbusFrames.h"

namespace zentor::cli {

namespace {

QString hundredths(int value) { return QString::number(value / 100.0, 'f', 2); }

}  // namespace

QStringList FormatStatusText(const RegisterMap& map, ControlType type)
{
    const bool position = type == PositionControl;
    QStringList lines;
    lines << QStringLiteral("speed: %1 RPM").arg(map.value(MotorRpm));
    lines << QStringLiteral("current: %1 A").arg(hundredths(map.value(MotorCurrent)));
    lines << QStringLiteral("max rpm: %1").arg(map.value(MaxRpm));
    const int alarm = map.value(AlarmState);
    lines << (alarm == 0 ? QStringLiteral("alarm: none") : QStringLiteral("alarm: %1").arg(alarm));
    const QString brake = map.value(BrakeState) == 1 ? QStringLiteral("ON") : QStringLiteral("OFF");
    if (position) {
        const QString reset = map.value(RunState) == 1 ? QStringLiteral("HIGH") : QStringLiteral("LOW");
        const QString mount = map.value(MountDirection) == 0 ? QStringLiteral("CW (left)") : QStringLiteral("CCW (right)");
        lines << QStringLiteral("state: reset %1, brake %2, mount %3").arg(reset, brake, mount);
        lines << QStringLiteral("position: %1 steps").arg(map.signed32(PositionHigh, PositionLow));
        lines << QStringLiteral("target position: %1 steps").arg(map.signed32(TargetPositionHigh, TargetPositionLow));
    } else {
        const QString run = map.value(RunState) == 1 ? QStringLiteral("RUN") : QStringLiteral("STOP");
        const QString direction = map.value(DirectionFeedback) == 0 ? QStringLiteral("CW") : QStringLiteral("CCW");
        lines << QStringLiteral("state: %1, brake %2, direction %3").arg(run, brake, direction);
    }
    const int reducer = map.value(ReducerRatio);
    lines << QStringLiteral("settings: poles %1, current limit %2 A, reducer %3, acc %4 ms, dec %5 ms, lock time %6 ms")
                 .arg(map.value(PoleCount))
                 .arg(hundredths(map.value(CurrentLimit)))
                 .arg(reducer == 0 ? QStringLiteral("none") : hundredths(reducer))
                 .arg(map.value(AccelTime))
                 .arg(map.value(DecelTime))
                 .arg(map.value(LockTime));
    return lines;
}

QString FormatStatusJson(const RegisterMap& map, ControlType type)
{
    const int quantity = RegisterLayout::quantityOf(type);
    QString json = QStringLiteral("{");
    bool first = true;
    for (int slot = 0; slot < kRoleSlots; ++slot) {
        const QString name = QString::fromLatin1(RoleName(slot));
        const int reg = RegisterLayout::registerIn(type, slot);
        // A role outside the status read (ZeroPositionSet at 64) has no value to show.
        if (name.isEmpty() || reg < 0 || reg >= quantity) continue;
        if (!first) json += QLatin1Char(',');
        first = false;
        json += QStringLiteral("\"%1\":%2").arg(name).arg(map.values.at(reg));
    }
    json += QLatin1Char('}');
    return json;
}

QStringList FormatRegisters(const RegisterImage& image, int first, int count)
{
    QStringList lines;
    for (int reg = first; reg < first + count; ++reg) {
        const uint16_t v = image.registerAt(reg);
        lines << QStringLiteral("%1 = %2 (0x%3)").arg(reg).arg(v).arg(QString::number(v, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return lines;
}

QString DescribeBadAnswer(int check, const QByteArray& answer)
{
    QString text = QString::fromLatin1(ResponseCheckName(check));
    if (answer.size() >= 3 && (uint8_t(answer[1]) & 0x80))
        text += QStringLiteral(" (exception answer to function %1, code %2)")
                    .arg(QString::number(uint8_t(answer[1]) & 0x7F, 16).toUpper().rightJustified(2, QLatin1Char('0')))
                    .arg(uint8_t(answer[2]));
    return text;
}

}  // namespace zentor::cli
