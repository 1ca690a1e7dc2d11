#include "PtyServer.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zentor::sim {

namespace {

constexpr int kRetryAfterErrorMs = 100;

QString systemError(const char* what) { return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno))); }

}  // namespace

PtyServer::PtyServer(Clock& clock, std::shared_ptr<SimDriver> driver, int baudRate, SimTiming timing)
    : clock_(clock), baud_(baudRate), device_(clock, std::move(driver), timing)
{
}

PtyServer::~PtyServer()
{
    notifier_.reset();
    device_.close();
    if (slaveKeep_ >= 0) ::close(slaveKeep_);
    if (master_ >= 0) ::close(master_);
}

bool PtyServer::start(QString* error)
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        if (error) *error = systemError("posix_openpt");
        return false;
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        if (error) *error = systemError("grantpt/unlockpt");
        return false;
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        if (error) *error = systemError("ptsname");
        return false;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeep_ < 0) {
        if (error) *error = systemError("open of the terminal");
        return false;
    }
    // Raw bytes both ways: no echo, no line editing, no translation of CR or LF.
    termios tio{};
    if (::tcgetattr(slaveKeep_, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(slaveKeep_, TCSANOW, &tio);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);

    device_.onReceived = [this](const QByteArray& bytes) { send(bytes); };
    device_.open(baud_);
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { readable(); });
    return true;
}

void PtyServer::readable()
{
    uint8_t buffer[512];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            // Answers still unread when a new request comes are stale (their master gave up
            // on them or has gone): the next client must not take them for its own.
            ::tcflush(slaveKeep_, TCIFLUSH);
            bytesIn_ += static_cast<int>(n);
            device_.write(buffer, n, 0);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // EIO while no client holds the terminal: look again a little later instead of
            // spinning on a descriptor that stays readable.
            notifier_->setEnabled(false);
            clock_.callAfter(kRetryAfterErrorMs, &context_, [this] { notifier_->setEnabled(true); });
        }
        return;
    }
}

void PtyServer::send(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            bytesOut_ += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // The terminal's queue is full: nobody reads the answers, so they are dropped.
        return;
    }
}

}  // namespace zentor::sim
