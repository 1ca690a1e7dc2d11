#pragma once
// The real clock: Qt's monotonic timer and single-shot timers of the event loop.

#include "Clock.h"

#include <QElapsedTimer>

namespace zentor {

class QtClock final : public Clock {
public:
    QtClock();
    int64_t nowMs() const override;
    int64_t nowUs() const override;
    void callAfter(int64_t delayMs, QObject* context, std::function<void()> fn) override;
    void pause(int64_t ms) override;

private:
    QElapsedTimer elapsed_;
};

}  // namespace zentor
