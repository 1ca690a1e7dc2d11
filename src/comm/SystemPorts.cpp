#include "SystemPorts.h"

#include "PortNames.h"
#include "QtSerialDevice.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace zentor {

QStringList SystemPortProvider::ports() const
{
    QStringList names;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) names.append(info.portName());
    return OrderPortNames(names);
}

std::unique_ptr<SerialDevice> SystemPortProvider::create(const QString& name)
{
    openError_->clear();
    if (name.isEmpty()) return nullptr;
    QString target = name;
    if (!ports().contains(name)) {
        if (!IsDevicePath(name)) return nullptr;
        // QSerialPort reads a bare name as one under /dev: a relative path must become absolute.
        if (!name.startsWith(QLatin1Char('/'))) target = QFileInfo(name).absoluteFilePath();
    }
    return std::make_unique<QtSerialDevice>(target, openError_);
}

}  // namespace zentor
