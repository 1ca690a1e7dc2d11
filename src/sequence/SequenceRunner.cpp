#include "SequenceRunner.h"

#include "RunTimeFormats.h"

#include <algorithm>
#include <utility>

namespace zentor {

int RunRecord::checkCount() const
{
    int n = 0;
    for (const StepRecord& s : steps) n += static_cast<int>(s.checks.size());
    return n;
}

int RunRecord::failed() const
{
    int n = 0;
    for (const StepRecord& s : steps)
        for (const CheckResult& c : s.checks) n += c.state == CheckState::Fail;
    return n;
}

int RunRecord::incomplete() const
{
    int n = 0;
    for (const StepRecord& s : steps)
        for (const CheckResult& c : s.checks) n += c.state == CheckState::Incomplete || c.state == CheckState::Pending;
    return n;
}

QString RunRecord::verdict() const
{
    switch (end) {
    case RunEnd::NotRun:
    case RunEnd::Running:
        return {};
    case RunEnd::Stopped:
        return QStringLiteral("INCOMPLETE");
    case RunEnd::End:
        break;
    }
    if (!hasChecks()) return QStringLiteral("NO CHECKS");
    if (const int f = failed()) return QStringLiteral("FAIL (%1)").arg(f);
    if (incomplete() > 0) return QStringLiteral("INCOMPLETE");
    return QStringLiteral("PASS");
}

void SequenceRunner::setSchedule(SequenceSchedule schedule)
{
    // A new list abandons the run: what it did so far stays on record.
    if (running_) finishRecord(RunEnd::Stopped);
    schedule_ = std::move(schedule);
    toIdle();
}

void SequenceRunner::finishRecord(RunEnd end)
{
    record_.end = end;
    // Checks that were never judged stay out of PASS.
    for (StepRecord& s : record_.steps)
        for (CheckResult& c : s.checks)
            if (c.state == CheckState::Pending) c.state = CheckState::Incomplete;
    read_ = Read::None;
}

void SequenceRunner::judgeChecks(const StatusSample& sample)
{
    if (read_ != Read::Sent || record_.steps.empty()) return;
    read_ = Read::None;
    record_.deviceId = sample.deviceId;
    const ScheduledItem& item = schedule_.items[static_cast<size_t>(lastSentItem_)];
    StepRecord& step = record_.steps.back();
    for (size_t k = 0; k < item.checks.size() && k < step.checks.size(); ++k) step.checks[k] = Judge(item.checks[k], sample);
}

void SequenceRunner::missRead()
{
    read_ = Read::None;
    ++readFailures_;
    if (!record_.steps.empty())
        for (CheckResult& c : record_.steps.back().checks) c.state = CheckState::Incomplete;
}

int SequenceRunner::checkReadFailed()
{
    if (read_ != Read::Sent) return 0;
    missRead();
    return readFailures_;
}

void SequenceRunner::noteAnswer(int64_t step, const QString& judged)
{
    for (auto it = record_.steps.rbegin(); it != record_.steps.rend(); ++it)
        if (it->step == step) {
            if (it->answer.isEmpty()) it->answer = judged;
            return;
        }
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
        record_ = RunRecord{};
        record_.end = RunEnd::Running;
        read_ = Read::None;
        readFailures_ = 0;
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
    if (running_) finishRecord(RunEnd::Stopped);
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
    bool due = step == 0 || itemElapsedMs_ >= schedule_.items[static_cast<size_t>(lastSentItem_)].timeMs;
    bool sentNow = false;
    if (due && read_ != Read::None) {
        // The checks of the step sent last are judged before anything else goes.
        if (read_ == Read::NotSent) {
            // Its time ran out in the tick of its own write (a time of 0): the read could not go
            // with the write, so it goes now and the next step waits one tick for its answer.
            out.checkRead = true;
            read_ = Read::Sent;
            readSentAtMs_ = nowMs;
            due = false;
        } else if (nowMs - readSentAtMs_ < kCheckAnswerMs) {
            due = false;  // the answer is on its way (a slow line): one tick more
        } else {
            missRead();
            out.checkReadMissed = true;
        }
    }
    if (due) {
        if (step < schedule_.totalSteps) {
            const int k = schedule_.itemOfStep(step);
            const ScheduledItem& item = schedule_.items[static_cast<size_t>(k)];
            out.command = item.resolved.command;
            itemStart_ = nowMs;
            out.clearMarkRow = lastSentItem_;
            out.markRow = k;
            lastSentItem_ = k;
            sentNow = true;
            StepRecord r;
            r.step = step + 1;
            r.item = k;
            r.sentAtMs = nowMs - runStart_;
            r.line = item.line;
            r.command = item.resolved.command;
            for (const Expectation& e : item.checks) r.checks.push_back({e.text, CheckState::Pending, {}});
            record_.steps.push_back(std::move(r));
            read_ = item.checks.empty() ? Read::None : Read::NotSent;
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
        finishRecord(RunEnd::End);
        toIdle();
        out.sequenceRunning = false;
        return out;
    }
    // The checks are judged on the driver's state at the last tick before the next step is
    // due: the same measurement makes the next tick send it.
    if (read_ == Read::NotSent && !sentNow &&
        itemElapsedMs_ >= schedule_.items[static_cast<size_t>(lastSentItem_)].timeMs) {
        out.checkRead = true;
        read_ = Read::Sent;
        readSentAtMs_ = nowMs;
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
