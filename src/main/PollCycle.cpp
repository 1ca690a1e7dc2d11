// The poll cycle: timer 4 alternates between the command waiting in the slot and the status
// read; an answer is taken after 60 ms without new bytes, checked and shown. Two missed or
// rejected answers, however far apart, stop communication.

#include "ZentorDlg.h"

#include "DriverCommands.h"

#include <cstring>
#include <utility>

namespace zentor {

void CZentorDlg::SendCommand(int kind)
{
    if (!link_) {
        env_.notifier.message(this, QStringLiteral("Check COM Port Device"));
        return;
    }
    const uint8_t* frame = commandFrame_;
    int length = 0;
    switch (kind) {
    case StatusRead:
        length = BuildReadHoldingRegisters(statusFrame_, slaveAddress_, regs_.layout.statusQuantity());
        frame = statusFrame_;
        break;
    case WriteSingle:
        length = BuildWriteSingleRegister(commandFrame_, slaveAddress_, pending_.address, pending_.value);
        break;
    case WriteMultiple:
        length = BuildWriteMultipleRegisters(commandFrame_, slaveAddress_, pending_.address, pending_.count, pending_.block);
        break;
    case IdentityQuery:
        length = BuildReadHoldingRegisters(commandFrame_, 0, 1);
        break;
    case IdentityChange:
        length = BuildWriteSingleRegister(commandFrame_, slaveAddress_, kIdentityChangeRegister, pending_.value);
        break;
    default:
        return;
    }
    std::memcpy(link_->transmitBuffer, frame, static_cast<size_t>(length));

    // The slot is emptied as soon as a write is built; the identity kinds stay until their
    // answer has been processed.
    switch (kind) {
    case WriteSingle:
        pending_.kind = StatusRead;
        pending_.address = 0;
        pending_.value = 0;
        std::memset(commandFrame_, 0, sizeof commandFrame_);
        break;
    case WriteMultiple:
        pending_.kind = StatusRead;
        pending_.address = 0;
        pending_.count = 0;
        std::memset(pending_.block, 0, sizeof pending_.block);
        std::memset(commandFrame_, 0, sizeof commandFrame_);
        break;
    case IdentityQuery:
        std::memset(commandFrame_, 0, sizeof commandFrame_);
        break;
    case IdentityChange:
        pending_.value = 0;
        std::memset(commandFrame_, 0, sizeof commandFrame_);
        break;
    default:
        break;
    }

    WriteRequest(length);
}

void CZentorDlg::WriteRequest(int length)
{
    const int written = link_->Write(link_->transmitBuffer, length);
    requestWrittenAt_ = env_.clock.nowMs();
    if (!traffic_.empty())
        ReportTraffic(TrafficEvent::Request, QByteArray(reinterpret_cast<const char*>(link_->transmitBuffer), length), written);
    if (written < length) {
        CommunicationFailure(ExchangeFailed);
        return;
    }
    awaiting_ = 1;
}

void CZentorDlg::SendIdentityQuery()
{
    pending_.kind = IdentityQuery;
    SendCommand(IdentityQuery);
}

void CZentorDlg::SendIdentityChange(uint16_t newAddress)
{
    pending_.value = newAddress;
    pending_.kind = IdentityChange;
    SendCommand(IdentityChange);
}

void CZentorDlg::SendSequenceCommand(const SequenceCommand& command)
{
    if (!link_) {
        env_.notifier.message(this, QStringLiteral("Check COM Port Device"));
        return;
    }
    const int length =
        BuildSequenceRequest(commandFrame_, slaveAddress_, command, regs_.layout.registerOf(TargetPositionHigh));
    // A command waiting in the slot is dropped: the sequence owns the line while it runs.
    pending_.kind = StatusRead;
    pending_.address = 0;
    pending_.value = 0;
    pending_.count = 0;
    std::memset(pending_.block, 0, sizeof pending_.block);
    std::memcpy(link_->transmitBuffer, commandFrame_, static_cast<size_t>(length));
    std::memset(commandFrame_, 0, sizeof commandFrame_);
    WriteRequest(length);
}

void CZentorDlg::StatusPhaseSend()
{
    if (awaiting_) {
        failureCount_++;
        awaiting_ = 0;
        if (failureCount_ >= 2) {
            CommunicationFailure(ExchangeFailed);
            return;
        }
    }
    if (!link_) {
        env_.notifier.message(this, QStringLiteral("Check COM Port Device"));
        return;
    }
    SendCommand(StatusRead);
}

void CZentorDlg::OnTimer(int id)
{
    switch (id) {
    case BusyTimer:
        scheduler_.kill(BusyTimer);
        busyGuard_ = 0;
        break;
    case BlinkTimer:
        blinkPhase_ = !blinkPhase_;
        setText(ids::LinkLamp, QString());
        // Of all the colours only the lamp's follows the blink phase.
        RefreshColoursOf(ids::LinkLamp, control(ids::LinkLamp));
        break;
    case TransmitTimer:
        scheduler_.kill(TransmitTimer);
        if (link_) link_->transmitBusy = 0;
        break;
    case ReceiveTimer:
        scheduler_.kill(ReceiveTimer);
        if (!link_) break;
        link_->receiveBusy = 0;
        if (awaiting_) {
            ProcessResponse();
        } else {
            ReportAnswer(0);  // nothing awaited it: not checked, not used
        }
        break;
    case PollTimer:
        pollPhase_ = !pollPhase_;
        if (pollPhase_) {
            if (pending_.kind != StatusRead && !awaiting_) SendCommand(pending_.kind);
        } else {
            StatusPhaseSend();
        }
        RunPutOffPortLook();
        break;
    default:
        break;
    }
}

void CZentorDlg::ProcessResponse()
{
    if (!link_) return;
    // After a failure the request on record is gone: a frame that straggles in then answers
    // nothing and must not count against the next start.
    if (link_->lastIndex <= 0 || link_->transmitBuffer[1] == 0) {
        ReportAnswer(0);
        return;
    }
    if (failureCount_ >= 2) {
        ReportAnswer(0);
        CommunicationFailure(ExchangeFailed);
        return;
    }
    const int check = ValidateAndApplyResponse(link_->receiveBuffer, link_->lastIndex + 1, link_->transmitBuffer,
                                               regs_.image, regs_.settingsChanged);
    ReportAnswer(check);
    if (check != Applied) {
        failureCount_++;
        return;
    }
    awaiting_ = 0;
    switch (pending_.kind) {
    case IdentityQuery:
    case IdentityChange:
        slaveAddress_ = link_->receiveBuffer[pending_.kind == IdentityQuery ? 4 : 5];
        confirmedDeviceId_ = slaveAddress_;
        SetIdLabel();
        pending_.kind = StatusRead;
        break;
    default:
        RefreshStatus();
        // A status read (never the identity query to address 0) tells its watchers.
        if (link_ && link_->transmitBuffer[1] == 0x03 && link_->transmitBuffer[0] != 0) statusRead_.notify();
        break;
    }
}

void CZentorDlg::ReportTraffic(TrafficEvent::Kind kind, const QByteArray& bytes, int written, int check)
{
    TrafficEvent e;
    e.kind = kind;
    e.atMs = env_.clock.nowMs();
    e.atUs = kind == TrafficEvent::PortOpened ? portOpenedAtUs_ : env_.clock.nowUs();
    e.bytes = bytes;
    e.written = written;
    e.check = check;
    if (kind == TrafficEvent::Answer) e.roundTripMs = lastBytesAt_ - requestWrittenAt_;
    if (kind == TrafficEvent::PortOpened || kind == TrafficEvent::PortClosed) e.port = QString::fromUtf8(bytes);
    traffic_.notify(e);
}

void CZentorDlg::ReportAnswer(int check)
{
    if (traffic_.empty() || !link_ || link_->lastIndex < 0) return;
    ReportTraffic(TrafficEvent::Answer,
                  QByteArray(reinterpret_cast<const char*>(link_->receiveBuffer), link_->lastIndex + 1), 0, check);
}

void CZentorDlg::RunPutOffPortLook()
{
    if (!portLookAfterTick_) return;
    auto look = std::move(portLookAfterTick_);
    portLookAfterTick_ = nullptr;
    look();
}

void CZentorDlg::StopCommunicationTimers()
{
    for (int id : {BlinkTimer, TransmitTimer, ReceiveTimer, PollTimer}) scheduler_.kill(id);
    // A look at the ports that waited for a tick waits no longer.
    if (portLookAfterTick_) env_.clock.callAfter(0, this, [this] { RunPutOffPortLook(); });
    // What the line timers would have done: without it a frame cut off here stays open, and
    // the first answer after the next Start is glued to its end and refused.
    if (link_) {
        link_->receiveBusy = 0;
        link_->transmitBusy = 0;
    }
}

void CZentorDlg::CommunicationFailure(int)
{
    StopCommunicationTimers();
    running_ = 0;
    pollPhase_ = 0;
    blinkPhase_ = 0;
    ResetRpmView();
    failureCount_ = 0;
    if (link_) {
        std::memset(link_->receiveBuffer, 0, sizeof link_->receiveBuffer);
        std::memset(link_->transmitBuffer, 0, sizeof link_->transmitBuffer);
    }
    std::memset(pending_.block, 0, sizeof pending_.block);
    std::memset(statusFrame_, 0, sizeof statusFrame_);
    std::memset(commandFrame_, 0, sizeof commandFrame_);
    // Readings nobody refreshes any more must not look live: the panel goes back to its
    // placeholders, as when the port is pulled out.
    ResetPanel(controlType_);
    RefreshConnectionControls();
    sequenceRunning_ = 0;
    NotifyConnectionLost();
    // The operator reads the message over the window in its new state; a port that would not
    // open says why under it.
    const QString details = std::exchange(failureDetails_, QString());
    env_.notifier.message(this, QStringLiteral("Check Device or Connected Line"), details);
}

void CZentorDlg::OnSerialTx(int, int)
{
    scheduler_.start(TransmitTimer, 60);
}

void CZentorDlg::OnSerialRx(int, int)
{
    lastBytesAt_ = env_.clock.nowMs();
    scheduler_.start(ReceiveTimer, link_ ? framing_.quietMs(link_->receiveBuffer, link_->lastIndex + 1) : AnswerFraming::kSilenceMs);
}

}  // namespace zentor
