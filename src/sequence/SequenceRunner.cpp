#include "SequenceRunner.h"

#include "RunTimeFormats.h"

#include <algorithm>
#include <utility>

namespace zentor {

void SequenceRunner::setSchedule(SequenceSchedule schedule)
{
    schedule_ = std::move(schedule);
    toIdle();
}

RunnerState SequenceRunner::state() const
{
    if (!running_) return RunnerState::Idle;
    return paused_ ? RunnerState::Paused : RunnerState::Running;
}

QString SequenceRunner::startCaption() const { return paused_ ? QStringLiteral("PAUSE") : QStringLiteral("START"); }

void SequenceRunner::toIdle()
{
    running_ = false;
    paused_ = false;
    stepCounter_ = 0;
    lastSentItem_ = -1;
    runElapsedMs_ = itemElapsedMs_ = 0;
    remainingMs_ = schedule_.totalMs;
    displays_ = IdleDisplays(schedule_);
}

RunOutput SequenceRunner::output() const
{
    RunOutput out;
    out.displays = displays_;
    out.sequenceRunning = running_;
    return out;
}

RunOutput SequenceRunner::startOrPause(int64_t nowMs)
{
    if (!running_ || stepCounter_ == 0) {
        // Nothing is sent from a list with an item that would not arrive as written.
        const QString refusal = UnresolvedMessage(schedule_);
        if (!refusal.isEmpty()) {
            RunOutput out = output();
            out.refusal = refusal;
            return out;
        }
        running_ = true;
        paused_ = false;
        runStart_ = itemStart_ = nowMs;
        itemElapsedMs_ = 0;
        lastSentItem_ = -1;
        return runTick(nowMs);
    }
    if (!paused_) {
        // The clock is not stopped: the pause counts as time of the run and of the pending item.
        paused_ = true;
        updateRunTimes(nowMs);
        return output();
    }
    paused_ = false;
    // Decides with the measurement taken before the pause; the next tick measures afresh.
    return runTick(nowMs);
}

RunOutput SequenceRunner::tick(int64_t nowMs)
{
    if (!running_ || paused_) return output();
    return runTick(nowMs);
}

RunOutput SequenceRunner::reset()
{
    toIdle();
    RunOutput out = output();
    out.clearAllMarks = true;
    return out;
}

RunOutput SequenceRunner::runTick(int64_t nowMs)
{
    RunOutput out;
    // An empty list runs without steps, without a tick and without an end, until RESET.
    if (schedule_.empty()) return output();
    const int64_t step = stepCounter_;
    // Measured at the end of the previous tick: the next step goes at the first tick after the
    // previous one's time has run out, counted from its actual send.
    const bool due = step == 0 || itemElapsedMs_ >= schedule_.items[static_cast<size_t>(lastSentItem_)].timeMs;
    if (due) {
        if (step < schedule_.totalSteps) {
            const int k = schedule_.itemOfStep(step);
            out.command = schedule_.items[static_cast<size_t>(k)].resolved.command;
            itemStart_ = nowMs;
            out.clearMarkRow = lastSentItem_;
            out.markRow = k;
            lastSentItem_ = k;
        }
        ++stepCounter_;
        if (stepCounter_ <= schedule_.totalSteps) {
            displays_.currentItem = QString::number(stepCounter_);
            displays_.remainingItems = QString::number(schedule_.totalSteps - stepCounter_);
        }
    }
    updateRunTimes(nowMs);
    out.displays = displays_;
    if (stepCounter_ > schedule_.totalSteps) {
        // The last measurement stays on show while the END message is up; then all is idle.
        out.end = true;
        out.clearAllMarks = true;
        toIdle();
        out.sequenceRunning = false;
        return out;
    }
    out.sequenceRunning = true;
    out.armTimer = true;
    return out;
}

void SequenceRunner::updateRunTimes(int64_t nowMs)
{
    if (schedule_.empty() || paused_) return;
    // Readings of a monotonic clock: true elapsed milliseconds whatever the wall clock does.
    runElapsedMs_ = std::max<int64_t>(0, nowMs - runStart_);
    itemElapsedMs_ = std::max<int64_t>(0, nowMs - itemStart_);
    remainingMs_ = schedule_.totalMs - runElapsedMs_;
    displays_.currentTime = FormatMilliseconds(runElapsedMs_);
    displays_.remainingTime = FormatMilliseconds(remainingMs_);
    if (schedule_.singlePassMs <= 0) {
        displays_.progress = 0;
    } else {
        const __int128 p = static_cast<__int128>(200) * runElapsedMs_ / schedule_.singlePassMs;
        displays_.progress = static_cast<int>(std::min<__int128>(p, 200));
    }
}

}  // namespace zentor
