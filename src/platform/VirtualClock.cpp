#include "VirtualClock.h"

namespace zentor {

void VirtualClock::callAfter(int64_t delayMs, QObject* context, std::function<void()> fn)
{
    const int64_t due = now_ + (delayMs < 0 ? 0 : delayMs);
    queue_.emplace(std::make_pair(due, sequence_++), Call{context != nullptr, QPointer<QObject>(context), std::move(fn)});
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
        queue_.erase(it);
        if (call.hasContext && call.context.isNull()) continue;
        call.fn();
    }
    if (target > now_) now_ = target;
}

}  // namespace zentor
