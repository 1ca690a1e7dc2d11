#include "StopSignal.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#else
#include <QMetaObject>
#include <windows.h>
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
// Windows calls the console's control handler on a thread of its own, from which posting to
// the loop is safe: Ctrl-C and Ctrl-Break as SIGINT, closing the console window, logging off
// and shutting down as SIGTERM.
QObject* loopContext = nullptr;
std::function<void()>* stopCall = nullptr;
HANDLE stopped = nullptr;  // set once the program has stopped, for a close that waits for it

BOOL WINAPI onControl(DWORD event)
{
    if (!loopContext) return FALSE;
    QMetaObject::invokeMethod(loopContext, [] { if (stopCall && *stopCall) (*stopCall)(); }, Qt::QueuedConnection);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The process ends as soon as this returns: the program gets its few seconds to stop
        // where it is and say so.
        if (stopped) WaitForSingleObject(stopped, 4000);
    }
    return TRUE;
}
#endif

}  // namespace

StopSignal::StopSignal(std::function<void()> onStop) : onStop_(std::move(onStop)) {}

StopSignal::~StopSignal()
{
    notifier_.reset();
#ifndef Q_OS_UNIX
    SetConsoleCtrlHandler(onControl, FALSE);
    loopContext = nullptr;
    stopCall = nullptr;
    if (stopped) SetEvent(stopped);
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
    stopCall = &onStop_;
    loopContext = &context_;
    if (!stopped) stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!SetConsoleCtrlHandler(onControl, TRUE)) {
        if (error) *error = qt_error_string(static_cast<int>(GetLastError()));
        loopContext = nullptr;
        stopCall = nullptr;
        return false;
    }
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
