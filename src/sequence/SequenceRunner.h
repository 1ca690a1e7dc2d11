#pragma once
// The sequence run as a state machine (Idle, Running, Paused) driven by START/PAUSE, RESET and
// a 100 ms one-shot tick; each call says what to send, which rows to mark and what to show.

#include "SequenceSchedule.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace zentor {

inline const QString kSequenceEndMessage = QStringLiteral("Sequence Test END");
constexpr int kRunTickMs = 100;
// How long the answer to a check's status read may take; the next step waits for it so long.
constexpr int kCheckAnswerMs = 200;

// One step as it was played: when it went, what it sent, how the answer to it was judged and
// what its item's checks found.
struct StepRecord {
    int64_t step = 0;      // 1-based
    int item = 0;          // 0-based item index
    int64_t sentAtMs = 0;  // since START
    QString line;          // the item line
    SequenceCommand command;
    QString answer;        // how the answer to the command was judged; empty until known
    std::vector<CheckResult> checks;
};

enum class RunEnd { NotRun, Running, End, Stopped };

// The steps of the last run, kept after it until the next START.
struct RunRecord {
    std::vector<StepRecord> steps;
    RunEnd end = RunEnd::NotRun;
    int deviceId = -1;  // the driver's address (low byte of register 0) as a check read gave it
    int checkCount() const;
    int failed() const;
    int incomplete() const;  // pending ones included: they were never judged
    bool hasChecks() const { return checkCount() > 0; }
    // "PASS", "FAIL (n)", "INCOMPLETE" (the run did not reach END, or a check could not be
    // judged), "NO CHECKS" for a run that reached END without any; empty before any run.
    QString verdict() const;
    // Every check passed and the run reached END.
    bool passed() const { return end == RunEnd::End && hasChecks() && failed() == 0 && incomplete() == 0; }
};

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
    // Send the status read of the layout now: its answer is judged by the pending checks (with
    // judgeChecks, or checkReadFailed when it is missing or refused).
    bool checkRead = false;
    // The status read sent for checks got no usable answer in time: its checks are incomplete
    // and it counts as one of the run's failures (see checkReadFailures).
    bool checkReadMissed = false;
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

    // The answer to the check read came and was applied: the checks of the step sent last are
    // judged on it. Ignored when no check read is outstanding.
    void judgeChecks(const StatusSample& sample);
    // The answer to the check read is missing or refused: its checks are incomplete. Returns
    // the failures counted in this run, or 0 when no check read was outstanding.
    int checkReadFailed();
    // Missing or refused answers to check reads in this run: the second ends a run.
    int checkReadFailures() const { return readFailures_; }
    bool checkReadOutstanding() const { return read_ == Read::Sent; }
    // How the answer to step's command was judged ("applied", "no answer", ...).
    void noteAnswer(int64_t step, const QString& judged);
    const RunRecord& record() const { return record_; }

private:
    RunOutput output() const;
    RunOutput runTick(int64_t nowMs);
    void updateRunTimes(int64_t nowMs);
    void toIdle();
    void finishRecord(RunEnd end);
    void missRead();

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

    enum class Read { None, NotSent, Sent };  // the check read of the step sent last
    Read read_ = Read::None;
    int64_t readSentAtMs_ = 0;
    int readFailures_ = 0;
    RunRecord record_;
};

}  // namespace zentor
