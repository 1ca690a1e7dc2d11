#pragma once
// The sequence run as a state machine (Idle, Running, Paused) driven by START/PAUSE, RESET and
// a 100 ms one-shot tick; each call says what to send, which rows to mark and what to show.

#include "SequenceSchedule.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace zentor {

inline const QString kSequenceEndMessage = QStringLiteral("Sequence Test END");
constexpr int kRunTickMs = 100;

enum class RunnerState { Idle, Running, Paused };

// What the caller does after a call, in this order: show refusal (and stop there) when it is not
// empty; send command at once; empty column 0 of clearMarkRow (or of every row when
// clearAllMarks), then put ">" into column 0 of markRow; show displays; arm the 100 ms tick when
// armTimer (otherwise make sure it is off); when end, show kSequenceEndMessage before clearing the
// marks and SequenceRunning, then rebuild the list (the runner is Idle already). sequenceRunning
// is the console's SequenceRunning flag.
struct RunOutput {
    QString refusal;
    std::optional<SequenceCommand> command;
    int clearMarkRow = -1;  // 0-based item row, -1 none
    int markRow = -1;       // 0-based item row, -1 none
    bool clearAllMarks = false;
    RunDisplays displays;
    bool armTimer = false;
    bool end = false;
    bool sequenceRunning = false;
};

class SequenceRunner {
public:
    // The schedule of the list as just rebuilt; any run is abandoned and the displays are idle.
    void setSchedule(SequenceSchedule schedule);
    const SequenceSchedule& schedule() const { return schedule_; }

    RunnerState state() const;
    bool sequenceRunning() const { return running_; }
    bool paused() const { return paused_; }
    // "PAUSE" while paused, "START" otherwise.
    QString startCaption() const;
    const RunDisplays& displays() const { return displays_; }
    int64_t stepCounter() const { return stepCounter_; }

    // START/PAUSE. With no run yet: refuse a list holding an item that does not resolve, or
    // start (item 1 is sent at once; an empty list only sets SequenceRunning). Running: pause
    // (the clock keeps going). Paused: resume with an immediate tick.
    RunOutput startOrPause(int64_t nowMs);
    // The 100 ms tick; does nothing unless running and not paused.
    RunOutput tick(int64_t nowMs);
    // RESET, and the reset after a link failure or the port's removal.
    RunOutput reset();

private:
    RunOutput output() const;
    RunOutput runTick(int64_t nowMs);
    void updateRunTimes(int64_t nowMs);
    void toIdle();

    SequenceSchedule schedule_;
    RunDisplays displays_ = IdleDisplays(SequenceSchedule{});
    bool running_ = false;
    bool paused_ = false;
    int64_t stepCounter_ = 0;
    int lastSentItem_ = -1;
    int64_t runStart_ = 0;
    int64_t itemStart_ = 0;
    int64_t runElapsedMs_ = 0;
    int64_t itemElapsedMs_ = 0;
    int64_t remainingMs_ = 0;
};

}  // namespace zentor
