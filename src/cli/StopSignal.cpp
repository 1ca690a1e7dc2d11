#include "StopSignal.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#else
#include <QCoreApplication>
#include <QMetaObject>
#endif

namespace zentor::cli {

namespace {

#ifdef Q_OS_UNIX
// A signal handler may do next to nothing: it writes one byte to this pipe, whose read end the
// event loop watches (the self-pipe).
int stopPipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(stopPipe[1], &byte, 1);
    errno = saved;
}
#else
// Elsewhere the handler runs on a thread of its own, from which posting to the loop is safe.
QObject* loopContext = nullptr;
std::function<void()>* stopCall = nullptr;

void onSignal(int sig)
{
    std::signal(sig, onSignal);  // the handler is reset to the default before each call
    if (loopContext) QMetaObject::invokeMethod(loopContext, [] { if (stopCall && *stopCall) (*stopCall)(); }, Qt::QueuedConnection);
}
#endif

}  // namespace

StopSignal::StopSignal(std::function<void()> onStop) : onStop_(std::move(onStop)) {}

StopSignal::~StopSignal()
{
    notifier_.reset();
#ifndef Q_OS_UNIX
    loopContext = nullptr;
    stopCall = nullptr;
#endif
}

bool StopSignal::install(QString* error)
{
#ifdef Q_OS_UNIX
    if (stopPipe[0] < 0 && ::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM}) {
        if (::sigaction(sig, &sa, nullptr) != 0) {
            if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
    }
    notifier_ = std::make_unique<QSocketNotifier>(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { drain(); });
    return true;
#else
    Q_UNUSED(error);
    stopCall = &onStop_;
    loopContext = &context_;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    return true;
#endif
}

void StopSignal::drain()
{
#ifdef Q_OS_UNIX
    char bytes[64];
    bool came = false;
    for (;;) {
        const ssize_t n = ::read(stopPipe[0], bytes, sizeof bytes);
        if (n > 0) {
            came = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    if (came && onStop_) onStop_();
#endif
}

}  // namespace zentor::cli
