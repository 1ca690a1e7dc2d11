#pragma once
// Tells which ports appeared or disappeared, by name, by comparing the port list at a short
// interval. The open port's own failure is reported by its link, at once.

#include "Clock.h"
#include "PortProvider.h"

#include <QObject>
#include <QStringList>

namespace zentor {

class PortWatcher : public QObject {
    Q_OBJECT
public:
    PortWatcher(Clock& clock, const PortProvider& ports, int intervalMs = 500, QObject* parent = nullptr);
    // Compares the list now (also run by the interval).
    void check();
    QStringList known() const { return known_; }

signals:
    void appeared(const QString& name);
    void disappeared(const QString& name);

private:
    void schedule();
    Clock& clock_;
    const PortProvider& ports_;
    int intervalMs_;
    QStringList known_;
};

}  // namespace zentor
