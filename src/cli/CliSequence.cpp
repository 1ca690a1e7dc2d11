#include "CliSequence.h"

#include "CliFormat.h"
#include "OpenFailureAdvice.h"
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
    master_.onPortFailed = [this] {
        output_.err(QStringLiteral("port %1 failed (removed?)").arg(portName_));
        finish(ExitPort);
    };
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
    if (out.command) {
        send(*out.command, out.markRow);
        if (finished_) return;
    }
    if (out.end) {
        endDue_ = true;
        if (!awaiting_) end();
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
    const SequenceSchedule& schedule = runner_.schedule();
    step_ = StepReport{};
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
        output_.err(QStringLiteral("the request could not be written to %1").arg(portName_));
        finish(ExitPort);
        return;
    case Outcome::PortFailed:
        report(QStringLiteral("port failed"));
        output_.err(QStringLiteral("port %1 failed (removed?)").arg(portName_));
        finish(ExitPort);
        return;
    }
    if (!finished_ && endDue_) end();  // (a report that did not go out has ended the run)
}

void CliSequence::report(const QString& result, const QByteArray& answer)
{
    step_.result = result;
    step_.answer = answer;
    output_.out(options_.json ? FormatStepJson(step_) : FormatStepText(step_));
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
    output_.out(options_.json ? FormatEndJson(ms) : kSequenceEndMessage);
    if (finished_) return;
    if (options_.statusAfter) {
        statusAfter();
        return;
    }
    finish(ExitOk);
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
            finish(ExitOk);
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
            output_.err(QStringLiteral("the request could not be written to %1").arg(portName_));
            finish(ExitPort);
            return;
        case Outcome::PortFailed:
            output_.err(QStringLiteral("port %1 failed (removed?)").arg(portName_));
            finish(ExitPort);
            return;
        }
    });
}

}  // namespace zentor::cli
