#include "SimDriver.h"

#include "Crc16Modbus.h"

#include <cmath>

namespace zentor::sim {

namespace {

constexpr int kReadFunction = 0x03;
constexpr int kWriteSingleFunction = 0x06;
constexpr int kWriteMultipleFunction = 0x10;
constexpr int kIllegalFunction = 0x01;
constexpr int kIllegalAddress = 0x02;
constexpr int kIllegalValue = 0x03;
constexpr int kMaxReadQuantity = 125;
constexpr int kMaxWriteQuantity = 123;

const uint8_t* u8(const QByteArray& a) { return reinterpret_cast<const uint8_t*>(a.constData()); }

int word(const uint8_t* at) { return at[0] << 8 | at[1]; }

void appendWord(QByteArray& out, int value)
{
    out.append(static_cast<char>((value >> 8) & 0xFF));
    out.append(static_cast<char>(value & 0xFF));
}

bool crcHolds(const QByteArray& frame) { return CrcHolds(u8(frame), static_cast<int>(frame.size())); }

// The registers the drive reports itself; the master only reads them.
constexpr int kReportedRoles[] = {DeviceIdRegister, SpeedFeedback, DirectionFeedback, PositionHigh,
                                  PositionLow,      MotorRpm,      MotorCurrent,      AlarmState,
                                  SpeedReference,   DirectionState, RunState,         BrakeState};

constexpr int kSettingRoles[] = {PoleCount, CurrentLimit, LockTime, ReducerRatio, MaxRpm, AccelTime, DecelTime};

int* settingField(MotorSettings& s, int role)
{
    switch (role) {
    case PoleCount: return &s.poleCount;
    case CurrentLimit: return &s.currentLimit;
    case LockTime: return &s.lockTimeMs;
    case ReducerRatio: return &s.reducerRatio;
    case MaxRpm: return &s.maxRpm;
    case AccelTime: return &s.accelTimeMs;
    case DecelTime: return &s.decelTimeMs;
    default: return nullptr;
    }
}

uint16_t rounded(double v) { return static_cast<uint16_t>(std::lround(std::fabs(v)) & 0xFFFF); }

QString hex2(int v) { return QStringLiteral("%1").arg(v & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); }

}  // namespace

SimDriver::SimDriver(ControlType type, int slaveAddress)
    : type_(type == PositionControl ? PositionControl : SpeedControl),
      slave_(isSlaveAddress(slaveAddress) ? slaveAddress : 100),
      motor_(type_ == PositionControl)
{
    for (int& p : published_) p = -1;
    regs_[0] = static_cast<uint16_t>(slave_);
    MotorSettings defaults;
    for (int role : kSettingRoles) regs_[registerOf(role)] = static_cast<uint16_t>(*settingField(defaults, role));
    motor_.setSettings(defaults);
    motor_.setCommands(commands());
    publish();
}

uint16_t SimDriver::reg(int address) const
{
    return address >= 0 && address < kRegisterCount ? regs_[address] : 0;
}

void SimDriver::setReg(int address, uint16_t value)
{
    if (address < 0 || address >= kRegisterCount) return;
    if (address == registerOf(DeviceIdRegister)) {
        if (isSlaveAddress(value & 0xFF)) slave_ = value & 0xFF;
        regs_[0] = static_cast<uint16_t>(slave_);
        return;
    }
    if (isReadOnly(address)) {
        regs_[address] = value;
        return;
    }
    store(address, value, true);
    motor_.setCommands(commands());
    publish();
}

bool SimDriver::isReadOnly(int address) const
{
    for (int role : kReportedRoles)
        if (registerOf(role) == address) return true;
    return false;
}

bool SimDriver::isSetting(int address) const
{
    for (int role : kSettingRoles)
        if (registerOf(role) == address) return true;
    return false;
}

void SimDriver::store(int address, uint16_t value, bool settingAtOnce)
{
    regs_[address] = value;
    for (int role : kSettingRoles) {
        if (registerOf(role) != address) continue;
        if (settingAtOnce) {
            MotorSettings s = motor_.settings();
            *settingField(s, role) = value;
            motor_.setSettings(s);
        }
        return;
    }
    if (address == registerOf(ZeroPositionSet) && value == 1) {
        motor_.zeroPosition();
        regs_[registerOf(TargetPositionHigh)] = 0;
        regs_[registerOf(TargetPositionLow)] = 0;
        regs_[address] = 0;  // a command that acts once; the next 1 acts again
    }
    if (address == registerOf(RunCommand) && value == 0) motor_.clearAlarm();
}

bool SimDriver::raiseAlarm(int code)
{
    if (code < 1 || code > 0xFFFF) return false;
    motor_.raiseAlarm(code);
    publish();
    return true;
}

void SimDriver::clearAlarm()
{
    motor_.clearAlarm();
    motor_.setCommands(commands());
    publish();
}

void SimDriver::applySettings()
{
    MotorSettings s;
    for (int role : kSettingRoles) *settingField(s, role) = regs_[registerOf(role)];
    motor_.setSettings(s);
}

MotorCommands SimDriver::commands() const
{
    MotorCommands c;
    c.run = regs_[registerOf(RunCommand)] != 0;
    c.brake = regs_[registerOf(BrakeCommand)] != 0;
    c.speedRpm = regs_[registerOf(SpeedCommand)];
    if (type_ == SpeedControl) {
        c.ccw = regs_[registerOf(DirectionCommand)] != 0;
    } else {
        c.target = CombineSigned32(regs_[registerOf(TargetPositionHigh)], regs_[registerOf(TargetPositionLow)]);
    }
    return c;
}

void SimDriver::advanceTo(int64_t nowMs)
{
    if (nowMs <= now_) return;
    motor_.setLoad(load_);
    motor_.setStalled(stalled_);
    motor_.setCommands(commands());
    motor_.advance(nowMs - now_);
    now_ = nowMs;
    publish();
}

void SimDriver::setPublished(int role, int value)
{
    const int address = registerOf(role);
    if (address < 0 || published_[address] == value) return;
    published_[address] = value;
    regs_[address] = static_cast<uint16_t>(value & 0xFFFF);
}

void SimDriver::publish()
{
    const MotorModel& m = motor_;
    const MotorCommands c = commands();
    setPublished(SpeedFeedback, rounded(m.rpm()));
    setPublished(MotorRpm, rounded(m.rpm()));
    setPublished(SpeedReference, rounded(m.reference()));
    setPublished(MotorCurrent, m.current());
    setPublished(AlarmState, m.alarm());
    setPublished(BrakeState, c.brake ? 1 : 0);
    if (type_ == SpeedControl) {
        setPublished(RunState, c.run && m.alarm() == 0 ? 1 : 0);
        setPublished(DirectionState, c.ccw ? 1 : 0);
        // While the motor stands it shows the selected direction.
        setPublished(DirectionFeedback, m.rpm() != 0 ? (m.rpm() < 0 ? 1 : 0) : (c.ccw ? 1 : 0));
    } else {
        const bool mountCcw = regs_[registerOf(MountDirection)] != 0;
        setPublished(RunState, c.run ? 1 : 0);  // the reset output
        setPublished(DirectionState, mountCcw ? 1 : 0);
        // The mounting turns the shaft the other way round; standing, the last rotation stays.
        if (m.rpm() != 0) ccwSeen_ = (m.rpm() < 0) != mountCcw;
        else if (published_[registerOf(DirectionFeedback)] < 0) ccwSeen_ = mountCcw;
        setPublished(DirectionFeedback, ccwSeen_ ? 1 : 0);
        const uint32_t p = static_cast<uint32_t>(m.position());
        setPublished(PositionHigh, static_cast<int>(p >> 16));
        setPublished(PositionLow, static_cast<int>(p & 0xFFFF));
    }
}

QByteArray SimDriver::handle(const QByteArray& request)
{
    answerNote_.clear();
    if (request.size() < 4 || !crcHolds(request)) {
        action_ = QStringLiteral("ignored: bad checksum");
        return {};
    }
    const uint8_t* r = u8(request);
    const bool toAll = r[0] == kBroadcastAddress;
    const bool identity = toAll && request.size() == 8 && r[1] == kReadFunction && word(r + 2) == 0 && word(r + 4) == 1;
    const bool broadcastWrite = toAll && (r[1] == kWriteSingleFunction || r[1] == kWriteMultipleFunction);
    if (toAll && !identity && !broadcastWrite) {
        action_ = QStringLiteral("ignored: broadcast of function %1").arg(hex2(r[1]));
        return {};
    }
    if (!toAll && r[0] != slave_) {
        action_ = QStringLiteral("ignored: other address %1").arg(r[0]);
        return {};
    }
    if (faults_.silent) {
        action_ = QStringLiteral("silent");
        return {};
    }

    QByteArray out = faults_.exceptionCode > 0
                         ? exception(r[1], faults_.exceptionCode, QStringLiteral("every request refused"))
                         : serve(request);
    if (broadcastWrite) {
        // Nobody answers a broadcast: the master could not tell whose answer it is.
        const bool refused = out.size() == 5 && (uint8_t(out[1]) & 0x80);
        action_ = (refused ? QStringLiteral("broadcast refused: ") : QStringLiteral("broadcast ")) + action_
                  + QStringLiteral(", not answered");
        return {};
    }
    if (out.isEmpty()) return out;
    answerNote_ = uint8_t(out[1]) & 0x80 ? QStringLiteral("exception %1").arg(hex2(out[2])) : QStringLiteral("answer");
    if (faults_.wrongFunction > 0 || faults_.wrongAddress >= 0) {
        out.chop(2);
        if (faults_.wrongFunction > 0) {
            out[1] = static_cast<char>(faults_.wrongFunction & 0xFF);
            answerNote_ += QStringLiteral(", function %1 (fault)").arg(hex2(faults_.wrongFunction));
        }
        if (faults_.wrongAddress >= 0) {
            out[0] = static_cast<char>(faults_.wrongAddress & 0xFF);
            answerNote_ += QStringLiteral(", from address %1 (fault)").arg(faults_.wrongAddress);
        }
        AppendCrc(out);
    }
    if (faults_.badChecksum) {
        out[out.size() - 1] = static_cast<char>(out[out.size() - 1] ^ 0xFF);
        answerNote_ += QStringLiteral(", checksum spoiled (fault)");
    }
    if (faults_.splitGapMs > 0) answerNote_ += QStringLiteral(", in two bursts %1 ms apart (fault)").arg(faults_.splitGapMs);
    return out;
}

QByteArray SimDriver::exception(int function, int code, const QString& why)
{
    action_ = QStringLiteral("exception %1 (%2)").arg(hex2(code), why);
    QByteArray out;
    out.append(static_cast<char>(slave_));
    out.append(static_cast<char>((function | 0x80) & 0xFF));
    out.append(static_cast<char>(code & 0xFF));
    AppendCrc(out);
    return out;
}

QByteArray SimDriver::serve(const QByteArray& request)
{
    const uint8_t* r = u8(request);
    const int n = static_cast<int>(request.size());
    switch (r[1]) {
    case kReadFunction:
        return n == 8 ? readHolding(r) : exception(r[1], kIllegalValue, QStringLiteral("read of %1 bytes").arg(n));
    case kWriteSingleFunction:
        return n == 8 ? writeSingle(request) : exception(r[1], kIllegalValue, QStringLiteral("write of %1 bytes").arg(n));
    case kWriteMultipleFunction:
        return n >= 9 && n == 9 + r[6] ? writeMultiple(request)
                                       : exception(r[1], kIllegalValue, QStringLiteral("byte count %1 in %2 bytes").arg(r[6]).arg(n));
    default:
        return exception(r[1], kIllegalFunction, QStringLiteral("function %1 not served").arg(hex2(r[1])));
    }
}

QByteArray SimDriver::readHolding(const uint8_t* r)
{
    const int start = word(r + 2);
    const int quantity = word(r + 4);
    if (quantity < 1 || quantity > kMaxReadQuantity)
        return exception(kReadFunction, kIllegalValue, QStringLiteral("read of %1 registers").arg(quantity));
    if (start + quantity > kRegisterCount)
        return exception(kReadFunction, kIllegalAddress, QStringLiteral("read past register %1").arg(kRegisterCount - 1));
    action_ = r[0] == kBroadcastAddress ? QStringLiteral("identity query, answered from address %1").arg(slave_)
                                        : QStringLiteral("read %1 register%2 from %3").arg(quantity).arg(quantity == 1 ? QString() : QStringLiteral("s")).arg(start);
    QByteArray out;
    out.append(static_cast<char>(slave_));
    out.append(static_cast<char>(kReadFunction));
    out.append(static_cast<char>(2 * quantity));
    for (int i = 0; i < quantity; ++i) appendWord(out, regs_[start + i]);
    AppendCrc(out);
    return out;
}

QByteArray SimDriver::writeSingle(const QByteArray& request)
{
    const uint8_t* r = u8(request);
    const int address = word(r + 2);
    const uint16_t value = static_cast<uint16_t>(word(r + 4));
    if (address == kIdentityChangeRegister) {
        if (!isSlaveAddress(value & 0xFF))
            return exception(kWriteSingleFunction, kIllegalValue, QStringLiteral("%1 is no slave address").arg(value & 0xFF));
        action_ = QStringLiteral("address change %1 -> %2").arg(slave_).arg(value & 0xFF);
        slave_ = value & 0xFF;
        regs_[0] = static_cast<uint16_t>(slave_);
    } else if (address == kApplySettingsRegister) {
        if (value != kApplySettingsValue)
            return exception(kWriteSingleFunction, kIllegalValue, QStringLiteral("apply with 0x%1").arg(value, 4, 16, QLatin1Char('0')));
        action_ = QStringLiteral("apply settings");
        applySettings();
    } else {
        if (address >= kRegisterCount)
            return exception(kWriteSingleFunction, kIllegalAddress, QStringLiteral("no register %1").arg(address));
        if (isReadOnly(address))
            return exception(kWriteSingleFunction, kIllegalAddress, QStringLiteral("register %1 is read-only").arg(address));
        action_ = QStringLiteral("write reg %1 = %2").arg(address).arg(value);
        store(address, value, false);
        motor_.setCommands(commands());
        publish();
    }
    // The echo comes from the address the driver has now: the new one after a change.
    QByteArray out = request.left(6);
    out[0] = static_cast<char>(slave_);
    AppendCrc(out);
    return out;
}

QByteArray SimDriver::writeMultiple(const QByteArray& request)
{
    const uint8_t* r = u8(request);
    const int start = word(r + 2);
    const int quantity = word(r + 4);
    if (quantity < 1 || quantity > kMaxWriteQuantity || r[6] != 2 * quantity)
        return exception(kWriteMultipleFunction, kIllegalValue,
                         QStringLiteral("write of %1 registers in %2 bytes").arg(quantity).arg(r[6]));
    if (start + quantity > kRegisterCount)
        return exception(kWriteMultipleFunction, kIllegalAddress, QStringLiteral("write past register %1").arg(kRegisterCount - 1));
    for (int i = 0; i < quantity; ++i)
        if (isReadOnly(start + i))
            return exception(kWriteMultipleFunction, kIllegalAddress, QStringLiteral("register %1 is read-only").arg(start + i));
    action_ = QStringLiteral("write regs %1..%2 =").arg(start).arg(start + quantity - 1);
    for (int i = 0; i < quantity; ++i) {
        const uint16_t value = static_cast<uint16_t>(word(r + 7 + 2 * i));
        action_ += QStringLiteral(" %1").arg(value);
        store(start + i, value, false);
    }
    motor_.setCommands(commands());
    publish();
    QByteArray out;
    out.append(static_cast<char>(slave_));
    out.append(static_cast<char>(kWriteMultipleFunction));
    appendWord(out, start);
    appendWord(out, quantity);
    AppendCrc(out);
    return out;
}

}  // namespace zentor::sim
