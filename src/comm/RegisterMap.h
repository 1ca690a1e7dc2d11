#pragma once
// The driver's registers as the console keeps them: the raw image in wire order, the values
// every reader uses, and the layout that finds each register by its role per control type.

#include <QString>
#include <array>
#include <cstdint>

namespace zentor {

enum ControlType : int { NoControl = 0, SpeedControl = 1, PositionControl = 2 };

class RegisterImage {
public:
    static constexpr int kRegisters = 125;
    static constexpr int kBytes = 2 * kRegisters;

    void clear() { bytes_.fill(0); }
    // Copies count bytes at byte offset; the caller has checked that they fit.
    void write(int offset, const uint8_t* data, int count);
    uint16_t registerAt(int index) const;
    const uint8_t* data() const { return bytes_.data(); }

private:
    std::array<uint8_t, kBytes> bytes_{};
};

class RegisterValues {
public:
    static constexpr int kCount = 73;

    void refresh(const RegisterImage& image);
    void clear() { values_.fill(0); }
    uint16_t at(int reg) const { return reg >= 0 && reg < kCount ? values_[reg] : 0; }
    void set(int reg, uint16_t value)
    {
        if (reg >= 0 && reg < kCount) values_[reg] = value;
    }

private:
    std::array<uint16_t, kCount> values_{};
};

// Role slots of the layout, numbered as the layout table numbers them.
enum Role : int {
    DeviceIdRegister = 0,
    SpeedFeedback = 1,
    DirectionFeedback = 2,
    PositionHigh = 3,
    PositionLow = 4,
    Slot5 = 5,
    MotorRpm = 6,
    MotorCurrent = 7,
    AlarmState = 8,
    SpeedReference = 9,
    DirectionState = 10,
    Slot11 = 11,
    Slot12 = 12,
    Slot13 = 13,
    RunState = 14,
    BrakeState = 15,
    Slot16 = 16,
    Slot17 = 17,
    MaxRpm = 18,
    CurrentLimit = 19,
    LockTime = 20,
    PoleCount = 21,
    MountDirection = 22,
    ReducerRatio = 23,
    ClutchState = 24,
    ZeroPositionSet = 25,
    Slot26 = 26,
    SpeedCommand = 27,
    DirectionCommand = 28,
    TargetPositionHigh = 29,
    TargetPositionLow = 30,
    Slot31 = 31,
    RunCommand = 32,
    BrakeCommand = 33,
    AccelTime = 34,
    DecelTime = 35,
};

constexpr int kRoleSlots = 36;

// The role's name, or an empty string for a slot without a role.
const char* RoleName(int slot);

class RegisterLayout {
public:
    // Type 0 clears the table; types 1 and 2 write their slots and keep the others.
    void apply(int controlType);
    int statusQuantity() const { return statusQuantity_; }
    uint16_t registerOf(int slot) const { return slot >= 0 && slot < kRoleSlots ? slots_[slot] : 0; }
    // Register number of a role in a layout, without changing this table; -1 where the layout
    // has no register for the role.
    static int registerIn(int controlType, int slot);
    static int quantityOf(int controlType);

private:
    int32_t statusQuantity_ = 0;
    std::array<uint16_t, kRoleSlots> slots_{};
};

// The driver's mirror in the PC, with the flag that says a write was just confirmed.
struct RegisterMap {
    RegisterImage image;
    RegisterValues values;
    RegisterLayout layout;
    bool settingsChanged = false;

    uint16_t value(int role) const { return values.at(layout.registerOf(role)); }
    // High word at the first role, low word at the second, read as a signed 32-bit number.
    int32_t signed32(int highRole, int lowRole) const;
};

int32_t CombineSigned32(uint16_t high, uint16_t low);

}  // namespace zentor
