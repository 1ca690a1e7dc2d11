#include "PortProvider.h"

namespace zentor {

QStringList CombinedPortProvider::ports() const
{
    QStringList all;
    for (const PortProvider* p : providers_) all += p->ports();
    return all;
}

std::unique_ptr<SerialDevice> CombinedPortProvider::create(const QString& name)
{
    for (PortProvider* p : providers_)
        if (auto device = p->create(name)) return device;
    return nullptr;
}

void CombinedPortProvider::watchChanges(std::function<void()> changed)
{
    for (PortProvider* p : providers_) p->watchChanges(changed);
}

}  // namespace zentor
