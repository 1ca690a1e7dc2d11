#include "SystemPorts.h"

#include "PortNames.h"
#include "PosixSerialDevice.h"
#include "QtSerialDevice.h"

#include <QFileInfo>
#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <windows.h>
#include <dbt.h>
#endif
#include <QFileSystemWatcher>
#include <QSerialPortInfo>
#include <QTimer>

namespace zentor {

SystemPortProvider::SystemPortProvider(Devices devices) : devices_(devices) {}
SystemPortProvider::~SystemPortProvider() = default;

QStringList SystemPortProvider::ports() const
{
    QStringList names;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) names.append(info.portName());
    return OrderPortNames(names);
}

std::unique_ptr<SerialDevice> SystemPortProvider::create(const QString& name)
{
    if (name.isEmpty()) return nullptr;
    QString target = name;
    // QSerialPort reads a bare name as one under /dev: a relative path must become absolute.
    if (IsDevicePath(name) && !name.startsWith(QLatin1Char('/'))) target = QFileInfo(name).absoluteFilePath();
#ifndef _WIN32
    if (devices_ == PlainDevices) return std::make_unique<PosixSerialDevice>(target);
#endif
    return std::make_unique<QtSerialDevice>(target);
}

#ifdef Q_OS_WIN
namespace {
// Windows tells every top-level window of a port that arrived or went (WM_DEVICECHANGE).
class DeviceChangeFilter final : public QObject, public QAbstractNativeEventFilter {
public:
    explicit DeviceChangeFilter(std::function<void()> changed) : changed_(std::move(changed))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~DeviceChangeFilter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_DEVICECHANGE && (msg->wParam == DBT_DEVICEARRIVAL || msg->wParam == DBT_DEVICEREMOVECOMPLETE))
            changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};
}  // namespace
#endif

void SystemPortProvider::watchChanges(std::function<void()> changed)
{
#ifdef Q_OS_WIN
    watch_ = std::make_unique<DeviceChangeFilter>(std::move(changed));
    return;
#endif
    const QString devices = QStringLiteral("/dev");
    if (QFileInfo(devices).isDir()) {
        auto watcher = std::make_unique<QFileSystemWatcher>(QStringList{devices});
        QObject::connect(watcher.get(), &QFileSystemWatcher::directoryChanged, watcher.get(),
                         [changed](const QString&) { changed(); });
        watch_ = std::move(watcher);
        return;
    }
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [changed] { changed(); });
    timer->start(1000);
    watch_ = std::move(timer);
}

}  // namespace zentor
