#pragma once
// One request and its answer over the serial link: a whole answer (its function and byte count
// say how long it is) is taken after 3.5 characters without new bytes, any other after 60 ms,
// as the console takes every answer; none within the answer time-out is no answer.

#include "AnswerFraming.h"
#include "Clock.h"
#include "ModbusFrames.h"
#include "PortProvider.h"
#include "SerialLink.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>

namespace zentor::cli {

// Sent: a broadcast went out (nobody answers one).
enum class Outcome { Applied, NoAnswer, BadAnswer, WriteFailed, PortFailed, Sent };

struct ExchangeResult {
    Outcome outcome = Outcome::NoAnswer;
    int check = 0;        // the ResponseCheck of a BadAnswer or Applied
    QByteArray answer;    // the frame that was judged
};

class CliMaster final : public SerialLinkOwner {
public:
    static constexpr int kQuietMs = AnswerFraming::kSilenceMs;
    static constexpr int kAnswerTimeoutMs = 1000;

    CliMaster(Clock& clock, PortProvider& ports);
    ~CliMaster() override;

    bool open(const QString& name, int baudRate);
    // Why the last open failed.
    const OpenFailure& openFailure() const { return openFailure_; }
    // Writes the frame and calls done once with what came of it (never inside this call).
    void exchange(const uint8_t* frame, int length, std::function<void(const ExchangeResult&)> done);
    // Writes a frame that nobody answers (a broadcast) and calls done once the line has had the
    // time to carry it (never inside this call): Sent, WriteFailed or PortFailed.
    void broadcast(const uint8_t* frame, int length, std::function<void(const ExchangeResult&)> done);
    // Stops and closes the link; a pending exchange is dropped without its call.
    void close();
    bool isOpen() const { return link_ != nullptr; }

    const RegisterImage& image() const { return image_; }
    // Called when the port fails while no exchange is waiting (between repeated reads).
    std::function<void()> onPortFailed;

    void OnSerialRx(int portIndex, int frameLength) override;
    void OnSerialClosed(int portIndex) override;
    void OnSerialTx(int portIndex, int written) override;
    void OnSerialFailed(int portIndex, const QString& portName) override;

private:
    // Writes the frame as the request of the exchange; false (done is due) when it did not go out.
    bool write(const uint8_t* frame, int length, uint64_t generation);
    // Each wait keeps one call of the clock pending: a burst takes back the last one and asks
    // for a new one, and a wait that ended takes its call back, so the master wakes only when a
    // wait runs out.
    void restartQuiet();
    void stopWaits();
    void quiet();
    void finish(ExchangeResult result);

    Clock& clock_;
    PortProvider& ports_;
    std::unique_ptr<CSerialLink> link_;
    RegisterImage image_;
    bool settingsChanged_ = false;
    bool awaiting_ = false;
    bool failed_ = false;
    OpenFailure openFailure_;
    AnswerFraming framing_{AnswerFraming::WhenWhole};
    Clock::CallId quietCall_ = 0;      // the frame's silence after its last burst
    Clock::CallId deadlineCall_ = 0;   // the awaited answer is no answer from then on
    uint64_t exchangeGeneration_ = 0;  // a newer exchange makes the end of an older one void
    std::function<void(const ExchangeResult&)> done_;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();  // of the timers; gone with the master
};

}  // namespace zentor::cli
