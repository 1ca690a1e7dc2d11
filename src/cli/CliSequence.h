#pragma once
// `sequence list` and `sequence run` of zentor-cli: lists the configuration's sequences, or
// plays one with the console's SequenceRunner on its 100 ms tick, each step written at once
// through CliMaster and reported when its answer has been judged. Runs on any Clock.
//
// As in the console, the runner does not wait for answers: a step whose answer has not come
// when the next step goes counts as missed. The run tolerates one missed or refused answer;
// the second, however far apart, ends it (exit 4 or 5 by that second one), as the console's
// failure count stops communication. The END waits for the last step's answer to be judged.
//
// An item's expectations are judged on a status read the runner asks for at the last tick
// before the next step; the step's line waits for them. A read without a usable answer in
// time leaves its checks incomplete and counts as one of the run's failures. With checks the
// run ends with 7 unless every check passed; --report writes the test report however it ended.

#include "CliMaster.h"
#include "CliOptions.h"
#include "CliSession.h"
#include "SequenceFormat.h"
#include "SequenceRunner.h"
#include "SequenceSource.h"
#include "TestReport.h"

#include <functional>
#include <memory>

namespace zentor::cli {

class CliSequence {
public:
    // source: from LoadSequenceSource for the same options. portName: the port to open for run
    // (the simulated one of the sequence's control type with --sim).
    CliSequence(const CliOptions& options, SequenceSource source, Clock& clock, PortProvider& ports, QString portName,
                CliSession::Output output);

    // Starts the command; onFinished follows once with the exit code (never inside start).
    void start();
    // Ctrl-C or SIGTERM: the run stops where it is (nothing more is sent) with ExitInterrupted.
    void interrupt();
    // A line of results did not go out: the run stops where it is with ExitOutput, as
    // CliSession::outputFailed.
    bool outputFailed(const QString& reason);

    std::function<void(int)> onFinished;
    bool finished() const { return finished_; }
    int exitCode() const { return exitCode_; }

private:
    void run();
    void play();
    void apply(const RunOutput& out);
    void tick();
    void send(const SequenceCommand& command, int item);
    void judged(const ExchangeResult& r);
    void report(const QString& result, const QByteArray& answer = {});
    // The step's line, once both its answer and its checks are known.
    void printStep();
    void checkRead();
    void checksKnown();
    // 0, or 7 when a check failed or could not be judged.
    int verdictCode() const;
    void writeReport(int& code);
    // Counts a missed or refused answer; the second one ends the run. True when the run has
    // ended, by it or by its report that did not go out.
    bool countFailure(int exitCode, const QString& what);
    void end();
    void statusAfter();
    void finish(int code);
    // A request not written, or the port gone: said on stderr, and the run ends with 3.
    void portTrouble(Outcome outcome);

    CliOptions options_;
    SequenceSource source_;
    const NamedSequence* sequence_ = nullptr;  // the one run plays
    Clock& clock_;
    PortProvider& ports_;
    QString portName_;
    CliSession::Output output_;
    CliMaster master_;
    SequenceRunner runner_;
    int64_t startMs_ = 0;
    int actionWidth_ = 0;      // of the longest action in the list, for the text lines
    StepReport step_;          // the step sent last
    bool awaiting_ = false;    // its answer is still to be judged
    bool resultKnown_ = false; // its answer was judged
    bool checksPending_ = false;  // its checks are still to be judged
    bool printed_ = true;      // its line is out
    bool reading_ = false;     // a check read is on the line
    TestReport report_;
    bool endDue_ = false;      // the runner reached END while an answer was awaited
    int failures_ = 0;         // missed or refused answers in this run
    bool finished_ = false;
    int exitCode_ = -1;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();  // of the ticks; gone with the session
};

}  // namespace zentor::cli
