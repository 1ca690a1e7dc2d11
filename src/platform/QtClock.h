#pragma once
// The real clock: Qt's monotonic timer and timers of the event loop.

#include "Clock.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

namespace zentor {

class QtClock final : public Clock {
public:
    QtClock();
    ~QtClock() override;
    int64_t nowMs() const override;
    int64_t nowUs() const override;
    CallId callAfter(int64_t delayMs, QObject* context, std::function<void()> fn) override;
    void cancel(CallId id) override;
    void pause(int64_t ms) override;

private:
    // A timer of the event loop with the call it stands for. Timers are kept and used again:
    // a call costs no allocation and no deferred deletion, which would wake the event loop.
    struct Slot {
        QTimer timer;
        CallId id = 0;
        bool hasContext = false;
        QPointer<QObject> context;
        std::function<void()> fn;
    };
    void fire(Slot* slot);
    void release(Slot* slot);

    QElapsedTimer elapsed_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::vector<Slot*> free_;
    QHash<CallId, Slot*> pending_;
    CallId lastId_ = 0;
};

}  // namespace zentor
