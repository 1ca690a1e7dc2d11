#pragma once
// A clock for tests: time stands still until the test advances it, and then every call that
// falls due runs at its own moment, in time order. Hours of operation take milliseconds.

#include "Clock.h"

#include <QPointer>
#include <map>
#include <unordered_map>
#include <utility>

namespace zentor {

class VirtualClock final : public Clock {
public:
    int64_t nowMs() const override { return now_; }
    CallId callAfter(int64_t delayMs, QObject* context, std::function<void()> fn) override;
    void cancel(CallId id) override;
    // Time jumps forward; calls due meanwhile wait until the next advance.
    void pause(int64_t ms) override;

    // Runs everything due up to now + ms, each at its own time, then sets the time to now + ms.
    void advance(int64_t ms);
    // Runs what is due at the present moment (zero-delay calls included).
    void runDue() { advance(0); }
    int pending() const { return static_cast<int>(queue_.size()); }

private:
    struct Call {
        bool hasContext;
        QPointer<QObject> context;
        std::function<void()> fn;
    };
    int64_t now_ = 0;
    uint64_t sequence_ = 0;
    std::map<std::pair<int64_t, uint64_t>, Call> queue_;  // by (due time, id)
    std::unordered_map<CallId, int64_t> dueOf_;
};

}  // namespace zentor
