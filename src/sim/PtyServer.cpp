#include "PtyServer.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace zentor::sim {

namespace {

constexpr int kRetryAfterErrorMs = 100;
// Read at most this much at one wake, so a master that floods the line cannot keep the event
// loop (and with it Ctrl-C and SIGTERM) waiting.
constexpr int kReadPerWake = 64 * 1024;

QString systemError(const char* what) { return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno))); }

}  // namespace

PtyServer::PtyServer(Clock& clock, std::shared_ptr<SimDriver> driver, int baudRate, SimTiming timing)
    : clock_(clock), baud_(baudRate), device_(clock, std::move(driver), timing)
{
}

PtyServer::~PtyServer()
{
    notifier_.reset();
    openingsNotifier_.reset();
    if (openings_ >= 0) ::close(openings_);
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

    // Our own descriptor is open before the watch begins: what it sees are the masters.
    openings_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (openings_ < 0 || ::inotify_add_watch(openings_, name, IN_OPEN | IN_CLOSE) < 0) {
        if (error) *error = systemError("inotify on the terminal");
        return false;
    }
    openingsNotifier_ = std::make_unique<QSocketNotifier>(openings_, QSocketNotifier::Read);
    QObject::connect(openingsNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { watchMasters(); });

    device_.onReceived = [this](const QByteArray& bytes) { send(bytes); };
    device_.open(baud_);
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { readable(); });
    return true;
}

void PtyServer::watchMasters()
{
    alignas(struct inotify_event) char events[4096];
    for (;;) {
        const ssize_t n = ::read(openings_, events, sizeof events);
        if (n <= 0) return;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const struct inotify_event*>(events + at);
            at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
            if (e->mask & IN_OPEN) {
                // Answers still unread are no answers to a master that has just come.
                if (masters_++ == 0) ::tcflush(slaveKeep_, TCIFLUSH);
            } else if ((e->mask & IN_CLOSE) && masters_ > 0 && --masters_ == 0) {
                // The bytes still unread are the gone master's, unless another has opened since.
                bool anotherComing = false;
                for (ssize_t later = at; later < n;) {
                    const auto* l = reinterpret_cast<const struct inotify_event*>(events + later);
                    anotherComing = anotherComing || (l->mask & IN_OPEN);
                    later += static_cast<ssize_t>(sizeof(struct inotify_event) + l->len);
                }
                masterGone(anotherComing);
            }
        }
    }
}

void PtyServer::masterGone(bool anotherComing)
{
    device_.dropPending(QStringLiteral("the master closed the terminal"));
    if (!anotherComing) {
        uint8_t buffer[4096];
        for (int total = 0; total < kReadPerWake;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            total += static_cast<int>(n);
        }
    }
    ::tcflush(slaveKeep_, TCIFLUSH);
}

void PtyServer::readable()
{
    // A master that closed before its bytes were read is heard of first: they are not served.
    watchMasters();
    uint8_t buffer[4096];
    for (int total = 0; total < kReadPerWake;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            // Answers still unread when a new request comes to an idle driver are stale (their
            // master gave up on them): the master must not take them for the new one's.
            if (!device_.isBusy()) ::tcflush(slaveKeep_, TCIFLUSH);
            bytesIn_ += static_cast<int>(n);
            total += static_cast<int>(n);
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
