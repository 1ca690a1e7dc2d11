// zentor-cli: a headless Modbus RTU master of one motor driver, on a serial port or on the
// embedded simulated driver. See CliOptions.cpp for the commands and the exit codes.

#include "CliOptions.h"
#include "CliSession.h"
#include "QtClock.h"
#include "SimPort.h"
#include "StopSignal.h"
#include "SystemPorts.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

using namespace zentor;
using namespace zentor::cli;

namespace {

void printLine(FILE* to, const QString& prefix, const QString& line)
{
    std::fprintf(to, "%s%s\n", prefix.toLocal8Bit().constData(), line.toLocal8Bit().constData());
    std::fflush(to);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    const CliParse parsed = ParseCliArguments(args);
    if (!parsed.ok) {
        std::fprintf(stderr, "zentor-cli: %s\ntry zentor-cli --help\n", parsed.error.toLocal8Bit().constData());
        return ExitUsage;
    }
    const CliOptions& options = parsed.options;
    if (options.help) {
        std::fputs(CliUsage(), stdout);
        return ExitOk;
    }

    QtClock clock;
    SystemPortProvider system;
    PortProvider* ports = &system;
    QString portName = options.port;
    std::function<QString()> openError = [&system] { return system.lastOpenError(); };
    std::unique_ptr<sim::SimPortProvider> simulated;
    if (options.sim) {
        // The simulated driver keeps the driver's factory address; --slave may differ from it.
        simulated = std::make_unique<sim::SimPortProvider>(clock);
        portName = options.type == PositionControl ? sim::SimPortProvider::positionPortName()
                                                   : sim::SimPortProvider::speedPortName();
        simulated->addPort(portName, options.type, 100);
        ports = simulated.get();
        openError = {};
    }

    CliSession session(options, clock, *ports, portName,
                       {[](const QString& line) { printLine(stdout, QString(), line); },
                        [](const QString& line) { printLine(stderr, QStringLiteral("zentor-cli: "), line); }},
                       openError);
    session.onFinished = [](int code) { QCoreApplication::exit(code); };

    // Ctrl-C and SIGTERM reach the session through the event loop, which otherwise sleeps
    // until the port or a timer of the session has work for it.
    StopSignal stop([&session] { session.interrupt(); });
    QString error;
    if (!stop.install(&error)) {
        // Only when the system is out of descriptors; no exit code of the commands fits it.
        std::fprintf(stderr, "zentor-cli: cannot watch for signals: %s\n", error.toLocal8Bit().constData());
        return 1;
    }

    session.start();
    return app.exec();
}
