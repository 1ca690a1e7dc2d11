#pragma once
// The simulated drive's motion in time: the speed reference ramps, the rotor follows it, the
// position runs to its target, and the current and the lock alarm come out of it, in 1 ms steps.

#include <cstdint>

namespace zentor::sim {

// The parameters the drive works with: those in force since the last apply.
struct MotorSettings {
    int maxRpm = 3000;
    int currentLimit = 800;  // 0.01 A
    int lockTimeMs = 1000;
    int poleCount = 8;
    int reducerRatio = 1000;  // ratio x 100; 0 = no reducer
    int accelTimeMs = 1000;   // from 0 to maxRpm; 0 = at once
    int decelTimeMs = 1000;   // from maxRpm to 0; 0 = at once
};

// What the master last commanded.
struct MotorCommands {
    bool run = false;    // speed control: run; position control moves whenever a target differs
    bool ccw = false;    // speed control direction
    bool brake = false;  // the brake holds the rotor and cuts the drive
    int speedRpm = 0;    // speed control: the speed to run at; position control: travel speed
    int32_t target = 0;  // position control, in steps
};

class MotorModel {
public:
    static constexpr int kLockAlarm = 1;        // AlarmState of a locked rotor
    static constexpr int kIdleCurrent = 30;     // 0.30 A to turn the motor without load
    static constexpr int kRatedCurrent = 400;   // 4.00 A at rated load or full acceleration
    static constexpr double kFullAccel = 3.0;   // rpm per ms that takes the rated current
    static constexpr double kLagMs = 20;        // the rotor follows the speed reference this slowly
    static constexpr double kBrakeStopMs = 100; // the brake stops the motor from maxRpm this fast

    explicit MotorModel(bool positionControl) : position_(positionControl) {}

    void setSettings(const MotorSettings& settings) { settings_ = settings; }
    const MotorSettings& settings() const { return settings_; }
    void setCommands(const MotorCommands& commands) { commands_ = commands; }
    void setLoad(int perMille) { load_ = perMille < 0 ? 0 : perMille; }
    void setStalled(bool stalled) { stalled_ = stalled; }

    // Runs the model ms milliseconds on with the present commands.
    void advance(int64_t ms);
    // The present place becomes step 0; the target moves along, so the motor stays put.
    void zeroPosition();
    void clearAlarm() { alarm_ = 0; stallMs_ = 0; }
    // An alarm of the drive's own (code != 0): it cuts the drive as the lock alarm does.
    void raiseAlarm(int code);

    // Signed speeds in RPM: negative is CCW in speed control, toward smaller steps in position.
    double rpm() const { return rpm_; }
    double reference() const { return ref_; }
    int32_t position() const;
    int32_t target() const { return commands_.target; }
    int current() const { return current_; }
    int alarm() const { return alarm_; }
    // True while the drive turns the rotor or holds a demand on it.
    bool demanded() const { return demanded_; }

    // Motor steps per millisecond at 1 RPM: the motor makes poleCount x 3 steps a revolution,
    // so one output revolution is reducerRatio x poleCount x 3 / 100 steps.
    double stepsPerMsPerRpm() const;

private:
    void step();
    double wanted() const;

    bool position_;
    MotorSettings settings_;
    MotorCommands commands_;
    int load_ = 100;
    bool stalled_ = false;

    double ref_ = 0;
    double rpm_ = 0;
    double pos_ = 0;
    int current_ = 0;
    int alarm_ = 0;
    int64_t stallMs_ = 0;
    bool demanded_ = false;
};

}  // namespace zentor::sim
