#include "StatusRecord.h"

#include "RegisterMap.h"

namespace zentor::record {

namespace {

// The columns before the raw registers; the decoded part of every row.
const char* const kDecodedColumns[] = {
    "time",            "elapsed_ms",    "control_type", "rpm",           "speed_pct",
    "current_a",       "position_steps", "position_rev", "position_step", "target_speed_pct",
    "target_steps",    "direction",     "brake",        "run_state",     "alarm",
};

// "%d.%d" of value as a percentage of max, one decimal, truncated, as the panel shows it.
QString Percent(int value, int max) { return QString::asprintf("%d.%d", value * 100 / max, value * 1000 / max % 10); }

// Steps of one revolution at the gearbox output, as the position panel counts them.
int StepsPerRevolution(const RegisterMap& m)
{
    return static_cast<int>(int64_t{m.value(ReducerRatio)} * m.value(PoleCount) * 3 / 100);
}

// Remainder and quotient truncating toward zero; without steps per revolution the whole count
// is the remainder.
std::pair<int32_t, int32_t> SignedSplit(int32_t n, int s)
{
    if (s <= 0) return {n, 0};
    return {static_cast<int32_t>(int64_t{n} % s), static_cast<int32_t>(int64_t{n} / s)};
}

// The role that has the register in the layout of the type, or an empty name.
QString RoleAt(int controlType, int reg)
{
    for (int slot = 0; slot < kRoleSlots; ++slot) {
        const char* name = RoleName(slot);
        if (*name && RegisterLayout::registerIn(controlType, slot) == reg) return QString::fromLatin1(name);
    }
    return {};
}

}  // namespace

QString ControlTypeWord(int controlType)
{
    if (controlType == SpeedControl) return QStringLiteral("speed");
    if (controlType == PositionControl) return QStringLiteral("position");
    return {};
}

QStringList StatusRecordHeader(int controlType)
{
    QStringList header;
    for (const char* c : kDecodedColumns) header << QString::fromLatin1(c);
    const int quantity = RegisterLayout::quantityOf(controlType);
    for (int reg = 0; reg < quantity; ++reg) {
        const QString role = RoleAt(controlType, reg);
        header << (role.isEmpty() ? QStringLiteral("reg%1").arg(reg) : QStringLiteral("reg%1_%2").arg(reg).arg(role));
    }
    return header;
}

QStringList StatusRecordFields(const RegisterMap& m, int controlType, const QDateTime& localTime, int64_t elapsedMs)
{
    const bool position = controlType == PositionControl;
    const int maxRpm = m.value(MaxRpm);
    const bool braked = m.value(BrakeState) == 1;

    // The rotate indicator's percentage: the speed feedback in position control (0 while
    // braked), the motor RPM in speed control.
    const int a = position ? (braked ? 0 : m.value(SpeedFeedback)) : m.value(MotorRpm);
    const QString speedPct = maxRpm == 0 ? QString() : a == 0 ? QStringLiteral("0.0") : Percent(a, maxRpm);
    const QString targetPct = maxRpm == 0 ? QStringLiteral("0") : Percent(m.value(SpeedCommand), maxRpm);
    const int current = m.value(MotorCurrent);

    QString positionSteps, positionRev, positionStep, targetSteps, direction;
    if (position) {
        const int32_t c = m.signed32(PositionHigh, PositionLow);
        const int32_t t = m.signed32(TargetPositionHigh, TargetPositionLow);
        const auto [rem, quot] = SignedSplit(c, StepsPerRevolution(m));
        positionSteps = QString::number(c);
        positionRev = QString::number(quot);
        positionStep = QString::number(rem);
        targetSteps = QString::number(t);
        direction = c > t ? QStringLiteral("REV") : QStringLiteral("FWD");
    } else {
        direction = m.value(DirectionFeedback) != 0 ? QStringLiteral("CCW") : QStringLiteral("CW");
    }
    const bool runState = m.value(RunState) == 1;
    const QString run = position ? (runState ? QStringLiteral("HIGH") : QStringLiteral("LOW"))
                                 : (runState ? QStringLiteral("RUN") : QStringLiteral("STOP"));

    QStringList f;
    f << IsoLocalTime(localTime) << QString::number(elapsedMs) << ControlTypeWord(controlType)
      << QString::number(m.value(MotorRpm)) << speedPct << QString::asprintf("%d.%02d", current / 100, current % 100)
      << positionSteps << positionRev << positionStep << targetPct << targetSteps << direction
      << (braked ? QStringLiteral("ON") : QStringLiteral("OFF")) << run << QString::number(m.value(AlarmState));
    const int quantity = RegisterLayout::quantityOf(controlType);
    for (int reg = 0; reg < quantity; ++reg) f << QString::number(m.values.at(reg));
    return f;
}

QString IsoLocalTime(const QDateTime& time)
{
    const QDateTime local = time.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")) +
           QString::asprintf("%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

QString ProposedRecordName(const QDateTime& time)
{
    return QStringLiteral("zentor-%1.csv").arg(time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

}  // namespace zentor::record
