#pragma once
// A window's numbered timers: start(id, period) arms or re-arms a periodic timer, kill(id)
// stops it, and every expiry calls the window's timer handler with the id. A late expiry is
// delivered once, as a window timer is, never as a burst of missed ticks.

#include "Clock.h"

#include <functional>
#include <map>

namespace zentor {

class Scheduler {
public:
    Scheduler(Clock& clock, QObject* context, std::function<void(int)> onTimer);
    // Starting a running id restarts it: the first expiry comes periodMs from now.
    void start(int id, int periodMs);
    void kill(int id);
    bool isRunning(int id) const;
    int period(int id) const;

private:
    struct Timer {
        bool running = false;
        int period = 0;
        uint64_t generation = 0;
        int64_t due = 0;
        Clock::CallId call = 0;  // the pending expiry, taken back when the timer is restarted or killed
    };
    void arm(int id);
    void fire(int id, uint64_t generation);

    Clock& clock_;
    QObject* context_;
    std::function<void(int)> onTimer_;
    std::map<int, Timer> timers_;
};

}  // namespace zentor
