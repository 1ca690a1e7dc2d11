#include "QtSerialDevice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>
#endif

namespace zentor {

QtSerialDevice::QtSerialDevice(const QString& name) : name_(name)
{
    // QSerialPort takes a bare name (ttyUSB0, COM3) or a full path (/dev/pts/5) alike.
    port_.setPortName(name);
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { readArrived(); });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError e) { errorArrived(e); });
}

QtSerialDevice::~QtSerialDevice()
{
    closed_ = true;
    if (port_.isOpen()) port_.close();
}

#ifdef Q_OS_UNIX
namespace {

// The device file of a port name: itself for a path, else the system's device folder.
QString deviceFile(const QString& name)
{
    return name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
}

}  // namespace
#endif

bool QtSerialDevice::open(int baudRate)
{
    if (port_.isOpen()) return true;
    closed_ = false;
    failed_ = false;
    failure_ = {};
    auto fail = [this](OpenFailure::Kind kind, const QString& system) {
        failure_ = {kind, system};
        if (port_.isOpen()) port_.close();
        return false;
    };
#ifdef Q_OS_UNIX
    // The system reports a port in use and a port the user may not use alike; asked first,
    // the two can be told apart.
    const QByteArray file = QFile::encodeName(deviceFile(name_));
    if (::access(file.constData(), F_OK) != 0) return fail(OpenFailure::NotFound, QString::fromLocal8Bit(strerror(errno)));
    if (::access(file.constData(), R_OK | W_OK) != 0)
        return fail(OpenFailure::PermissionDenied, QString::fromLocal8Bit(strerror(errno)));
#endif
    if (!port_.open(QIODevice::ReadWrite)) {
        const QString system = port_.errorString();
        switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError: return fail(OpenFailure::NotFound, system);
        // Allowed to use it, yet refused: another program holds it (its lock or exclusive use).
        case QSerialPort::PermissionError: return fail(OpenFailure::Busy, system);
        default: return fail(OpenFailure::Other, system);
        }
    }
    if (!port_.setBaudRate(baudRate)) return fail(OpenFailure::BaudRateRefused, port_.errorString());
    const bool ok = port_.setDataBits(QSerialPort::Data8) && port_.setParity(QSerialPort::NoParity)
                    && port_.setStopBits(QSerialPort::OneStop) && port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) return fail(OpenFailure::Other, port_.errorString());
    return true;
}

int64_t QtSerialDevice::write(const uint8_t* data, int64_t count, int timeoutMs)
{
    if (!port_.isOpen() || count <= 0) return 0;
    const int limitMs = timeoutMs > 0 ? std::min(timeoutMs, kWriteSafetyLimitMs) : kWriteSafetyLimitMs;
#ifdef Q_OS_UNIX
    // Straight into the device: a request is a few bytes that the driver's buffer takes at
    // once, and going through the port's own buffer would cost a wait for writability and a
    // wake of the event loop for every request.
    const int fd = static_cast<int>(port_.handle());
    if (fd >= 0) {
        int64_t written = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        while (written < count) {
            const ssize_t n = ::write(fd, data + written, static_cast<size_t>(count - written));
            if (n > 0) {
                written += n;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
            const int64_t left = limitMs - elapsed.elapsed();
            if (left <= 0) break;
            pollfd writable{fd, POLLOUT, 0};
            if (::poll(&writable, 1, static_cast<int>(left)) <= 0) break;
        }
        return written;
    }
#endif

    writing_ = true;
    const qint64 queued = port_.write(reinterpret_cast<const char*>(data), count);
    QElapsedTimer elapsed;
    elapsed.start();
    while (queued > 0 && port_.isOpen() && port_.bytesToWrite() > 0) {
        const qint64 left = limitMs - elapsed.elapsed();
        if (left <= 0 || !port_.waitForBytesWritten(static_cast<int>(left))) break;
    }
    writing_ = false;

    int64_t written = 0;
    if (queued > 0 && port_.isOpen()) {
        const qint64 unsent = port_.bytesToWrite();
        written = queued - unsent;
        // The rest of a timed-out request must not reach the line later, in front of the next one.
        if (unsent > 0) port_.clear(QSerialPort::Output);
    }
    if (readPending_) {
        // Bytes that came in while the write waited are handed over after it, as their own call.
        readPending_ = false;
        QMetaObject::invokeMethod(&port_, [this] { readArrived(); }, Qt::QueuedConnection);
    }
    return written;
}

void QtSerialDevice::purge()
{
    if (port_.isOpen()) port_.clear(QSerialPort::AllDirections);
}

void QtSerialDevice::close()
{
    closed_ = true;
    readPending_ = false;
    if (port_.isOpen()) port_.close();
}

void QtSerialDevice::readArrived()
{
    if (writing_) {
        readPending_ = true;
        return;
    }
    if (!port_.isOpen()) return;
    const QByteArray bytes = port_.readAll();
    // The owner may destroy this device while it handles the burst: nothing is touched after.
    if (!bytes.isEmpty() && onReceived) onReceived(bytes);
}

void QtSerialDevice::errorArrived(QSerialPort::SerialPortError error)
{
    // A removed adapter reads as an I/O error (ResourceError); a pseudo terminal whose other end
    // went away reads as end of file, which QSerialPort reports as ReadError. Either way the
    // port is gone.
    if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) || failed_ || closed_) return;
    failed_ = true;
    // The dead descriptor reports itself readable again and again; closing it here keeps the
    // event loop from spinning until the owner has been told.
    port_.close();
    // Told after this signal has returned, so the owner may destroy the device in its handler.
    QMetaObject::invokeMethod(&port_, [this] {
        if (!closed_ && onFailed) onFailed();
    }, Qt::QueuedConnection);
}

}  // namespace zentor
