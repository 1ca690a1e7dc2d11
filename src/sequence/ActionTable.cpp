#include "ActionTable.h"

#include "RegisterMap.h"
#include "SequenceLines.h"
#include "TextNumbers.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace zentor {

namespace {

SequenceAction action(const char* name, int reg, ValueKind kind, int commandKind = WriteRegister)
{
    return {name, reg, kind, commandKind, ValueRuleOf(QLatin1String(name))};
}

const std::vector<SequenceAction>& speedTable()
{
    static const std::vector<SequenceAction> table = {
        action("ENABLE-RUN", 3, ValueKind::Fixed1),
        action("ENABLE-STOP", 3, ValueKind::Fixed0),
        action("SPEED-INPUT", 1, ValueKind::Integer),
        action("DIR-CW", 2, ValueKind::Fixed0),
        action("DIR-CCW", 2, ValueKind::Fixed1),
        action("BRAKE-ON", 4, ValueKind::Fixed1),
        action("BRAKE-OFF", 4, ValueKind::Fixed0),
        action("SET : ACC", 5, ValueKind::Times1000),
        action("SET : DEC", 6, ValueKind::Times1000),
        action("SET : POLE", 30, ValueKind::Integer),
        action("SET : MAX-RPM", 31, ValueKind::Integer),
        action("SET : CURRENT-LIMIT", 28, ValueKind::Times100),
        action("SET : REDUCER", 33, ValueKind::Times100),
        action("SET : LOCK-TIME", 29, ValueKind::Times1000),
        action("SET : APPLY-SETTING", kApplySettingsRegister, ValueKind::Apply, ApplySettings),
    };
    return table;
}

const std::vector<SequenceAction>& positionTable()
{
    static const std::vector<SequenceAction> table = {
        action("RESET-HIGH", 37, ValueKind::Fixed1),
        action("RESET-LOW", 37, ValueKind::Fixed0),
        action("SPEED-INPUT", 32, ValueKind::Integer),
        action("POSITION-INPUT", 33, ValueKind::Integer, WriteRegisterPair),
        action("MOUNT-LEFT", 12, ValueKind::Fixed0),
        action("MOUNT-RIGHT", 12, ValueKind::Fixed1),
        action("BRAKE-ON", 38, ValueKind::Fixed1),
        action("BRAKE-OFF", 38, ValueKind::Fixed0),
        action("SET : POLE", 13, ValueKind::Integer),
        action("SET : MAX-RPM", 14, ValueKind::Integer),
        action("SET : CURRENT-LIMIT", 9, ValueKind::Times100),
        action("SET : REDUCER", 15, ValueKind::Times100),
        action("SET : LOCK-TIME", 10, ValueKind::Times1000),
        action("SET : APPLY-SETTING", kApplySettingsRegister, ValueKind::Apply, ApplySettings),
    };
    return table;
}

bool anyFieldTooLong(const SequenceItem& item)
{
    return item.action.size() > kMaxFieldLength || item.value.size() > kMaxFieldLength ||
           item.time.size() > kMaxFieldLength || item.repeat.size() > kMaxFieldLength;
}

}  // namespace

std::span<const SequenceAction> ActionTable(int controlType)
{
    if (controlType == SpeedControl) return speedTable();
    if (controlType == PositionControl) return positionTable();
    return {};
}

QStringList ActionNames(int controlType)
{
    QStringList names;
    for (const SequenceAction& a : ActionTable(controlType)) names << QLatin1String(a.name);
    return names;
}

int ActionIndexOf(const QString& name, int controlType)
{
    const auto table = ActionTable(controlType);
    for (size_t i = 0; i < table.size(); ++i)
        if (name == QLatin1String(table[i].name)) return static_cast<int>(i);
    return -1;
}

ResolvedCommand ResolveCommand(const SequenceItem& item, int controlType)
{
    ResolvedCommand r;
    if (anyFieldTooLong(item)) {
        r.status = ResolveStatus::FieldTooLong;
        return r;
    }
    const int index = ActionIndexOf(item.action, controlType);
    if (index < 0) {
        r.status = ResolveStatus::UnknownAction;
        return r;
    }
    const SequenceAction& a = ActionTable(controlType)[static_cast<size_t>(index)];
    int64_t value = 0;
    switch (a.valueKind) {
    case ValueKind::Fixed1: value = 1; break;
    case ValueKind::Fixed0: value = 0; break;
    case ValueKind::Integer: value = LeadingInteger(item.value); break;
    case ValueKind::Times100: value = ScaledDecimal(item.value, 2); break;
    case ValueKind::Times1000: value = ScaledDecimal(item.value, 3); break;
    case ValueKind::Apply: value = kApplySettingsValue; break;
    }
    // A value the register cannot hold would arrive as a different number (its low bits):
    // such an item is not sent at all.
    const bool pair = a.commandKind == WriteRegisterPair;
    const int64_t lowest = pair ? std::numeric_limits<int32_t>::min() : 0;
    const int64_t highest = pair ? std::numeric_limits<int32_t>::max() : 0xFFFF;
    if (value < lowest || value > highest) {
        r.status = ResolveStatus::ValueOutOfRange;
        return r;
    }
    r.status = ResolveStatus::Resolved;
    r.actionIndex = index;
    r.command = {a.commandKind, a.registerAddress, static_cast<int32_t>(value)};
    return r;
}

}  // namespace zentor
