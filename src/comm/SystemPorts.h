#pragma once
// The machine's own serial ports as a PortProvider: the names the system lists, in natural
// order, at most 40, and a device for a listed name or for a device path: a QtSerialDevice, or
// for the tools a PosixSerialDevice; on Windows our own WinSerialDevice, since Qt's waits for
// reads in a way Wine never completes.

#include "PortProvider.h"

#include <QObject>
#include <QString>
#include <memory>

namespace zentor {

class SystemPortProvider final : public PortProvider {
public:
    enum Devices {
        QtDevices,     // the console: QSerialPort
        PlainDevices,  // the tools: the terminal device itself (on Windows both are our own device)
    };
    explicit SystemPortProvider(Devices devices = QtDevices);
    ~SystemPortProvider() override;
    QStringList ports() const override;
    // A listed name or any device path (/dev/pts/7, a symlink), so a pseudo terminal can be
    // opened by its path. Never lists the ports to find out.
    std::unique_ptr<SerialDevice> create(const QString& name) override;
    // Watches the device folder: serial devices come and go as its entries do. Where there is
    // no such folder, looks at the list once a second instead. On Windows the windows of the
    // program hear of ports that arrive or go (WM_DEVICECHANGE of port-type devices).
    void watchChanges(std::function<void()> changed) override;

private:
    Devices devices_;
    std::unique_ptr<QObject> watch_;
};

#ifdef Q_OS_WIN
// Whether a window message (MSG) tells of a port-type device that arrived or was removed.
bool IsPortDeviceChange(const void* message);
#endif

}  // namespace zentor
