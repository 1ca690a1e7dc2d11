// The operator's road from a list of ports to controlling the driver: Open and Close, Start
// and Stop, and what happens when the link ends or an adapter is plugged in or pulled out.

#include "ZentorDlg.h"

#include "ChartDraw.h"
#include "ControlIds.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace zentor {

bool CZentorDlg::BusyGuardPasses()
{
    if (busyGuard) return false;
    busyGuard = 1;
    scheduler_.start(BusyTimer, 500);
    return true;
}

void CZentorDlg::SetIdLabel()
{
    setText(ids::IdLabel, QString::asprintf("ID : %d (0x%02X)", slaveAddress, static_cast<unsigned>(slaveAddress)));
}

void CZentorDlg::RefreshConnectionControls()
{
    const bool closed = !portOpen;
    const bool controlling = portOpen && running;
    setText(ids::OpenClose, closed ? QStringLiteral("Open") : QStringLiteral("Close"));
    setText(ids::ConnectionStatus, closed ? QStringLiteral("Select COM Port and Open")
                                   : controlling ? QStringLiteral("Device Control")
                                                 : QStringLiteral("Ready"));
    setText(ids::StartStop, controlling ? QStringLiteral("Stop") : QStringLiteral("Start"));
    control(ids::ComPortList)->setEnabled(closed);
    control(ids::ControlTypeList)->setEnabled(!controlling);
    control(ids::Select)->setEnabled(!controlling);
    SetIdLabel();
    setText(ids::LinkLamp, QString());
    RefreshColours();
}

void CZentorDlg::RefreshComPortList()
{
    comPorts_ = env_.ports.ports();
    if (comPorts_.size() > 40) comPorts_ = comPorts_.mid(0, 40);
    const QString current = link && link->connected ? link->portName : QString();
    auto* list = controlAs<QComboBox>(ids::ComPortList);
    list->clear();
    list->addItems(comPorts_);
    const int at = current.isEmpty() ? -1 : comPorts_.indexOf(current);
    list->setCurrentIndex(at >= 0 ? at : (comPorts_.isEmpty() ? -1 : 0));
}

void CZentorDlg::OnOpenClose()
{
    if (!BusyGuardPasses()) return;
    auto* list = controlAs<QComboBox>(ids::ComPortList);
    if (list->currentIndex() < 0) {
        env_.notifier.message(this, QStringLiteral("There is No Usable ComPort.\nPlease Check ComPort Device."));
        return;
    }
    const QString name = list->currentText();
    if (!link) {
        link = std::make_unique<CSerialLink>(this, env_.clock, env_.ports);
        link->baudRate = configuredBaud;
        if (!link->Open(name)) {
            link.reset();
            CommunicationFailure(OpenFailed);
            regs.values.clear();
            return;
        }
        portOpen = 1;
        RefreshConnectionControls();
        return;
    }
    // Close request: the flags and captions change when the link reports that it has closed.
    StopCommunicationTimers();
    link->Stop();
    ResetPanel(controlType);
    // A link that never got its port under watch sends no closed notification; its close
    // request completes at once instead of waiting for ever.
    if (!link->threadRunning) {
        const int index = link->portIndex;
        env_.clock.callAfter(0, this, [this, index] { OnSerialClosed(index); });
    }
}

void CZentorDlg::OnSerialClosed(int)
{
    if (!link) return;
    link->Close();
    link.reset();
    regs.values.clear();
    portOpen = 0;
    running = 0;
    pollPhase = 0;
    ResetRpmView();
    RefreshDigits();
    RestartGraph();
    RefreshConnectionControls();
}

void CZentorDlg::OnStartStop()
{
    if (!BusyGuardPasses()) return;
    if (!portOpen) {
        env_.notifier.message(this, QStringLiteral("Open COM Port"));
        return;
    }
    if (controlType == NoControl) {
        env_.notifier.message(this, QStringLiteral("Select Control Type"));
        return;
    }
    if (!running) {
        pollPhase = 0;
        running = 1;
        regs.settingsChanged = true;
        if (!link) {
            env_.notifier.message(this, QStringLiteral("Check COM Port Device"));
            return;
        }
        SendCommand(StatusRead);
        if (!running) return;  // the first read could not be written: the failure path ran
        scheduler_.start(BlinkTimer, 500);
        scheduler_.start(PollTimer, 150);
        RefreshDigits();
        RefreshConnectionControls();
        return;
    }
    scheduler_.kill(PollTimer);
    env_.clock.pause(200);
    StopCommunicationTimers();
    running = 0;
    pollPhase = 0;
    // An answer still on its way belongs to the stopped cycle: it must not fill the panel
    // again after the reset below.
    awaiting = 0;
    ResetPanel(controlType);
    RefreshDigits();
    RefreshConnectionControls();
}

void CZentorDlg::OnPortArrived(const QString&)
{
    RefreshComPortList();
}

void CZentorDlg::OnSerialFailed(int, const QString& portName)
{
    OnPortRemoved(portName);
}

void CZentorDlg::OnPortRemoved(const QString& name)
{
    const uint8_t outerRemoval = removalInProgress;
    if (link && link->connected && link->portName == name) {
        removalInProgress = 1;
        StopCommunicationTimers();
        link->Stop();
        env_.clock.pause(200);
        link->Close();
        link.reset();
        portOpen = 0;
        running = 0;
        pollPhase = 0;
        // The panel shows no reading of a driver that is gone: placeholders, zeros, an empty
        // graph and the motor-output view (this also clears the values).
        ResetRpmView();
        ResetPanel(controlType);
        RefreshConnectionControls();
        sequenceRunning = 0;
        RefreshEmbeddedDialogs();
        env_.notifier.message(this, QStringLiteral("ComPort Disconnected!"));
    }
    RefreshComPortList();
    // A removal reported again while the message of the first is open leaves the flag to it.
    if (!outerRemoval) removalInProgress = 0;
}

}  // namespace zentor
