#pragma once
// Where ports come from: the names present now, and a device for a name. The console's
// provider joins the machine's serial ports with the simulated drivers when asked to.

#include "SerialDevice.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace zentor {

class PortProvider {
public:
    virtual ~PortProvider() = default;
    virtual QStringList ports() const = 0;
    // A device for the name, not yet open; nullptr when this provider does not serve it.
    virtual std::unique_ptr<SerialDevice> create(const QString& name) = 0;
};

// Ports of several providers, in the order of the providers.
class CombinedPortProvider final : public PortProvider {
public:
    void add(PortProvider* provider) { providers_.push_back(provider); }
    QStringList ports() const override;
    std::unique_ptr<SerialDevice> create(const QString& name) override;

private:
    std::vector<PortProvider*> providers_;
};

}  // namespace zentor
