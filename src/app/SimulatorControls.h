#pragma once
// When the console runs with the simulated drivers, the operator can pull a simulated port
// out and plug it back in, from the window's context menu or with F8 for the port selected
// in the list, to see what the console does when an adapter is pulled; and raise the driver's
// alarm to see the fault blink of the RPM digits, or spoil its answers' checksums to see
// what the traffic view shows of a bad line.

#include <QObject>
#include <QStringList>

namespace zentor {
class ConsoleHost;
namespace sim {
class SimPortProvider;
}

class SimulatorControls : public QObject {
    Q_OBJECT
public:
    SimulatorControls(ConsoleHost& host, sim::SimPortProvider& ports, QStringList names);
    void toggle(const QString& name);
    // Raises the simulated driver's alarm, or ends it.
    void toggleAlarm(const QString& name);
    // Spoils the checksum of every answer of the simulated driver, or mends it.
    void toggleChecksum(const QString& name);
    static constexpr int kAlarmCode = 3;

private:
    void updateCaptions();

    ConsoleHost& host_;
    sim::SimPortProvider& ports_;
    QStringList names_;
};

}  // namespace zentor
