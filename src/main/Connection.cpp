// The operator's road from a list of ports to controlling the driver: Open and Close, Start
// and Stop, and what happens when the link ends or an adapter is plugged in or pulled out.

#include "ZentorDlg.h"

#include "ChartDraw.h"
#include "ControlIds.h"
#include "OpenFailureAdvice.h"
#include "PortNames.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace zentor {

bool CZentorDlg::BusyGuardPasses()
{
    if (busyGuard_) return false;
    busyGuard_ = 1;
    scheduler_.start(BusyTimer, 500);
    return true;
}

void CZentorDlg::SetIdLabel()
{
    setText(ids::IdLabel, QString::asprintf("ID : %d (0x%02X)", slaveAddress_, static_cast<unsigned>(slaveAddress_)));
}

QString CZentorDlg::openPortName() const { return link_ && link_->connected ? link_->portName : QString(); }

QString CZentorDlg::chosenPortName() const { return controlAs<QComboBox>(ids::ComPortList)->currentText(); }

void CZentorDlg::SetSlaveAddress(int address)
{
    slaveAddress_ = address;
    SetIdLabel();
}

void CZentorDlg::RefreshConnectionControls()
{
    const bool closed = !portOpen_;
    const bool controlling = portOpen_ && running_;
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
    comPorts_ = watcher_->known();
    if (comPorts_.size() > kMaxListedPorts) comPorts_ = comPorts_.mid(0, kMaxListedPorts);
    auto* list = controlAs<QComboBox>(ids::ComPortList);
    const QString current = link_ && link_->connected ? link_->portName : QString();
    // A device path the operator is typing stays in the edit.
    const QString typed = list->currentText();
    const bool typing = !typed.isEmpty() && list->findText(typed) < 0;
    list->clear();
    list->addItems(comPorts_);
    const int at = current.isEmpty() ? -1 : comPorts_.indexOf(current);
    if (at >= 0) {
        list->setCurrentIndex(at);
    } else if (typing && current.isEmpty()) {
        list->setCurrentIndex(-1);
        list->setEditText(typed);
    } else {
        list->setCurrentIndex(comPorts_.isEmpty() ? -1 : 0);
    }
}

void CZentorDlg::OnOpenClose()
{
    if (!BusyGuardPasses()) return;
    auto* list = controlAs<QComboBox>(ids::ComPortList);
    // A listed port, or any device path the operator typed (a pseudo terminal, a link to one).
    const QString name = list->currentText().trimmed();
    if (name.isEmpty()) {
        env_.notifier.message(this, QStringLiteral("There is No Usable ComPort.\nPlease Check ComPort Device."));
        return;
    }
    if (!link_) {
        link_ = std::make_unique<CSerialLink>(this, env_.clock, env_.ports);
        link_->baudRate = configuredBaud_;
        if (!link_->Open(name)) {
            failureDetails_ = ExplainOpenFailure(link_->openFailure, name, configuredBaud_);
            link_.reset();
            CommunicationFailure(OpenFailed);
            regs_.values.clear();
            return;
        }
        portOpen_ = 1;
        portOpenedAtUs_ = env_.clock.nowUs();
        if (!traffic_.empty()) ReportTraffic(TrafficEvent::PortOpened, name.toUtf8());
        // A typed path is listed and watched while it exists, like any port.
        if (!watcher_->known().contains(name) && QFileInfo::exists(name)) watcher_->addTypedPath(name);
        RefreshConnectionControls();
        return;
    }
    // Close request: the flags and captions change when the link reports that it has closed.
    StopCommunicationTimers();
    link_->Stop();
    ResetPanel(controlType_);
    // A link that never got its port under watch sends no closed notification; its close
    // request completes at once instead of waiting for ever.
    if (!link_->threadRunning) {
        const int index = link_->portIndex;
        env_.clock.callAfter(0, this, [this, index] { OnSerialClosed(index); });
    }
}

void CZentorDlg::OnSerialClosed(int)
{
    if (!link_) return;
    const QString port = link_->portName;
    link_->Close();
    link_.reset();
    portOpenedAtUs_ = -1;
    if (!traffic_.empty()) ReportTraffic(TrafficEvent::PortClosed, port.toUtf8());
    // With the link gone no request is on its way: nothing is awaited any more.
    awaiting_ = 0;
    regs_.values.clear();
    portOpen_ = 0;
    running_ = 0;
    pollPhase_ = 0;
    ResetRpmView();
    RefreshDigits();
    RestartGraph();
    RefreshConnectionControls();
}

void CZentorDlg::OnStartStop()
{
    if (!BusyGuardPasses()) return;
    if (!portOpen_) {
        env_.notifier.message(this, QStringLiteral("Open COM Port"));
        return;
    }
    if (controlType_ == NoControl) {
        env_.notifier.message(this, QStringLiteral("Select Control Type"));
        return;
    }
    if (!running_) {
        pollPhase_ = 0;
        running_ = 1;
        regs_.settingsChanged = true;
        if (!link_) {
            env_.notifier.message(this, QStringLiteral("Check COM Port Device"));
            return;
        }
        SendCommand(StatusRead);
        if (!running_) return;  // the first read could not be written: the failure path ran
        scheduler_.start(BlinkTimer, 500);
        scheduler_.start(PollTimer, 150);
        RefreshDigits();
        RefreshConnectionControls();
        return;
    }
    scheduler_.kill(PollTimer);
    env_.clock.pause(200);
    StopCommunicationTimers();
    running_ = 0;
    pollPhase_ = 0;
    blinkPhase_ = 0;
    // An answer still on its way belongs to the stopped cycle: it must not fill the panel
    // again after the reset below.
    awaiting_ = 0;
    ResetPanel(controlType_);
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
    const uint8_t outerRemoval = removalInProgress_;
    if (link_ && link_->connected && link_->portName == name) {
        removalInProgress_ = 1;
        StopCommunicationTimers();
        link_->Stop();
        env_.clock.pause(200);
        link_->Close();
        link_.reset();
        portOpenedAtUs_ = -1;
        if (!traffic_.empty()) ReportTraffic(TrafficEvent::PortClosed, name.toUtf8());
        awaiting_ = 0;
        portOpen_ = 0;
        running_ = 0;
        pollPhase_ = 0;
        // The panel shows no reading of a driver that is gone: placeholders, zeros, an empty
        // graph and the motor-output view (this also clears the values).
        ResetRpmView();
        ResetPanel(controlType_);
        RefreshConnectionControls();
        sequenceRunning_ = 0;
        NotifyConnectionLost();
        RefreshComPortList();
        env_.notifier.message(this, QStringLiteral("ComPort Disconnected!"));
    } else {
        RefreshComPortList();
    }
    // A removal reported again while the message of the first is open leaves the flag to it.
    if (!outerRemoval) removalInProgress_ = 0;
}

}  // namespace zentor
