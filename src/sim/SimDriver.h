#pragma once
// The simulated motor driver: a Modbus RTU slave of one control type that keeps that type's
// registers and acts like a drive (ramps, direction, brake, position, current, alarm).

#include "DriverCommands.h"
#include "MotorModel.h"
#include "RegisterMap.h"

#include <QByteArray>
#include <QString>
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

// How the driver serves its registers:
// - registers 0..255 are read with function 03 (1..125 at a time) and written with 06 and 16;
//   what the drive reports itself (register 0 with the slave address, speeds, position,
//   current, alarm and the states) is read-only and a write to it is refused (exception 02);
// - the motor parameters (PoleCount, CurrentLimit, LockTime, ReducerRatio, MaxRpm, AccelTime,
//   DecelTime) read back as written at once but take effect only when 0xF001 is written with
//   0xA1A1; commands, MountDirection and the target take effect at once;
// - 0xF000 (function 06) takes a new slave address (low byte, 1..247) and is answered from it;
//   0 and 248..255 are no slave addresses and are refused (exception 03);
// - the identity query (function 03 to address 0, register 0, one register) is answered from
//   the driver's own address; a write to address 0 (function 06 or 16) is a broadcast, carried
//   out as if addressed to the driver and never answered; any other request to 0 is ignored;
// - an alarm (the lock alarm of a stalled rotor, or one raised from the driver's side) cuts the
//   drive and shows in AlarmState until a write of 0 to RunCommand (stop, or reset LOW);
// - ZeroPositionSet written with 1 makes the present position step 0 (the target too, so the
//   motor stays put) and reads 0 again afterwards;
// - a silent driver neither acts on a request nor answers it, as if the line were cut.
class SimDriver {
public:
    static constexpr int kRegisterCount = 256;
    static constexpr int kBroadcastAddress = 0;
    static constexpr int kHighestSlaveAddress = 247;  // 248..255 are reserved by Modbus

    // Whether address is one a driver may have: 1..247.
    static bool isSlaveAddress(int address) { return address >= 1 && address <= kHighestSlaveAddress; }

    // A slaveAddress outside 1..247 gives the factory address 100.
    explicit SimDriver(ControlType type, int slaveAddress = 100);

    ControlType type() const { return type_; }
    int slaveAddress() const { return slave_; }

    // The answer to one complete request frame, or an empty array where the driver stays
    // silent (another slave address, bad checksum, a broadcast, the silent fault).
    QByteArray handle(const QByteArray& request);
    // What the last handle() did with its request ("read 34 registers from 0", "write reg 3 =
    // 1", "exception 02 (...)", "ignored: other address 7", ...) and, where it answered, what the
    // answer is ("answer", with the faults that spoiled it); for a log of the line.
    const QString& lastAction() const { return action_; }
    const QString& lastAnswer() const { return answerNote_; }
    // Moves the motor model on to the given time (milliseconds, never backwards).
    void advanceTo(int64_t nowMs);

    uint16_t reg(int address) const;
    // Sets a register from the driver's side, as its own panel would: a motor parameter takes
    // effect at once; a register the drive reports keeps the value until the drive's own value
    // for it changes; a command acts as if the master had written it.
    void setReg(int address, uint16_t value);
    SimFaults& faults() { return faults_; }

    // Raises the alarm code (1..65535) as the drive raises its lock alarm: the drive is cut and
    // AlarmState reads the code until the master stops the drive (RunCommand 0) or clearAlarm.
    // False, and nothing changes, for a code outside 1..65535.
    bool raiseAlarm(int code);
    // Ends the alarm from the driver's side; the drive works on the commands in force.
    void clearAlarm();

    // Load on the shaft in per mille of the rated load; a stalled rotor does not turn.
    void setLoad(int perMille) { load_ = perMille; }
    void setStalled(bool stalled) { stalled_ = stalled; }

    // The parameters in force (those of the last apply).
    const MotorSettings& appliedSettings() const { return motor_.settings(); }
    const MotorModel& motor() const { return motor_; }
    // Register number of a role in this driver's layout, -1 where it has none.
    int registerOf(int role) const { return RegisterLayout::registerIn(type_, role); }

private:
    QByteArray serve(const QByteArray& request);
    QByteArray readHolding(const uint8_t* r);
    QByteArray writeSingle(const QByteArray& request);
    QByteArray writeMultiple(const QByteArray& request);
    // The exception answer; why says what was refused, for lastAction().
    QByteArray exception(int function, int code, const QString& why);

    bool isReadOnly(int address) const;
    bool isSetting(int address) const;
    // Stores a written register and acts on it; settings wait for the apply unless at once.
    void store(int address, uint16_t value, bool settingAtOnce);
    void applySettings();
    MotorCommands commands() const;
    // Copies what the model reports into the registers whose value it changed.
    void publish();
    void setPublished(int role, int value);

    ControlType type_;
    int slave_;
    SimFaults faults_;
    int load_ = 100;
    bool stalled_ = false;
    int64_t now_ = 0;
    MotorModel motor_;
    bool ccwSeen_ = false;  // last direction of rotation, shown while the motor stands
    uint16_t regs_[kRegisterCount]{};
    int published_[kRegisterCount];
    QString action_;
    QString answerNote_;
};

}  // namespace zentor::sim
