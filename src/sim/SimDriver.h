#pragma once
// The simulated motor driver: a Modbus RTU slave of one control type that keeps that type's
// registers and acts like a drive (ramps, direction, brake, position, current, alarm).

#include "RegisterMap.h"

#include <QByteArray>
#include <cstdint>

namespace zentor::sim {

// Faults the driver shows on request; each applies to every answer while it is set.
struct SimFaults {
    bool silent = false;          // answers nothing
    bool badChecksum = false;     // the last byte of the checksum is wrong
    int wrongAddress = -1;        // >= 0: answers from this address instead of its own
    int splitGapMs = 0;           // > 0: each answer comes as two bursts this far apart
    int exceptionCode = 0;        // > 0: answers every request with this exception code
    int wrongFunction = 0;        // > 0: answers with this function code instead of the request's
};

class SimDriver {
public:
    explicit SimDriver(ControlType type, int slaveAddress = 100);

    ControlType type() const { return type_; }
    int slaveAddress() const { return slave_; }

    // The answer to one complete request frame, or an empty array where the driver stays
    // silent (another slave address, bad checksum, the silent fault).
    QByteArray handle(const QByteArray& request);
    // Moves the motor model on to the given time (milliseconds, never backwards).
    void advanceTo(int64_t nowMs);

    uint16_t reg(int address) const;
    void setReg(int address, uint16_t value);
    SimFaults& faults() { return faults_; }

    // Load on the shaft in per mille of the rated load; a stalled rotor does not turn.
    void setLoad(int perMille) { load_ = perMille; }
    void setStalled(bool stalled) { stalled_ = stalled; }

private:
    // Implementation state is the simulated driver's own.
    ControlType type_;
    int slave_;
    SimFaults faults_;
    int load_ = 100;
    bool stalled_ = false;
    int64_t now_ = 0;
    int64_t stallMs_ = 0;
    double rpm_ = 0;         // actual speed, signed: negative is CCW
    double position_ = 0;    // actual position in steps
    uint16_t regs_[256]{};
    struct Pending {         // settings written but not yet applied with 0xF001
        bool set = false;
        uint16_t value = 0;
    } pending_[256]{};
};

}  // namespace zentor::sim
