#pragma once
// Register maps for the panel logic tests, filled through the raw image as a status answer
// would fill them, so that the refresh inside RefreshStatus sees the same values.

#include "RegisterMap.h"

#include <QList>
#include <QPair>
#include <cstdint>

namespace zentor::test {

// (role, value) pairs; a role's register comes from the layout of the fixture's type.
using RoleValues = QList<QPair<int, int>>;

struct Regs {
    RegisterMap m;

    explicit Regs(int controlType) { m.layout.apply(controlType); }

    Regs& setRegister(int reg, uint16_t v)
    {
        const uint8_t bytes[2] = {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
        m.image.write(2 * reg, bytes, 2);
        m.values.refresh(m.image);
        return *this;
    }
    Regs& set(int role, int v) { return setRegister(m.layout.registerOf(role), static_cast<uint16_t>(v)); }
    Regs& set(const RoleValues& values)
    {
        for (const auto& [role, v] : values) set(role, v);
        return *this;
    }
    Regs& set32(int highRole, int lowRole, int32_t v)
    {
        const auto u = static_cast<uint32_t>(v);
        set(highRole, static_cast<int>(u >> 16));
        return set(lowRole, static_cast<int>(u & 0xFFFF));
    }
};

}  // namespace zentor::test
