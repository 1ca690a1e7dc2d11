#include "MotorModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zentor::sim {

namespace {

constexpr double kEndless = std::numeric_limits<double>::infinity();

double sign(double v) { return v < 0 ? -1.0 : v > 0 ? 1.0 : 0.0; }

// One millisecond of the reference ramp: away from zero at the acceleration rate, toward zero
// at the deceleration rate; a reversal first runs down to zero.
double ramp(double ref, double want, double up, double down)
{
    if (ref == want) return ref;
    const bool sameWay = ref == 0 || (want != 0 && (ref > 0) == (want > 0));
    if (sameWay && std::fabs(want) > std::fabs(ref)) return ref + sign(want) * std::min(up, std::fabs(want) - std::fabs(ref));
    const double floor = sameWay ? std::fabs(want) : 0.0;
    return ref - sign(ref) * std::min(down, std::fabs(ref) - floor);
}

}  // namespace

double MotorModel::stepsPerMsPerRpm() const
{
    // A motor has at least one pole pair, whatever was configured.
    const int poles = std::max(2, settings_.poleCount);
    return poles * 3.0 / 60'000.0;
}

int32_t MotorModel::position() const
{
    const double p = std::round(pos_);
    return static_cast<int32_t>(std::clamp(p, double(std::numeric_limits<int32_t>::min()),
                                           double(std::numeric_limits<int32_t>::max())));
}

void MotorModel::raiseAlarm(int code)
{
    if (code == 0) return;
    alarm_ = code;
    ref_ = rpm_ = 0;
    current_ = 0;
    stallMs_ = 0;
    demanded_ = false;
}

void MotorModel::zeroPosition()
{
    pos_ = 0;
    commands_.target = 0;
}

double MotorModel::wanted() const
{
    if (commands_.brake || alarm_ != 0) return 0;
    const double speed = std::clamp(double(commands_.speedRpm), 0.0, double(std::max(0, settings_.maxRpm)));
    if (!position_) return commands_.run ? (commands_.ccw ? -speed : speed) : 0;
    const double distance = commands_.target - pos_;
    return std::fabs(distance) < 0.5 ? 0 : sign(distance) * speed;
}

void MotorModel::advance(int64_t ms)
{
    for (int64_t i = 0; i < ms; ++i) {
        const double ref = ref_, rpm = rpm_, pos = pos_;
        const int current = current_, alarm = alarm_;
        const int64_t stall = stallMs_;
        step();
        // Nothing moved in this millisecond, so nothing moves in the next ones either.
        if (ref == ref_ && rpm == rpm_ && pos == pos_ && current == current_ && alarm == alarm_ && stall == stallMs_) break;
    }
}

void MotorModel::step()
{
    const double maxRpm = std::max(0, settings_.maxRpm);
    const double up = settings_.accelTimeMs > 0 ? maxRpm / settings_.accelTimeMs : kEndless;
    double down = settings_.decelTimeMs > 0 ? maxRpm / settings_.decelTimeMs : kEndless;
    if (commands_.brake) down = std::max(down, maxRpm / kBrakeStopMs);

    const double want = wanted();
    const bool drive = !commands_.brake && alarm_ == 0;
    const double before = rpm_;
    ref_ = ramp(ref_, want, up, down);

    if (position_ && drive) {
        // Never faster than what still stops at the target at the deceleration rate.
        const double distance = commands_.target - pos_;
        if (std::fabs(distance) >= 0.5 && sign(ref_) == sign(distance) && down != kEndless) {
            const double reachable = std::sqrt(2 * down * std::fabs(distance) / stepsPerMsPerRpm());
            if (std::fabs(ref_) > reachable) ref_ = sign(ref_) * reachable;
        }
    }

    if (stalled_) {
        rpm_ = 0;
    } else if (position_) {
        rpm_ = ref_;  // the position loop keeps the rotor on its reference
    } else {
        rpm_ += (ref_ - rpm_) / kLagMs;
        if (std::fabs(ref_ - rpm_) < 0.01) rpm_ = ref_;
    }

    if (position_ && !stalled_) {
        const double move = rpm_ * stepsPerMsPerRpm();
        const double distance = commands_.target - pos_;
        if (drive && move != 0 && sign(move) == sign(distance) && std::fabs(move) >= std::fabs(distance)) {
            pos_ = commands_.target;  // arrived: the motor stops on the step
            ref_ = rpm_ = 0;
        } else {
            pos_ += move;
        }
    }

    demanded_ = drive && (want != 0 || ref_ != 0);
    if (stalled_ && demanded_) {
        ++stallMs_;
        if (stallMs_ > settings_.lockTimeMs) {
            // The lock alarm cuts the drive.
            alarm_ = kLockAlarm;
            ref_ = rpm_ = 0;
            demanded_ = false;
        }
    } else {
        stallMs_ = 0;
    }

    const int limit = std::max(0, settings_.currentLimit);
    if (!demanded_) {
        current_ = 0;
    } else if (stalled_) {
        current_ = limit;  // a locked rotor draws all the drive allows
    } else {
        const double accel = std::fabs(rpm_ - before);
        const double amps = kIdleCurrent + kRatedCurrent * load_ / 1000.0 + kRatedCurrent * accel / kFullAccel;
        current_ = static_cast<int>(std::min(std::round(amps), double(limit)));
    }
}

}  // namespace zentor::sim
