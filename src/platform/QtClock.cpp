#include "QtClock.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace zentor {

QtClock::QtClock() { elapsed_.start(); }

int64_t QtClock::nowMs() const { return elapsed_.elapsed(); }

int64_t QtClock::nowUs() const { return elapsed_.nsecsElapsed() / 1000; }

void QtClock::callAfter(int64_t delayMs, QObject* context, std::function<void()> fn)
{
    QObject* owner = context ? context : QCoreApplication::instance();
    QTimer::singleShot(std::chrono::milliseconds(delayMs < 0 ? 0 : delayMs), Qt::PreciseTimer, owner,
                       std::move(fn));
}

void QtClock::pause(int64_t ms)
{
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace zentor
