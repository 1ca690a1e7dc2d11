#include "CliFormat.h"

#include "ModbusFrames.h"

#include <algorithm>
#include <cstdio>

namespace zentor::cli {

namespace {

// One line from a printf format: a status read is printed many times a second, and the
// numbers of these lines need none of QString's argument parsing.
template <typename... Args>
QString line(const char* format, Args... args)
{
    char text[256];
    const int n = std::snprintf(text, sizeof text, format, args...);
    return QString::fromLatin1(text, n < 0 ? 0 : std::min<int>(n, int(sizeof text) - 1));
}

}  // namespace

QStringList FormatStatusText(const RegisterMap& map, ControlType type)
{
    const bool position = type == PositionControl;
    QStringList lines;
    lines.reserve(9);
    lines << line("speed: %d RPM", map.value(MotorRpm));
    lines << line("current: %.2f A", map.value(MotorCurrent) / 100.0);
    lines << line("max rpm: %d", map.value(MaxRpm));
    const int alarm = map.value(AlarmState);
    lines << (alarm == 0 ? QStringLiteral("alarm: none") : line("alarm: %d", alarm));
    const char* brake = map.value(BrakeState) == 1 ? "ON" : "OFF";
    if (position) {
        const char* reset = map.value(RunState) == 1 ? "HIGH" : "LOW";
        const char* mount = map.value(MountDirection) == 0 ? "CW (left)" : "CCW (right)";
        lines << line("state: reset %s, brake %s, mount %s", reset, brake, mount);
        lines << line("position: %ld steps", long(map.signed32(PositionHigh, PositionLow)));
        lines << line("target position: %ld steps", long(map.signed32(TargetPositionHigh, TargetPositionLow)));
    } else {
        const char* run = map.value(RunState) == 1 ? "RUN" : "STOP";
        const char* direction = map.value(DirectionFeedback) == 0 ? "CW" : "CCW";
        lines << line("state: %s, brake %s, direction %s", run, brake, direction);
    }
    const int reducer = map.value(ReducerRatio);
    char reducerText[32] = "none";
    if (reducer != 0) std::snprintf(reducerText, sizeof reducerText, "%.2f", reducer / 100.0);
    lines << line("settings: poles %d, current limit %.2f A, reducer %s, acc %d ms, dec %d ms, lock time %d ms",
                  map.value(PoleCount), map.value(CurrentLimit) / 100.0, reducerText, map.value(AccelTime),
                  map.value(DecelTime), map.value(LockTime));
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
