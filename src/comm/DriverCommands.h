#pragma once
// The driver's two special registers and the register writes a step of a sequence becomes.

#include <cstdint>

namespace zentor {

// Written with a new slave address; the driver answers from that new address.
inline constexpr int kIdentityChangeRegister = 0xF000;
// Written with kApplySettingsValue, the driver takes the motor settings written before over.
inline constexpr int kApplySettingsRegister = 0xF001;
inline constexpr uint16_t kApplySettingsValue = 0xA1A1;

// What one step of a sequence sends.
enum SequenceCommandKind : int {
    WriteRegister = 0,      // function 06: the register receives the low 16 bits of the value
    WriteRegisterPair = 1,  // function 16, two registers: the 32-bit value, high word first
    ApplySettings = 2,      // function 06: kApplySettingsValue to kApplySettingsRegister
};

struct SequenceCommand {
    int kind = WriteRegister;
    int registerAddress = 0;
    int32_t value = 0;
    bool operator==(const SequenceCommand&) const = default;
};

}  // namespace zentor
