#pragma once
// One run of zentor-cli: opens the port, sends the command's requests through CliMaster,
// prints what came back and ends with the exit code. Runs on any Clock, so tests drive it in
// virtual time against a scripted port.

#include "CliMaster.h"
#include "CliOptions.h"
#include "StatusOutput.h"

#include <functional>

namespace zentor::cli {

class CliSession {
public:
    // Results go through out, one line at a time; the program's writer reports a line that
    // did not go out with outputFailed, which may end the run inside out.
    struct Output {
        std::function<void(const QString&)> out;  // one line of results
        std::function<void(const QString&)> err;  // one line of diagnostics
    };

    // portName: the port to open (the simulated one with --sim).
    CliSession(const CliOptions& options, Clock& clock, PortProvider& ports, QString portName, Output output);

    // Starts the command; onFinished follows once with the exit code (never inside start).
    void start();
    // Ctrl-C or SIGTERM: a repeated status ends with 0, anything else with ExitInterrupted.
    void interrupt();
    // A line of results did not go out (reason: the system's): the run ends with ExitOutput and
    // says so. False, and nothing is said, when the run had already ended.
    bool outputFailed(const QString& reason);

    std::function<void(int)> onFinished;
    bool finished() const { return finished_; }
    int exitCode() const { return exitCode_; }

private:
    void run();
    void readStatus();
    void statusDone(const ExchangeResult& r, int64_t startedAt);
    void send(const uint8_t* frame, int length, std::function<void(const ExchangeResult&)> onApplied);
    // A write: to slave 0 it is a broadcast, reported as sent (what names it) without waiting
    // for an answer nobody gives; otherwise it is sent and confirmed as send() does.
    void sendWrite(const uint8_t* frame, int length, const QString& what, std::function<void(const ExchangeResult&)> onApplied);
    bool failed(const ExchangeResult& r);
    void finish(int code);

    CliOptions options_;
    Clock& clock_;
    PortProvider& ports_;
    QString portName_;
    Output output_;
    CliMaster master_;
    int reads_ = 0;
    // status: where the reads go, and when the first one was asked for
    StatusOutput statusOutput_;
    int64_t statusStartedAtMs_ = -1;
    QDateTime statusStartedAt_;
    bool finished_ = false;
    int exitCode_ = -1;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
};

}  // namespace zentor::cli
