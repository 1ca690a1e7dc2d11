// zentor-sim: one simulated motor driver served on a pseudo terminal for any Modbus RTU master.

#include "PtyServer.h"
#include "QtClock.h"
#include "SimLog.h"
#include "SimOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zentor;
using namespace zentor::sim;

namespace {

int stopPipe[2] = {-1, -1};

// A signal handler may only write to the pipe; the event loop reads it and quits.
void onStopSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(stopPipe[1], &byte, 1);
    errno = saved;
}

bool installStopSignals()
{
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction sa{};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        if (::sigaction(sig, &sa, nullptr) != 0) return false;
    // A log whose reader has gone is a write that fails, which ends the program in order.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

// Standard output (the terminal's path, the log): a line that does not go out ends the program
// as SIGTERM does, with 0 when its reader has gone (`| head -1`), otherwise with 1 and the reason.
bool stdoutFailed = false;
int stdoutExitCode = 0;

void printLine(const char* line)
{
    if (stdoutFailed) return;
    errno = 0;
    if (std::printf("%s\n", line) >= 0 && std::fflush(stdout) == 0) return;
    stdoutFailed = true;
    const int error = errno;
    if (error != EPIPE) std::fprintf(stderr, "zentor-sim: cannot write standard output: %s\n", std::strerror(error));
    stdoutExitCode = error == EPIPE ? 0 : 1;
    QCoreApplication::exit(stdoutExitCode);
}

// Makes link point at target; an old symlink there is replaced, anything else is left alone.
bool makeLink(const QByteArray& link, const QByteArray& target, QString* error)
{
    struct stat st{};
    if (::lstat(link.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = QStringLiteral("%1 exists and is not a symlink").arg(QString::fromLocal8Bit(link));
            return false;
        }
        ::unlink(link.constData());
    }
    if (::symlink(target.constData(), link.constData()) != 0) {
        *error = QStringLiteral("cannot make the symlink %1: %2").arg(QString::fromLocal8Bit(link), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

// Removes the link only while it still points at this process's terminal.
void removeLink(const QByteArray& link, const QByteArray& target)
{
    char buffer[4096];
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    if (n < 0) return;
    buffer[n] = 0;
    if (target == buffer) ::unlink(link.constData());
}

}  // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;  // the log's time: monotonic, from the start of the program
    sinceStart.start();
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const SimOptionsParse parsed = ParseSimOptions(args);
    if (!parsed.ok) {
        std::fprintf(stderr, "zentor-sim: %s\ntry zentor-sim --help\n", parsed.error.toLocal8Bit().constData());
        return 2;
    }
    const SimOptions& options = parsed.options;
    if (options.help) {
        std::fputs(SimUsage(), stdout);
        return 0;
    }

    QCoreApplication app(argc, argv);
    if (!installStopSignals()) {
        std::fprintf(stderr, "zentor-sim: cannot watch for signals: %s\n", std::strerror(errno));
        return 1;
    }
    QSocketNotifier stopWatch(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopWatch, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });

    QtClock clock;
    auto driver = std::make_shared<SimDriver>(options.type, options.slave);
    driver->faults() = options.faults;
    if (options.alarm > 0) driver->raiseAlarm(options.alarm);
    SimTiming timing;
    timing.replyDelayMs = options.replyDelayMs;
    timing.burstLatencyMs = 0;  // the terminal is the line itself: no adapter holds bytes back
    PtyServer server(clock, driver, options.baud, timing);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "zentor-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    const QByteArray path = server.slavePath().toLocal8Bit();
    const QByteArray link = options.link.toLocal8Bit();
    if (!link.isEmpty() && !makeLink(link, path, &error)) {
        std::fprintf(stderr, "zentor-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }

    printLine(path.constData());
    if (stdoutFailed) {
        if (!link.isEmpty()) removeLink(link, path);
        return stdoutExitCode;
    }
    if (options.log) {
        // After the terminal's path, which stays the first line: scripts read it.
        auto print = [&sinceStart](LogDirection direction, const QByteArray& bytes, const QString& text) {
            printLine(FormatSimLogLine(sinceStart.nsecsElapsed(), direction, bytes, text).constData());
        };
        server.device().onRequest = [print](const QByteArray& request, const QString& action) {
            print(LogDirection::Request, request, action);
        };
        server.device().onAnswerSent = [print](const QByteArray& answer, const QString& note) {
            print(LogDirection::Answer, answer, note);
        };
    }
    std::fprintf(stderr, "zentor-sim: %s driver at slave %d, %d baud%s%s%s\n",
                 options.type == PositionControl ? "position" : "speed", options.slave, options.baud,
                 link.isEmpty() ? "" : ", linked as ", link.constData(),
                 options.alarm > 0 ? qPrintable(QStringLiteral(", alarm %1 raised").arg(options.alarm)) : "");

    const int rc = app.exec();
    if (!link.isEmpty()) removeLink(link, path);
    return rc;
}
