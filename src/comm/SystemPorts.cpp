#include "SystemPorts.h"

#include "PortNames.h"

#include <QFileInfo>
#ifdef Q_OS_WIN
#include "WinSerialDevice.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <windows.h>
#include <dbt.h>
#else
#include "PosixSerialDevice.h"
#include "QtSerialDevice.h"

#include <QFileSystemWatcher>
#include <QSerialPortInfo>
#include <QTimer>
#endif

namespace zentor {

SystemPortProvider::SystemPortProvider(Devices devices) : devices_(devices) {}
SystemPortProvider::~SystemPortProvider() = default;

#ifdef Q_OS_WIN

QStringList SystemPortProvider::ports() const
{
    // The system knows each port by its DOS device name, COM1 to COM256.
    QStringList names;
    wchar_t target[5000];
    for (int n = 1; n <= 256; ++n) {
        const std::wstring name = L"COM" + std::to_wstring(n);
        if (QueryDosDeviceW(name.c_str(), target, static_cast<DWORD>(std::size(target))) != 0)
            names.append(QString::fromStdWString(name));
    }
    return OrderPortNames(names);
}

std::unique_ptr<SerialDevice> SystemPortProvider::create(const QString& name)
{
    if (name.trimmed().isEmpty()) return nullptr;
    return std::make_unique<WinSerialDevice>(name.trimmed());
}

bool IsPortDeviceChange(const void* message)
{
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_DEVICECHANGE || (msg->wParam != DBT_DEVICEARRIVAL && msg->wParam != DBT_DEVICEREMOVECOMPLETE))
        return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(msg->lParam);
    return header && header->dbch_devicetype == DBT_DEVTYP_PORT;
}

namespace {
// Windows tells every top-level window of a port that arrived or went (WM_DEVICECHANGE): the
// console's window hears it through the application's native event filter.
class DeviceChangeFilter final : public QObject, public QAbstractNativeEventFilter {
public:
    explicit DeviceChangeFilter(std::function<void()> changed) : changed_(std::move(changed))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~DeviceChangeFilter() override
    {
        if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type == "windows_generic_MSG" && IsPortDeviceChange(message) && changed_) changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};
}  // namespace

void SystemPortProvider::watchChanges(std::function<void()> changed)
{
    watch_.reset();
    if (changed && QCoreApplication::instance()) watch_ = std::make_unique<DeviceChangeFilter>(std::move(changed));
}

#else

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
    if (devices_ == PlainDevices) return std::make_unique<PosixSerialDevice>(target);
    return std::make_unique<QtSerialDevice>(target);
}

void SystemPortProvider::watchChanges(std::function<void()> changed)
{
    watch_.reset();
    if (!changed) return;
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

#endif

}  // namespace zentor
