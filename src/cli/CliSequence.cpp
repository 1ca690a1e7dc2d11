#include "CliSequence.h"

#include "CliFormat.h"
#include "Expectations.h"
#include "OpenFailureAdvice.h"
#include "ReportFile.h"
#include "DriverCommands.h"
#include "ModbusFrames.h"
#include "RegisterMap.h"

#include <algorithm>

namespace zentor::cli {


CliSequence::CliSequence(const CliOptions& options, SequenceSource source, Clock& clock, PortProvider& ports,
                         QString portName, CliSession::Output output)
    : options_(options),
      source_(std::move(source)),
      clock_(clock),
      ports_(ports),
      portName_(std::move(portName)),
      output_(std::move(output)),
      master_(clock, ports)
{
    if (!source_.sequences.empty()) sequence_ = &source_.sequences.front();
    master_.onPortFailed = [this] { portTrouble(Outcome::PortFailed); };
}

void CliSequence::portTrouble(Outcome outcome)
{
    output_.err(outcome == Outcome::WriteFailed ? QStringLiteral("the request could not be written to %1").arg(portName_)
                                                : QStringLiteral("port %1 failed (removed?)").arg(portName_));
    finish(ExitPort);
}

void CliSequence::start()
{
    clock_.callAfter(0, context_.get(), [this] { run(); });
}

void CliSequence::interrupt()
{
    if (finished_) return;
    if (awaiting_) {
        awaiting_ = false;
        report(QStringLiteral("interrupted"));
    }
    printStep();
    output_.err(QStringLiteral("interrupted"));
    finish(ExitInterrupted);
}

bool CliSequence::outputFailed(const QString& reason)
{
    if (finished_) return false;
    output_.err(QStringLiteral("cannot write standard output: %1").arg(reason));
    finish(ExitOutput);
    return true;
}

void CliSequence::finish(int code)
{
    if (finished_) return;
    // A run that ends here did not reach END: what it did stays on record, never as passed.
    if (runner_.state() != RunnerState::Idle) runner_.reset();
    if (!printed_) {
        if (!resultKnown_) step_.result = QStringLiteral("no answer");
        resultKnown_ = true;
        checksKnown();
    }
    if (options_.command == Command::SequenceRun && !options_.report.isEmpty() && runner_.record().end != RunEnd::NotRun)
        writeReport(code);
    finished_ = true;
    exitCode_ = code;
    master_.close();
    if (onFinished) onFinished(code);
}

void CliSequence::run()
{
    if (finished_) return;
    if (options_.command == Command::SequenceList) {
        for (const QString& line : FormatSequenceListing(source_)) output_.out(line);
        finish(ExitOk);
        return;
    }
    if (!sequence_) {
        finish(ExitUsage);
        return;
    }
    play();
}

void CliSequence::play()
{
    if (!master_.open(portName_, options_.baud)) {
        // The same reason and advice the console shows under "Check Device or Connected Line".
        output_.err(QStringLiteral("cannot open port %1: %2")
                        .arg(portName_, ExplainOpenFailure(master_.openFailure(), portName_, options_.baud)));
        finish(ExitPort);
        return;
    }
    runner_.setSchedule(ComputeSchedule(sequence_->loaded.list, sequence_->controlType));
    for (const ScheduledItem& item : runner_.schedule().items)
        actionWidth_ = std::max(actionWidth_, int(ParseItem(item.line).action.size()));
    const RunDisplays totals = runner_.displays();
    const int64_t now = clock_.nowMs();
    const RunOutput out = runner_.startOrPause(now);
    if (!out.refusal.isEmpty()) {
        // START refuses the list as the dialog does: nothing has been sent.
        output_.err(out.refusal);
        finish(ExitUsage);
        return;
    }
    startMs_ = now;
    report_.startedAt = QDateTime::currentDateTime();
    report_.version = ConsoleVersion();
    report_.port = portName_;
    report_.baud = options_.baud;
    report_.slave = options_.slave;
    report_.controlType = sequence_->controlType;
    report_.unit = options_.unit;
    report_.section = sequence_->section;
    report_.setLine = sequence_->loaded.list.lines[0];
    if (!options_.json) {
        output_.out(QStringLiteral("configuration: ") + DescribeOrigin(source_));
        for (const QString& warning : source_.warnings) output_.out(QStringLiteral("note: ") + warning);
        output_.out(QStringLiteral("%1 [%2], %3: total time %4, total items %5; slave %6 on %7")
                        .arg(sequence_->title, sequence_->section, ControlTypeName(sequence_->controlType), totals.totalTime,
                             totals.totalItems, QString::number(options_.slave), portName_));
    }
    if (finished_) return;  // the heading did not go out
    apply(out);
}

void CliSequence::apply(const RunOutput& out)
{
    if (out.checkReadMissed) {
        reading_ = false;
        checksKnown();
        if (countFailure(ExitNoAnswer, QStringLiteral("no answer to the status read for the checks of step %1 within %2 ms")
                                           .arg(step_.step)
                                           .arg(kCheckAnswerMs)))
            return;
    }
    if (out.checkRead) {
        checkRead();
        if (finished_) return;
    }
    if (out.command) {
        send(*out.command, out.markRow);
        if (finished_) return;
    }
    if (out.end) {
        endDue_ = true;
        if (!awaiting_ && printed_) end();
        return;
    }
    if (out.armTimer) clock_.callAfter(kRunTickMs, context_.get(), [this] { tick(); });
}

void CliSequence::tick()
{
    if (finished_) return;
    apply(runner_.tick(clock_.nowMs()));
}

void CliSequence::send(const SequenceCommand& command, int item)
{
    if (awaiting_) {
        // The answer is checked against the request written last, as in the console: the
        // previous step's answer can no longer count.
        awaiting_ = false;
        report(QStringLiteral("no answer"));
        if (countFailure(ExitNoAnswer, QStringLiteral("no answer from slave %1 on %2").arg(options_.slave).arg(portName_)))
            return;
    }
    printStep();
    if (finished_) return;  // the last step's line did not go out
    const SequenceSchedule& schedule = runner_.schedule();
    step_ = StepReport{};
    resultKnown_ = false;
    printed_ = false;
    checksPending_ = !schedule.items[static_cast<size_t>(item)].checks.empty();
    step_.ms = clock_.nowMs() - startMs_;
    step_.step = runner_.stepCounter();
    step_.steps = schedule.totalSteps;
    step_.item = item + 1;
    step_.action = ParseItem(schedule.items[static_cast<size_t>(item)].line).action;
    step_.actionWidth = actionWidth_;
    step_.command = command;

    uint8_t frame[kFrameBufferSize]{};
    const int length = BuildSequenceRequest(frame, options_.slave, command,
                                            RegisterLayout::registerIn(sequence_->controlType, TargetPositionHigh));
    awaiting_ = true;
    auto done = [this](const ExchangeResult& r) { judged(r); };
    if (options_.slave == 0) master_.broadcast(frame, length, done);  // nobody answers one
    else master_.exchange(frame, length, done);
}

void CliSequence::judged(const ExchangeResult& r)
{
    if (finished_ || !awaiting_) return;
    awaiting_ = false;
    switch (r.outcome) {
    case Outcome::Applied:
        report(QStringLiteral("applied"));
        break;
    case Outcome::Sent:
        report(QStringLiteral("sent as a broadcast (address 0), not confirmed"));
        break;
    case Outcome::NoAnswer:
        report(QStringLiteral("no answer"));
        if (countFailure(ExitNoAnswer, QStringLiteral("no answer from slave %1 on %2 within %3 ms")
                                           .arg(options_.slave)
                                           .arg(portName_)
                                           .arg(CliMaster::kAnswerTimeoutMs)))
            return;
        break;
    case Outcome::BadAnswer: {
        const QString why = DescribeBadAnswer(r.check, r.answer);
        report(why, r.answer);
        if (countFailure(ExitBadAnswer, QStringLiteral("bad answer: %1; received %2").arg(why, QString::fromLatin1(r.answer.toHex(' ')))))
            return;
        break;
    }
    case Outcome::WriteFailed:
        report(QStringLiteral("not written"));
        portTrouble(Outcome::WriteFailed);
        return;
    case Outcome::PortFailed:
        report(QStringLiteral("port failed"));
        portTrouble(Outcome::PortFailed);
        return;
    }
    if (!finished_ && endDue_ && printed_) end();  // (a report that did not go out has ended the run)
}

void CliSequence::report(const QString& result, const QByteArray& answer)
{
    step_.result = result;
    step_.answer = answer;
    resultKnown_ = true;
    runner_.noteAnswer(step_.step, result);
    if (!checksPending_) printStep();
}

void CliSequence::printStep()
{
    if (printed_ || !resultKnown_) return;
    printed_ = true;
    output_.out(options_.json ? FormatStepJson(step_) : FormatStepText(step_));
}

void CliSequence::checksKnown()
{
    checksPending_ = false;
    if (!runner_.record().steps.empty() && runner_.record().steps.back().step == step_.step)
        step_.checks = runner_.record().steps.back().checks;
    printStep();
}

void CliSequence::checkRead()
{
    if (awaiting_) {
        // The step's own answer has not come: the read takes the line over from it.
        awaiting_ = false;
        report(QStringLiteral("no answer"));
        if (countFailure(ExitNoAnswer, QStringLiteral("no answer from slave %1 on %2").arg(options_.slave).arg(portName_)))
            return;
    }
    uint8_t frame[kFrameBufferSize]{};
    const int length = BuildReadHoldingRegisters(frame, options_.slave, RegisterLayout::quantityOf(sequence_->controlType));
    reading_ = true;
    master_.exchange(frame, length, [this](const ExchangeResult& r) {
        if (finished_ || !reading_) return;
        reading_ = false;
        switch (r.outcome) {
        case Outcome::Applied: {
            RegisterMap map;
            map.image = master_.image();
            map.layout.apply(sequence_->controlType);
            map.values.refresh(map.image);
            runner_.judgeChecks(SampleStatus(map));
            checksKnown();
            break;
        }
        case Outcome::NoAnswer:
        case Outcome::BadAnswer:
        case Outcome::Sent:
            runner_.checkReadFailed();
            checksKnown();
            if (countFailure(r.outcome == Outcome::BadAnswer ? ExitBadAnswer : ExitNoAnswer,
                             r.outcome == Outcome::BadAnswer
                                 ? QStringLiteral("bad answer to the status read for the checks: %1").arg(DescribeBadAnswer(r.check, r.answer))
                                 : QStringLiteral("no answer to the status read for the checks")))
                return;
            break;
        case Outcome::WriteFailed:
            portTrouble(Outcome::WriteFailed);
            return;
        case Outcome::PortFailed:
            portTrouble(Outcome::PortFailed);
            return;
        }
        if (!finished_ && endDue_ && !awaiting_ && printed_) end();
    });
}

int CliSequence::verdictCode() const
{
    const RunRecord& record = runner_.record();
    return record.hasChecks() && !record.passed() ? ExitChecks : ExitOk;
}

void CliSequence::writeReport(int& code)
{
    TestReport r = report_;
    r.record = runner_.record();
    QString reason;
    if (!WriteReport(r, options_.report, &reason)) {
        output_.err(QStringLiteral("the report could not be written: %1").arg(reason));
        if (code == ExitOk || code == ExitChecks) code = ExitOutput;
    }
}

bool CliSequence::countFailure(int exitCode, const QString& what)
{
    if (finished_) return true;  // its report did not go out
    // One missed or refused answer is borne; the second, however late, ends the run.
    if (++failures_ < 2) return false;
    output_.err(QStringLiteral("sequence stopped at step %1: %2 (the second missed or bad answer of the run)")
                    .arg(QString::number(step_.step), what));
    finish(exitCode);
    return true;
}

void CliSequence::end()
{
    endDue_ = false;
    const int64_t ms = clock_.nowMs() - startMs_;
    const RunRecord& record = runner_.record();
    const QString verdict = record.hasChecks() ? record.verdict() : QString();
    output_.out(options_.json ? FormatEndJson(ms, verdict) : kSequenceEndMessage);
    if (!options_.json && !verdict.isEmpty())
        output_.out(QStringLiteral("verdict: %1 (%2 %3, %4 failed, %5 incomplete)")
                        .arg(verdict)
                        .arg(record.checkCount())
                        .arg(record.checkCount() == 1 ? QStringLiteral("check") : QStringLiteral("checks"))
                        .arg(record.failed())
                        .arg(record.incomplete()));
    if (finished_) return;
    if (options_.statusAfter) {
        statusAfter();
        return;
    }
    finish(verdictCode());
}

void CliSequence::statusAfter()
{
    uint8_t frame[kFrameBufferSize]{};
    const int length = BuildReadHoldingRegisters(frame, options_.slave, RegisterLayout::quantityOf(options_.type));
    master_.exchange(frame, length, [this](const ExchangeResult& r) {
        if (finished_) return;
        switch (r.outcome) {
        case Outcome::Applied:
        case Outcome::Sent: {
            RegisterMap map;
            map.image = master_.image();
            map.layout.apply(options_.type);
            map.values.refresh(map.image);
            if (options_.json) output_.out(FormatStatusJson(map, options_.type));
            else for (const QString& line : FormatStatusText(map, options_.type)) output_.out(line);
            finish(verdictCode());
            return;
        }
        case Outcome::NoAnswer:
            output_.err(QStringLiteral("no answer from slave %1 on %2 within %3 ms")
                            .arg(options_.slave)
                            .arg(portName_)
                            .arg(CliMaster::kAnswerTimeoutMs));
            finish(ExitNoAnswer);
            return;
        case Outcome::BadAnswer:
            output_.err(QStringLiteral("bad answer: %1; received %2")
                            .arg(DescribeBadAnswer(r.check, r.answer), QString::fromLatin1(r.answer.toHex(' '))));
            finish(ExitBadAnswer);
            return;
        case Outcome::WriteFailed:
            portTrouble(Outcome::WriteFailed);
            return;
        case Outcome::PortFailed:
            portTrouble(Outcome::PortFailed);
            return;
        }
    });
}

}  // namespace zentor::cli
