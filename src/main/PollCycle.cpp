// The poll cycle: timer 4 alternates between the command waiting in the slot and the status
// read; an answer is taken after 60 ms without new bytes, checked and shown. Two missed or
// rejected answers, however far apart, stop communication.

#include "ZentorDlg.h"

#include "DriverCommands.h"

#include <cstring>

namespace zentor {

void CZentorDlg::SendCommand(int kind)
{
    if (!link) {
        env_.notifier.message(this, QStringLiteral("Check COM Port Device"));
        return;
    }
    const uint8_t* frame = commandFrame;
    int length = 0;
    switch (kind) {
    case StatusRead:
        length = BuildReadHoldingRegisters(statusFrame, slaveAddress, regs.layout.statusQuantity());
        frame = statusFrame;
        break;
    case WriteSingle:
        length = BuildWriteSingleRegister(commandFrame, slaveAddress, pending.address, pending.value);
        break;
    case WriteMultiple:
        length = BuildWriteMultipleRegisters(commandFrame, slaveAddress, pending.address, pending.count, pending.block);
        break;
    case IdentityQuery:
        length = BuildReadHoldingRegisters(commandFrame, 0, 1);
        break;
    case IdentityChange:
        length = BuildWriteSingleRegister(commandFrame, slaveAddress, kIdentityChangeRegister, pending.value);
        break;
    default:
        return;
    }
    std::memcpy(link->transmitBuffer, frame, static_cast<size_t>(length));

    // The slot is emptied as soon as a write is built; the identity kinds stay until their
    // answer has been processed.
    switch (kind) {
    case WriteSingle:
        pending.kind = StatusRead;
        pending.address = 0;
        pending.value = 0;
        std::memset(commandFrame, 0, sizeof commandFrame);
        break;
    case WriteMultiple:
        pending.kind = StatusRead;
        pending.address = 0;
        pending.count = 0;
        std::memset(pending.block, 0, sizeof pending.block);
        std::memset(commandFrame, 0, sizeof commandFrame);
        break;
    case IdentityQuery:
        std::memset(commandFrame, 0, sizeof commandFrame);
        break;
    case IdentityChange:
        pending.value = 0;
        std::memset(commandFrame, 0, sizeof commandFrame);
        break;
    default:
        break;
    }

    if (link->Write(link->transmitBuffer, length) < length) {
        CommunicationFailure(ExchangeFailed);
        return;
    }
    awaiting = 1;
}

void CZentorDlg::StatusPhaseSend()
{
    if (awaiting) {
        failureCount++;
        awaiting = 0;
        if (failureCount >= 2) {
            CommunicationFailure(ExchangeFailed);
            return;
        }
    }
    if (!link) {
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
        busyGuard = 0;
        break;
    case BlinkTimer:
        blinkPhase = !blinkPhase;
        setText(ids::LinkLamp, QString());
        RefreshColours();
        break;
    case TransmitTimer:
        scheduler_.kill(TransmitTimer);
        if (link) link->transmitBusy = 0;
        break;
    case ReceiveTimer:
        scheduler_.kill(ReceiveTimer);
        if (!link) break;
        link->receiveBusy = 0;
        if (awaiting) ProcessResponse();
        break;
    case PollTimer:
        pollPhase = !pollPhase;
        if (pollPhase) {
            if (pending.kind != StatusRead && !awaiting) SendCommand(pending.kind);
        } else {
            StatusPhaseSend();
        }
        break;
    default:
        break;
    }
}

void CZentorDlg::ProcessResponse()
{
    if (!link || link->lastIndex <= 0) return;
    // After a failure the request on record is gone: a frame that straggles in then answers
    // nothing and must not count against the next start.
    if (link->transmitBuffer[1] == 0) return;
    if (failureCount >= 2) {
        CommunicationFailure(ExchangeFailed);
        return;
    }
    const int check = ValidateAndApplyResponse(link->receiveBuffer, link->lastIndex + 1, link->transmitBuffer,
                                               regs.image, regs.settingsChanged);
    if (check != Applied) {
        failureCount++;
        return;
    }
    awaiting = 0;
    switch (pending.kind) {
    case IdentityQuery:
    case IdentityChange:
        slaveAddress = link->receiveBuffer[pending.kind == IdentityQuery ? 4 : 5];
        confirmedDeviceId = slaveAddress;
        SetIdLabel();
        pending.kind = StatusRead;
        break;
    default:
        RefreshStatus();
        break;
    }
}

void CZentorDlg::StopCommunicationTimers()
{
    for (int id : {BlinkTimer, TransmitTimer, ReceiveTimer, PollTimer}) scheduler_.kill(id);
    // What the line timers would have done: without it a frame cut off here stays open, and
    // the first answer after the next Start is glued to its end and refused.
    if (link) {
        link->receiveBusy = 0;
        link->transmitBusy = 0;
    }
}

void CZentorDlg::CommunicationFailure(int)
{
    StopCommunicationTimers();
    running = 0;
    pollPhase = 0;
    blinkPhase = 0;
    ResetRpmView();
    failureCount = 0;
    if (link) {
        std::memset(link->receiveBuffer, 0, sizeof link->receiveBuffer);
        std::memset(link->transmitBuffer, 0, sizeof link->transmitBuffer);
    }
    env_.notifier.message(this, QStringLiteral("Check Device or Connected Line"));
    std::memset(pending.block, 0, sizeof pending.block);
    std::memset(statusFrame, 0, sizeof statusFrame);
    std::memset(commandFrame, 0, sizeof commandFrame);
    RefreshConnectionControls();
    sequenceRunning = 0;
    RefreshEmbeddedDialogs();
}

void CZentorDlg::OnSerialTx(int, int)
{
    scheduler_.start(TransmitTimer, 60);
}

void CZentorDlg::OnSerialRx(int, int)
{
    scheduler_.start(ReceiveTimer, 60);
}

}  // namespace zentor
