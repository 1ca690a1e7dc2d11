#include "QtClock.h"

#include <QThread>

namespace zentor {

QtClock::QtClock() { elapsed_.start(); }

QtClock::~QtClock() = default;

int64_t QtClock::nowMs() const { return elapsed_.elapsed(); }

int64_t QtClock::nowUs() const { return elapsed_.nsecsElapsed() / 1000; }

Clock::CallId QtClock::callAfter(int64_t delayMs, QObject* context, std::function<void()> fn)
{
    Slot* slot = nullptr;
    if (!free_.empty()) {
        slot = free_.back();
        free_.pop_back();
    } else {
        slots_.push_back(std::make_unique<Slot>());
        slot = slots_.back().get();
        slot->timer.setSingleShot(true);
        slot->timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&slot->timer, &QTimer::timeout, &slot->timer, [this, slot] { fire(slot); });
    }
    slot->id = ++lastId_;
    slot->hasContext = context != nullptr;
    slot->context = context;
    slot->fn = std::move(fn);
    pending_.insert(slot->id, slot);
    slot->timer.start(std::chrono::milliseconds(delayMs < 0 ? 0 : delayMs));
    return slot->id;
}

void QtClock::fire(Slot* slot)
{
    // Taken out first: the call may ask for new calls, or take others back.
    std::function<void()> fn = std::move(slot->fn);
    const bool gone = slot->hasContext && slot->context.isNull();
    release(slot);
    if (!gone && fn) fn();
}

void QtClock::release(Slot* slot)
{
    pending_.remove(slot->id);
    slot->id = 0;
    slot->fn = nullptr;
    slot->context = nullptr;
    free_.push_back(slot);
}

void QtClock::cancel(CallId id)
{
    Slot* slot = pending_.value(id);
    if (!slot) return;
    slot->timer.stop();
    release(slot);
}

void QtClock::pause(int64_t ms)
{
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace zentor
