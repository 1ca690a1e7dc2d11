#include "RegisterMap.h"

#include <cstring>

namespace zentor {

namespace {

struct SlotEntry {
    const char* name;
    int position;  // -1: the layout does not write the slot
    int speed;
};

constexpr SlotEntry kSlots[kRoleSlots] = {
    {"DeviceIdRegister", 0, 0},   {"SpeedFeedback", 1, 9},      {"DirectionFeedback", 5, 10},
    {"PositionHigh", 2, -1},      {"PositionLow", 3, -1},       {"", 4, -1},
    {"MotorRpm", 6, 25},          {"MotorCurrent", 7, 26},      {"AlarmState", 8, 27},
    {"SpeedReference", 16, 11},   {"DirectionState", 20, 12},   {"", 17, -1},
    {"", 18, -1},                 {"", 19, -1},                 {"RunState", 21, 13},
    {"BrakeState", 22, 14},       {"", 23, 15},                 {"", 24, 16},
    {"MaxRpm", 14, 31},           {"CurrentLimit", 9, 28},      {"LockTime", 10, 29},
    {"PoleCount", 13, 30},        {"MountDirection", 12, 32},   {"ReducerRatio", 15, 33},
    {"ClutchState", 11, -1},      {"ZeroPositionSet", 64, -1},  {"", -1, -1},
    {"SpeedCommand", 32, 1},      {"DirectionCommand", 36, 2},  {"TargetPositionHigh", 33, -1},
    {"TargetPositionLow", 34, -1}, {"", 35, -1},                {"RunCommand", 37, 3},
    {"BrakeCommand", 38, 4},      {"AccelTime", 39, 5},         {"DecelTime", 40, 6},
};

}  // namespace

void RegisterImage::write(int offset, const uint8_t* data, int count)
{
    if (offset < 0 || count <= 0 || offset + count > kBytes) return;
    std::memmove(bytes_.data() + offset, data, static_cast<size_t>(count));
}

uint16_t RegisterImage::registerAt(int index) const
{
    if (index < 0 || index >= kRegisters) return 0;
    return static_cast<uint16_t>(bytes_[2 * index] << 8 | bytes_[2 * index + 1]);
}

void RegisterValues::refresh(const RegisterImage& image)
{
    for (int i = 0; i < kCount; ++i) values_[i] = image.registerAt(i);
}

const char* RoleName(int slot) { return slot >= 0 && slot < kRoleSlots ? kSlots[slot].name : ""; }

void RegisterLayout::apply(int controlType)
{
    if (controlType != SpeedControl && controlType != PositionControl) {
        statusQuantity_ = 0;
        slots_.fill(0);
        return;
    }
    statusQuantity_ = quantityOf(controlType);
    for (int slot = 0; slot < kRoleSlots; ++slot) {
        const int reg = registerIn(controlType, slot);
        if (reg >= 0) slots_[slot] = static_cast<uint16_t>(reg);
    }
}

int RegisterLayout::registerIn(int controlType, int slot)
{
    if (slot < 0 || slot >= kRoleSlots) return -1;
    if (controlType == SpeedControl) return kSlots[slot].speed;
    if (controlType == PositionControl) return kSlots[slot].position;
    return -1;
}

int RegisterLayout::quantityOf(int controlType)
{
    return controlType == SpeedControl ? 34 : controlType == PositionControl ? 41 : 0;
}

int32_t CombineSigned32(uint16_t high, uint16_t low)
{
    return static_cast<int32_t>(static_cast<uint32_t>(high) << 16 | low);
}

int32_t RegisterMap::signed32(int highRole, int lowRole) const
{
    return CombineSigned32(value(highRole), value(lowRole));
}

}  // namespace zentor
