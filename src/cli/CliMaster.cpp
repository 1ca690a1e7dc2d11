#include "CliMaster.h"

#include <cstring>

namespace zentor::cli {

CliMaster::CliMaster(Clock& clock, PortProvider& ports) : clock_(clock), ports_(ports) {}

CliMaster::~CliMaster()
{
    context_.reset();
    close();
}

bool CliMaster::open(const QString& name, int baudRate)
{
    close();
    link_ = std::make_unique<CSerialLink>(this, clock_, ports_);
    link_->baudRate = baudRate;
    if (!link_->Open(name)) {
        openFailure_ = link_->openFailure;
        link_.reset();
        return false;
    }
    framing_.setBaudRate(baudRate);
    failed_ = false;
    return true;
}

void CliMaster::close()
{
    awaiting_ = false;
    done_ = nullptr;
    stopWaits();
    ++exchangeGeneration_;
    if (!link_) return;
    link_->Stop();
    link_->Close();
    link_.reset();
}

bool CliMaster::write(const uint8_t* frame, int length, uint64_t generation)
{
    Outcome failure = Outcome::PortFailed;
    if (link_ && !failed_ && length > 0 && length <= CSerialLink::kBufferSize) {
        // Whatever came before this request is no part of its answer: the next byte starts a frame.
        link_->receiveBusy = 0;
        std::memcpy(link_->transmitBuffer, frame, static_cast<size_t>(length));
        if (link_->Write(link_->transmitBuffer, length) >= length) return true;
        failure = Outcome::WriteFailed;
    }
    clock_.callAfter(0, context_.get(), [this, generation, failure] {
        if (generation == exchangeGeneration_) finish({failure, 0, {}});
    });
    return false;
}

void CliMaster::exchange(const uint8_t* frame, int length, std::function<void(const ExchangeResult&)> done)
{
    const uint64_t generation = ++exchangeGeneration_;
    stopWaits();  // bytes that came before the request end no frame of its answer
    done_ = std::move(done);
    awaiting_ = false;
    if (!write(frame, length, generation)) return;
    awaiting_ = true;
    deadlineCall_ = clock_.callAfter(kAnswerTimeoutMs, context_.get(), [this] {
        deadlineCall_ = 0;
        if (awaiting_) finish({Outcome::NoAnswer, 0, {}});
    });
}

void CliMaster::broadcast(const uint8_t* frame, int length, std::function<void(const ExchangeResult&)> done)
{
    const uint64_t generation = ++exchangeGeneration_;
    stopWaits();
    done_ = std::move(done);
    awaiting_ = false;
    if (!write(frame, length, generation)) return;
    // The bytes may still be on their way out of the port when the write returns, and closing
    // the link purges what is left: give the line the frame's own time (10 bits a byte) and the
    // 60 ms the console leaves after every write.
    const int baud = link_->baudRate > 0 ? link_->baudRate : 115200;
    const int64_t lineMs = (int64_t(length) * 10 * 1000 + baud - 1) / baud;
    clock_.callAfter(lineMs + kQuietMs, context_.get(), [this, generation] {
        if (generation == exchangeGeneration_) finish({Outcome::Sent, 0, {}});
    });
}

void CliMaster::OnSerialRx(int, int) { restartQuiet(); }

void CliMaster::restartQuiet()
{
    clock_.cancel(quietCall_);
    if (!link_) return;
    const int wait = framing_.quietMs(link_->receiveBuffer, link_->lastIndex + 1);
    quietCall_ = clock_.callAfter(wait, context_.get(), [this] {
        quietCall_ = 0;
        quiet();
    });
}

void CliMaster::stopWaits()
{
    clock_.cancel(quietCall_);
    quietCall_ = 0;
    clock_.cancel(deadlineCall_);
    deadlineCall_ = 0;
}

void CliMaster::quiet()
{
    if (!link_) return;
    link_->receiveBusy = 0;
    if (!awaiting_) return;  // late bytes of an exchange already given up
    // A lone byte is no answer yet; the deadline decides if nothing more comes.
    if (link_->lastIndex <= 0) return;
    const int length = link_->lastIndex + 1;
    ExchangeResult result;
    result.answer = QByteArray(reinterpret_cast<const char*>(link_->receiveBuffer), length);
    result.check = ValidateAndApplyResponse(link_->receiveBuffer, length, link_->transmitBuffer, image_, settingsChanged_);
    result.outcome = result.check == Applied ? Outcome::Applied : Outcome::BadAnswer;
    finish(result);
}

void CliMaster::finish(ExchangeResult result)
{
    awaiting_ = false;
    clock_.cancel(deadlineCall_);
    deadlineCall_ = 0;
    // The console clears it 60 ms after the write; here nothing waits on it, so the end of the
    // exchange does, without a timer of its own.
    if (link_) link_->transmitBusy = 0;
    ++exchangeGeneration_;
    auto done = std::move(done_);
    done_ = nullptr;
    if (done) done(result);  // may start the next exchange or close the master
}

void CliMaster::OnSerialClosed(int) {}

void CliMaster::OnSerialTx(int, int) {}

void CliMaster::OnSerialFailed(int, const QString&)
{
    failed_ = true;
    if (awaiting_ || done_) {
        finish({Outcome::PortFailed, 0, {}});
        return;
    }
    if (onPortFailed) onPortFailed();
}

}  // namespace zentor::cli
