#pragma once
// Time as the console's logic sees it: the present in milliseconds, one-shot calls after a
// delay on the owner's thread, and the blocking pause of the window thread.

#include <QObject>
#include <cstdint>
#include <functional>

namespace zentor {

class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t nowMs() const = 0;
    // The same present in microseconds, for what is shown finer than a millisecond; a clock
    // without a finer reading gives its milliseconds.
    virtual int64_t nowUs() const { return nowMs() * 1000; }
    // A call asked for, as cancel() names it; never 0.
    using CallId = uint64_t;
    // Calls fn once, on this thread, delayMs from now, unless context is gone by then.
    // Calls due at the same moment run in the order they were asked for.
    virtual CallId callAfter(int64_t delayMs, QObject* context, std::function<void()> fn) = 0;
    // Takes back a call that has not run: it never runs, and nothing wakes for it. A call that
    // ran or was taken back already, and 0, are ignored.
    virtual void cancel(CallId id) = 0;
    // Blocks the calling thread: nothing else runs meanwhile; what falls due is handled after.
    virtual void pause(int64_t ms) = 0;
};

}  // namespace zentor
