#include "VirtualClock.h"

namespace zentor {

Clock::CallId VirtualClock::callAfter(int64_t delayMs, QObject* context, std::function<void()> fn)
{
    const int64_t due = now_ + (delayMs < 0 ? 0 : delayMs);
    const CallId id = ++sequence_;
    queue_.emplace(std::make_pair(due, id), Call{context != nullptr, QPointer<QObject>(context), std::move(fn)});
    dueOf_.emplace(id, due);
    return id;
}

void VirtualClock::cancel(CallId id)
{
    auto it = dueOf_.find(id);
    if (it == dueOf_.end()) return;
    queue_.erase(std::make_pair(it->second, id));
    dueOf_.erase(it);
}

void VirtualClock::pause(int64_t ms)
{
    if (ms > 0) now_ += ms;
}

void VirtualClock::advance(int64_t ms)
{
    const int64_t target = now_ + (ms < 0 ? 0 : ms);
    while (!queue_.empty()) {
        auto it = queue_.begin();
        if (it->first.first > target) break;
        Call call = std::move(it->second);
        if (it->first.first > now_) now_ = it->first.first;
        dueOf_.erase(it->first.second);
        queue_.erase(it);
        if (call.hasContext && call.context.isNull()) continue;
        call.fn();
    }
    if (target > now_) now_ = target;
}

}  // namespace zentor
