#include "SimPort.h"

namespace zentor::sim {

SimPortProvider::SimPortProvider(Clock& clock, SimTiming timing) : clock_(clock), timing_(timing) {}

void SimPortProvider::addPort(const QString& name, ControlType type, int slaveAddress, int lineBaud)
{
    // A name added again gets a new driver; a device still open keeps the one it has.
    if (!ports_.count(name)) order_.push_back(name);
    Port& port = ports_[name];
    port.driver = std::make_shared<SimDriver>(type, slaveAddress);
    port.lineBaud = lineBaud;
    port.present = true;
    notifyChanged();
}

void SimPortProvider::notifyChanged()
{
    // Told after the change is complete, as a device folder's notification would be.
    if (changed_) clock_.callAfter(0, &context_, [this] { if (changed_) changed_(); });
}

QStringList SimPortProvider::ports() const
{
    QStringList out;
    for (const QString& name : order_)
        if (ports_.at(name).present) out << name;
    return out;
}

std::unique_ptr<SerialDevice> SimPortProvider::create(const QString& name)
{
    auto it = ports_.find(name);
    if (it == ports_.end() || !it->second.present) return nullptr;
    Port& port = it->second;
    auto device = std::make_unique<SimSerialDevice>(clock_, port.driver, timing_);
    device->setLineBaud(port.lineBaud);
    std::erase_if(port.devices, [](const Handed& h) { return h.alive.expired(); });
    port.devices.push_back({device.get(), device->lifetime_});
    return device;
}

void SimPortProvider::pull(const QString& name)
{
    auto it = ports_.find(name);
    if (it == ports_.end()) return;
    Port& port = it->second;
    port.present = false;
    for (const Handed& h : port.devices)
        if (!h.alive.expired()) h.device->pullOut();
    port.devices.clear();
    notifyChanged();
}

void SimPortProvider::plugIn(const QString& name)
{
    auto it = ports_.find(name);
    if (it == ports_.end()) return;
    it->second.present = true;
    notifyChanged();
}

bool SimPortProvider::isPresent(const QString& name) const
{
    auto it = ports_.find(name);
    return it != ports_.end() && it->second.present;
}

std::shared_ptr<SimDriver> SimPortProvider::driver(const QString& name) const
{
    auto it = ports_.find(name);
    return it == ports_.end() ? nullptr : it->second.driver;
}

}  // namespace zentor::sim
