// zentor-cli: a headless Modbus RTU master of one motor driver, on a serial port or on the
// embedded simulated driver. See CliOptions.cpp for the commands and the exit codes.

#include "CliOptions.h"
#include "CliSequence.h"
#include "CliSession.h"
#include "ConfigFilePath.h"
#include "QtClock.h"
#include "SimPort.h"
#include "StandardOutput.h"
#include "StopSignal.h"
#include "SystemPorts.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <memory>

using namespace zentor;
using namespace zentor::cli;

namespace {

// Whether the command line asks for a PDF report: its pages are painted with fonts, which take
// a QGuiApplication (on the offscreen platform, no display needed).
bool wantsPdf(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = QByteArray(argv[i]).toLower();
        if ((a == "--report" && i + 1 < argc && QByteArray(argv[i + 1]).toLower().endsWith(".pdf")) ||
            (a.startsWith("--report=") && a.endsWith(".pdf")))
            return true;
    }
    return false;
}

// Results gather in the stdout buffer and go out in one write before the program next sleeps
// (a status read is several lines); diagnostics go at once, after the results before them.
StandardOutput results(stdout);

void printResult(const QString& line) { results.writeLine(line); }

void printDiagnostic(const QString& line)
{
    results.flush();
    std::fprintf(stderr, "zentor-cli: %s\n", line.toLocal8Bit().constData());
}

void printOutputFailure(const QString& reason) { printDiagnostic(QStringLiteral("cannot write standard output: %1").arg(reason)); }

}  // namespace

int main(int argc, char* argv[])
{
    // The plain POSIX event loop: this program needs nothing of GLib's, whose loop costs more
    // system calls for every wake-up.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
#ifdef SIGPIPE
    // A pipe whose reader has gone is a write that fails, reported as such, not the end of the
    // program without a word.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::unique_ptr<QCoreApplication> application;
    if (wantsPdf(argc, argv)) {
#ifndef Q_OS_WIN
        // Windows paints without a display; elsewhere there may be none.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    const CliParse parsed = ParseCliArguments(args);
    if (!parsed.ok) {
        std::fprintf(stderr, "zentor-cli: %s\ntry zentor-cli --help\n", parsed.error.toLocal8Bit().constData());
        return ExitUsage;
    }
    CliOptions options = parsed.options;
    if (options.help) {
        if (results.write(CliUsage()) && results.flush()) return ExitOk;
        printOutputFailure(results.error());
        return ExitOutput;
    }

    // A sequence is read before anything opens: it brings its own control type, which the
    // simulated driver of --sim takes too.
    const bool sequence = options.command == Command::SequenceList || options.command == Command::SequenceRun;
    SequenceSourceResult source;
    if (sequence) {
        source = LoadSequenceSource(options, QCoreApplication::applicationDirPath(), UserConfigDir());
        if (!source.ok) {
            std::fprintf(stderr, "zentor-cli: %s\n", source.error.toLocal8Bit().constData());
            return ExitUsage;
        }
        if (options.command == Command::SequenceRun) options.type = ControlType(source.source.sequences.front().controlType);
    }

    QtClock clock;
    SystemPortProvider system(SystemPortProvider::PlainDevices);
    PortProvider* ports = &system;
    QString portName = options.port;
    std::unique_ptr<sim::SimPortProvider> simulated;
    if (options.sim) {
        // The simulated driver keeps the driver's factory address; --slave may differ from it.
        simulated = std::make_unique<sim::SimPortProvider>(clock);
        portName = options.type == PositionControl ? sim::SimPortProvider::positionPortName()
                                                   : sim::SimPortProvider::speedPortName();
        simulated->addPort(portName, options.type, 100);
        ports = simulated.get();
    }

    CliSession session(options, clock, *ports, portName, {printResult, printDiagnostic});
    session.onFinished = [](int code) { QCoreApplication::exit(code); };
    std::unique_ptr<CliSequence> sequenceSession;
    if (sequence) {
        sequenceSession = std::make_unique<CliSequence>(options, std::move(source.source), clock, *ports, portName,
                                                        CliSession::Output{printResult, printDiagnostic});
        sequenceSession->onFinished = [](int code) { QCoreApplication::exit(code); };
    }

    // Ctrl-C and SIGTERM reach the session through the event loop, which otherwise sleeps
    // until the port or a timer of the session has work for it.
    StopSignal stop([&session, &sequenceSession] { sequenceSession ? sequenceSession->interrupt() : session.interrupt(); });
    QString error;
    if (!stop.install(&error)) {
        // Only when the system is out of descriptors; no exit code of the commands fits it.
        std::fprintf(stderr, "zentor-cli: cannot watch for signals: %s\n", error.toLocal8Bit().constData());
        return 1;
    }

    // A write that fails ends the run; once it has ended (the last flush), the failure is said here.
    results.onFailed = [&session, &sequenceSession](const QString& reason) {
        if (!(sequenceSession ? sequenceSession->outputFailed(reason) : session.outputFailed(reason))) printOutputFailure(reason);
    };
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [] { results.flush(); });

    if (sequenceSession) sequenceSession->start();
    else session.start();
    const int code = app.exec();
    results.flush();
    // Results that did not all go out make a run that was otherwise done a failed one.
    return results.failed() && code == ExitOk ? ExitOutput : code;
}
