#include "Scheduler.h"

namespace zentor {

Scheduler::Scheduler(Clock& clock, QObject* context, std::function<void(int)> onTimer)
    : clock_(clock), context_(context), onTimer_(std::move(onTimer))
{
}

void Scheduler::start(int id, int periodMs)
{
    Timer& t = timers_[id];
    clock_.cancel(t.call);
    t.running = true;
    t.period = periodMs < 1 ? 1 : periodMs;
    t.generation++;
    t.due = clock_.nowMs() + t.period;
    arm(id);
}

void Scheduler::kill(int id)
{
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second.running = false;
    it->second.generation++;
    clock_.cancel(it->second.call);
    it->second.call = 0;
}

bool Scheduler::isRunning(int id) const
{
    auto it = timers_.find(id);
    return it != timers_.end() && it->second.running;
}

int Scheduler::period(int id) const
{
    auto it = timers_.find(id);
    return it == timers_.end() ? 0 : it->second.period;
}

void Scheduler::arm(int id)
{
    Timer& t = timers_[id];
    const uint64_t generation = t.generation;
    t.call = clock_.callAfter(t.due - clock_.nowMs(), context_, [this, id, generation] { fire(id, generation); });
}

void Scheduler::fire(int id, uint64_t generation)
{
    auto it = timers_.find(id);
    if (it == timers_.end() || !it->second.running || it->second.generation != generation) return;
    Timer& t = it->second;
    const int64_t now = clock_.nowMs();
    t.due += t.period;
    if (t.due <= now) t.due = now + t.period;
    arm(id);
    onTimer_(id);
}

}  // namespace zentor
