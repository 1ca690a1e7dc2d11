#include "CliSession.h"

#include "CliFormat.h"
#include "OpenFailureAdvice.h"
#include "DriverCommands.h"

namespace zentor::cli {

CliSession::CliSession(const CliOptions& options, Clock& clock, PortProvider& ports, QString portName, Output output)
    : options_(options),
      clock_(clock),
      ports_(ports),
      portName_(std::move(portName)),
      output_(std::move(output)),
      master_(clock, ports),
      statusOutput_(options, output_.out)
{
    master_.onPortFailed = [this] {
        output_.err(QStringLiteral("port %1 failed (removed?)").arg(portName_));
        finish(ExitPort);
    };
}

void CliSession::start()
{
    clock_.callAfter(0, context_.get(), [this] { run(); });
}

void CliSession::interrupt()
{
    if (finished_) return;
    const bool repeating = options_.command == Command::Status && (options_.everyMs >= 0 || options_.count > 0);
    if (!repeating) output_.err(QStringLiteral("interrupted"));
    finish(repeating ? ExitOk : ExitInterrupted);
}

bool CliSession::outputFailed(const QString& reason)
{
    if (finished_) return false;
    output_.err(QStringLiteral("cannot write standard output: %1").arg(reason));
    finish(ExitOutput);
    return true;
}

void CliSession::finish(int code)
{
    if (finished_) return;
    finished_ = true;
    exitCode_ = code;
    master_.close();
    if (onFinished) onFinished(code);
}

void CliSession::run()
{
    if (finished_) return;
    if (options_.command == Command::Ports) {
        for (const QString& name : ports_.ports()) output_.out(name);
        finish(ExitOk);
        return;
    }
    if (!master_.open(portName_, options_.baud)) {
        // The same reason and advice the console shows under "Check Device or Connected Line".
        output_.err(QStringLiteral("cannot open port %1: %2")
                        .arg(portName_, ExplainOpenFailure(master_.openFailure(), portName_, options_.baud)));
        finish(ExitPort);
        return;
    }

    uint8_t frame[kFrameBufferSize]{};
    const int slave = options_.slave;
    switch (options_.command) {
    case Command::Status:
        if (!statusOutput_.open()) {
            output_.err(QStringLiteral("cannot write %1").arg(statusOutput_.error()));
            finish(ExitOutput);
            return;
        }
        readStatus();
        return;
    case Command::Read: {
        // The console's read always starts at register 0; the asked registers are its tail.
        const int n = BuildReadHoldingRegisters(frame, slave, options_.reg + options_.regCount);
        send(frame, n, [this](const ExchangeResult&) {
            for (const QString& line : FormatRegisters(master_.image(), options_.reg, options_.regCount)) output_.out(line);
            finish(ExitOk);
        });
        return;
    }
    case Command::Write: {
        const int n = BuildWriteSingleRegister(frame, slave, options_.reg, options_.value);
        const QString what = QStringLiteral("register %1 = %2 (0x%3)")
                                 .arg(options_.reg)
                                 .arg(options_.value)
                                 .arg(QString::number(options_.value, 16).toUpper().rightJustified(4, QLatin1Char('0')));
        sendWrite(frame, n, what, [this, what](const ExchangeResult&) {
            output_.out(what + QStringLiteral(" confirmed"));
            finish(ExitOk);
        });
        return;
    }
    case Command::WritePosition: {
        const uint32_t steps = static_cast<uint32_t>(options_.steps);
        const uint8_t data[4] = {uint8_t(steps >> 24), uint8_t(steps >> 16), uint8_t(steps >> 8), uint8_t(steps)};
        const int high = RegisterLayout::registerIn(PositionControl, TargetPositionHigh);
        const int n = BuildWriteMultipleRegisters(frame, slave, high, 2, data);
        const QString what = QStringLiteral("target position %1 steps").arg(options_.steps);
        sendWrite(frame, n, what, [this, what](const ExchangeResult&) {
            output_.out(what + QStringLiteral(" confirmed"));
            finish(ExitOk);
        });
        return;
    }
    case Command::Id: {
        // Asked at address 0, which every driver answers whatever its own address is.
        const int n = BuildReadHoldingRegisters(frame, 0, 1);
        send(frame, n, [this](const ExchangeResult& r) {
            output_.out(QString::number(uint8_t(r.answer[4])));
            finish(ExitOk);
        });
        return;
    }
    case Command::SetId: {
        // The driver answers from its new address; the answer check allows that for this register.
        const int n = BuildWriteSingleRegister(frame, slave, kIdentityChangeRegister, static_cast<uint16_t>(options_.newAddress));
        sendWrite(frame, n, QStringLiteral("new address %1").arg(options_.newAddress), [this](const ExchangeResult& r) {
            output_.out(QString::number(uint8_t(r.answer[5])));
            finish(ExitOk);
        });
        return;
    }
    case Command::Apply: {
        const int n = BuildWriteSingleRegister(frame, slave, kApplySettingsRegister, kApplySettingsValue);
        sendWrite(frame, n, QStringLiteral("apply settings"), [this](const ExchangeResult&) {
            output_.out(QStringLiteral("settings applied"));
            finish(ExitOk);
        });
        return;
    }
    case Command::None:
    case Command::Ports:
    case Command::SequenceList:  // CliSequence's
    case Command::SequenceRun:
        break;
    }
    finish(ExitUsage);
}

void CliSession::send(const uint8_t* frame, int length, std::function<void(const ExchangeResult&)> onApplied)
{
    master_.exchange(frame, length, [this, onApplied = std::move(onApplied)](const ExchangeResult& r) {
        if (finished_ || failed(r)) return;
        onApplied(r);
    });
}

void CliSession::sendWrite(const uint8_t* frame, int length, const QString& what,
                           std::function<void(const ExchangeResult&)> onApplied)
{
    if (options_.slave != 0) {
        send(frame, length, std::move(onApplied));
        return;
    }
    master_.broadcast(frame, length, [this, what](const ExchangeResult& r) {
        if (finished_ || failed(r)) return;
        output_.out(what + QStringLiteral(" sent as a broadcast (address 0), not confirmed: no driver answers a broadcast"));
        finish(ExitOk);
    });
}

bool CliSession::failed(const ExchangeResult& r)
{
    switch (r.outcome) {
    case Outcome::Applied:
    case Outcome::Sent:
        return false;
    case Outcome::NoAnswer:
        output_.err(QStringLiteral("no answer from slave %1 on %2 within %3 ms")
                        .arg(options_.command == Command::Id ? 0 : options_.slave)
                        .arg(portName_)
                        .arg(CliMaster::kAnswerTimeoutMs));
        finish(ExitNoAnswer);
        return true;
    case Outcome::BadAnswer:
        output_.err(QStringLiteral("bad answer: %1; received %2")
                        .arg(DescribeBadAnswer(r.check, r.answer), QString::fromLatin1(r.answer.toHex(' '))));
        finish(ExitBadAnswer);
        return true;
    case Outcome::WriteFailed:
        output_.err(QStringLiteral("the request could not be written to %1").arg(portName_));
        finish(ExitPort);
        return true;
    case Outcome::PortFailed:
        output_.err(QStringLiteral("port %1 failed (removed?)").arg(portName_));
        finish(ExitPort);
        return true;
    }
    return true;
}

void CliSession::readStatus()
{
    uint8_t frame[kFrameBufferSize]{};
    const int n = BuildReadHoldingRegisters(frame, options_.slave, RegisterLayout::quantityOf(options_.type));
    const int64_t startedAt = clock_.nowMs();
    if (statusStartedAtMs_ < 0) {
        statusStartedAtMs_ = startedAt;
        statusStartedAt_ = QDateTime::currentDateTime();
    }
    send(frame, n, [this, startedAt](const ExchangeResult& r) { statusDone(r, startedAt); });
}

void CliSession::statusDone(const ExchangeResult&, int64_t startedAt)
{
    RegisterMap map;
    map.image = master_.image();
    map.layout.apply(options_.type);
    map.values.refresh(map.image);
    if (!statusOutput_.write(map, clock_.nowMs() - statusStartedAtMs_, statusStartedAt_)) {
        output_.err(QStringLiteral("cannot write %1; the reads before it are kept").arg(statusOutput_.error()));
        finish(ExitOutput);
        return;
    }
    ++reads_;
    const bool repeating = options_.everyMs >= 0 || options_.count > 0;
    if (!repeating || (options_.count > 0 && reads_ >= options_.count)) {
        finish(ExitOk);
        return;
    }
    const int interval = options_.everyMs >= 0 ? options_.everyMs : kDefaultRepeatMs;
    const int64_t wait = startedAt + interval - clock_.nowMs();
    // Due already (--every 0, or a read slower than its period): the next read goes out now,
    // without a wake of its own.
    if (wait <= 0) {
        readStatus();
        return;
    }
    clock_.callAfter(wait, context_.get(), [this] {
        if (!finished_) readStatus();
    });
}

}  // namespace zentor::cli
