#pragma once
// Where ports come from: the names present now, and a device for a name. The console's
// provider joins the machine's serial ports with the simulated drivers when asked to.

#include "SerialDevice.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace zentor {

class PortProvider {
public:
    virtual ~PortProvider() = default;
    // The names present now. For the machine's ports this asks the system, which costs time:
    // callers ask when something changed, not by the clock.
    virtual QStringList ports() const = 0;
    // A device for the name, not yet open; nullptr when this provider does not serve it. The
    // name need not be listed: a device path is served as it is.
    virtual std::unique_ptr<SerialDevice> create(const QString& name) = 0;
    // Calls changed (on this thread) whenever the ports may have changed: a device appeared or
    // went, a simulated port was pulled or plugged in. A provider whose ports never change
    // by themselves never calls it.
    virtual void watchChanges(std::function<void()> changed) { (void)changed; }
};

// Ports of several providers, in the order of the providers.
class CombinedPortProvider final : public PortProvider {
public:
    void add(PortProvider* provider) { providers_.push_back(provider); }
    QStringList ports() const override;
    // The first provider that serves the name, without listing anyone's ports.
    std::unique_ptr<SerialDevice> create(const QString& name) override;
    void watchChanges(std::function<void()> changed) override;

private:
    std::vector<PortProvider*> providers_;
};

}  // namespace zentor
