#include "PortWatcher.h"

namespace zentor {

PortWatcher::PortWatcher(Clock& clock, const PortProvider& ports, int intervalMs, QObject* parent)
    : QObject(parent), clock_(clock), ports_(ports), intervalMs_(intervalMs), known_(ports.ports())
{
    schedule();
}

void PortWatcher::schedule()
{
    clock_.callAfter(intervalMs_, this, [this] {
        check();
        schedule();
    });
}

void PortWatcher::check()
{
    const QStringList now = ports_.ports();
    const QStringList before = known_;
    known_ = now;
    for (const QString& name : before)
        if (!now.contains(name)) emit disappeared(name);
    for (const QString& name : now)
        if (!before.contains(name)) emit appeared(name);
}

}  // namespace zentor
