#include "PosixSerialDevice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zentor {

// A rate without a constant of its own, set the way the system allows (PosixBaudRate.cpp).
bool SetOtherBaudRate(int fd, int baudRate);

namespace {

// The device file of a port name: itself for a path, else the system's device folder.
QByteArray deviceFile(const QString& name)
{
    return QFile::encodeName(name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name);
}

speed_t speedConstant(int baud)
{
    switch (baud) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
#ifdef B460800
    case 460800: return B460800;
#endif
#ifdef B921600
    case 921600: return B921600;
#endif
    default: return B0;
    }
}

QString systemWords(int error) { return QString::fromLocal8Bit(strerror(error)); }

}  // namespace

bool SetTerminalBaudRate(int fd, int baudRate)
{
    const speed_t speed = speedConstant(baudRate);
    if (speed == B0) return SetOtherBaudRate(fd, baudRate);
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return false;
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

PosixSerialDevice::PosixSerialDevice(const QString& name) : name_(name) {}

PosixSerialDevice::~PosixSerialDevice()
{
    closed_ = true;
    release();
}

bool PosixSerialDevice::open(int baudRate)
{
    if (fd_ >= 0) return true;
    closed_ = false;
    failed_ = false;
    failure_ = {};
    auto fail = [this](OpenFailure::Kind kind, const QString& system) {
        failure_ = {kind, system};
        release();
        return false;
    };
    // The system reports a port in use and a port the user may not use alike; asked first,
    // the two can be told apart.
    const QByteArray file = deviceFile(name_);
    if (::access(file.constData(), F_OK) != 0) return fail(OpenFailure::NotFound, systemWords(errno));
    if (::access(file.constData(), R_OK | W_OK) != 0) return fail(OpenFailure::PermissionDenied, systemWords(errno));

    fd_ = ::open(file.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int e = errno;
        switch (e) {
        case ENOENT:
        case ENODEV:
        case ENXIO: return fail(OpenFailure::NotFound, systemWords(e));
        // Allowed to use it, yet refused: another program holds it.
        case EBUSY:
        case EACCES:
        case EPERM: return fail(OpenFailure::Busy, systemWords(e));
        default: return fail(OpenFailure::Other, systemWords(e));
        }
    }
    // One program at a time: the lock holds against every other opener of the device, and the
    // terminal's exclusive mode against other users' programs.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        return fail(e == EWOULDBLOCK ? OpenFailure::Busy : OpenFailure::Other, systemWords(e));
    }
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return fail(OpenFailure::Other, systemWords(errno));
    ::ioctl(fd_, TIOCEXCL);
    ::cfmakeraw(&t);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return fail(OpenFailure::Other, systemWords(errno));
    if (!SetTerminalBaudRate(fd_, baudRate)) return fail(OpenFailure::BaudRateRefused, systemWords(errno));

    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { readable(); });
    return true;
}

int64_t PosixSerialDevice::write(const uint8_t* data, int64_t count, int timeoutMs)
{
    if (fd_ < 0 || count <= 0) return 0;
    const int limitMs = timeoutMs > 0 ? std::min(timeoutMs, kWriteSafetyLimitMs) : kWriteSafetyLimitMs;
    int64_t written = 0;
    QElapsedTimer elapsed;
    bool started = false;
    while (written < count) {
        const ssize_t n = ::write(fd_, data + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
        // A full output queue: waited for, within the time-out, only then.
        if (!started) {
            elapsed.start();
            started = true;
        }
        const int64_t left = limitMs - elapsed.elapsed();
        if (left <= 0) break;
        pollfd writable{fd_, POLLOUT, 0};
        if (::poll(&writable, 1, static_cast<int>(left)) <= 0) break;
    }
    return written;
}

void PosixSerialDevice::purge()
{
    if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
}

void PosixSerialDevice::close()
{
    closed_ = true;
    release();
}

void PosixSerialDevice::release()
{
    notifier_.reset();
    if (fd_ < 0) return;
    ::close(fd_);  // lets go of the lock too
    fd_ = -1;
}

void PosixSerialDevice::readable()
{
    if (fd_ < 0) return;
    // Everything waiting at once, in one read when it fits; the link copies it out.
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
        // The owner may destroy this device while it handles the burst: nothing is touched after.
        if (onReceived) onReceived(QByteArray::fromRawData(buffer, static_cast<qsizetype>(n)));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    // End of file (a hung-up line, a pseudo terminal whose other end went away) or an I/O
    // error (a removed adapter): the port is gone. Closing it here keeps the dead descriptor
    // from waking the loop again and again until the owner has been told.
    if (failed_ || closed_) return;
    failed_ = true;
    release();
    // Told after this call has returned, so the owner may destroy the device in its handler.
    QMetaObject::invokeMethod(&context_, [this] {
        if (!closed_ && onFailed) onFailed();
    }, Qt::QueuedConnection);
}

}  // namespace zentor
