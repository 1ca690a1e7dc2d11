#pragma once
// The console's main window: the poll cycle with its one-slot command mailbox, the
// connection workflow, the control panel and the status display. Every control is found by
// its numeric id; time, ports and message boxes come through the seams of ConsoleEnv; the
// secondary windows reach it through ConsoleHost.

#include "AnswerFraming.h"
#include "ConsoleEnv.h"
#include "ConsoleHost.h"
#include "ControlTable.h"
#include "IniProfile.h"
#include "Listeners.h"
#include "ModbusFrames.h"
#include "PortWatcher.h"
#include "RegisterMap.h"
#include "Scheduler.h"
#include "SerialLink.h"
#include "StatusView.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

namespace zentor {

class CChartDraw;
class CDrawStatic;
struct ChartSeries;

class CZentorDlg : public QDialog, public ConsoleHost, public SerialLinkOwner {
    Q_OBJECT
public:
    enum Timer { BusyTimer = 0, BlinkTimer = 1, TransmitTimer = 2, ReceiveTimer = 3, PollTimer = 4 };

    explicit CZentorDlg(ConsoleEnv env, QWidget* parent = nullptr);
    ~CZentorDlg() override;

    // The control with the given id, or nullptr.
    QWidget* control(int id) const { return controls_.get(id); }
    template <class W>
    W* controlAs(int id) const { return controls_.as<W>(id); }
    const ControlTable& controls() const { return controls_; }

    // Wiring done by the program: the window each launcher opens, and the maker of the model
    // list panel that "Info." shows.
    void AttachWindow(int launcherId, SecondaryWindow* window);
    void SetInfoPanelMaker(std::function<QWidget*(QWidget* parent)> maker);

    // ConsoleHost
    bool portOpen() const override { return portOpen_; }
    bool running() const override { return running_; }
    bool linkPresent() const override { return link_ != nullptr; }
    bool awaiting() const override { return awaiting_; }
    void clearAwaiting() override { awaiting_ = 0; }
    bool removalInProgress() const override { return removalInProgress_; }
    QString openPortName() const override;
    QString chosenPortName() const override;
    int controlType() const override { return controlType_; }
    int slaveAddress() const override { return slaveAddress_; }
    int configuredBaud() const override { return configuredBaud_; }
    int confirmedDeviceId() const override { return confirmedDeviceId_; }
    void clearConfirmedDeviceId() override { confirmedDeviceId_ = 0; }
    bool sequenceRunning() const override { return sequenceRunning_; }
    void setSequenceRunning(bool on) override { sequenceRunning_ = on ? 1 : 0; }
    const RegisterMap& registers() const override { return regs_; }
    PendingCommand& pending() override { return pending_; }
    void SendCommand(int kind) override;
    void SendIdentityQuery() override;
    void SendIdentityChange(uint16_t newAddress) override;
    void SendSequenceCommand(const SequenceCommand& command) override;
    void OpenClose() override { OnOpenClose(); }
    void StartStop() override { OnStartStop(); }
    void CommunicationFailure(int reason) override;
    void SetSlaveAddress(int address) override;
    void SetConfiguredBaud(int baud) override { configuredBaud_ = baud; }
    void SetControlType(int type) override { SelectControlType(type); }
    void CheckPorts() override { watcher_->check(); }
    ConsoleStores& stores() override { return stores_; }
    QString configFilePath() const override { return profile_.path(); }
    bool WriteProfileValue(const QString& section, const QString& key, const QString& value, QString* reason) override;
    bool SaveUserSequence(int itemCount) override;
    int AddTrafficListener(std::function<void(const TrafficEvent&)> l) override { return traffic_.add(std::move(l)); }
    void RemoveTrafficListener(int id) override { traffic_.remove(id); }
    int AddStatusListener(std::function<void()> l) override { return statusRead_.add(std::move(l)); }
    void RemoveStatusListener(int id) override { statusRead_.remove(id); }
    int64_t portOpenedAtUs() const override { return portOpenedAtUs_; }
    QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& proposedName,
                           const QString& filter) override;
    Notifier& notifier() override { return env_.notifier; }
    Clock& clock() override { return env_.clock; }
    QWidget* hostWidget() override { return this; }

    // What the window shows of itself, for its tests and tools.
    int failureCount() const { return failureCount_; }
    bool ctrlHeld() const { return ctrlHeld_; }
    CSerialLink* link() const { return link_.get(); }
    Scheduler& scheduler() { return scheduler_; }
    PortWatcher& portWatcher() { return *watcher_; }
    CChartDraw* chart() const { return chart_; }
    CDrawStatic* dial() const { return dial_; }
    QWidget* infoPanel() const { return infoPanel_; }
    // The secondary window open now, or nullptr.
    SecondaryWindow* openWindow() const { return openWindow_; }

    // What the current graph's context menu offers: the graph as a PNG at the screen's pixel
    // ratio, and the samples it holds as CSV (time_s, current_a). Each asks for the file.
    void SaveGraphImage();
    void SaveGraphSamples();

    // Shows the registers of the last answer (the poll cycle calls it after each one).
    void RefreshStatus();
    // The timer handler (timers by id, as the window's timers are numbered).
    void OnTimer(int id);
    // Rebuilds the port list from the ports present now.
    void RefreshComPortList();

    // SerialLinkOwner
    void OnSerialRx(int portIndex, int frameLength) override;
    void OnSerialClosed(int portIndex) override;
    void OnSerialTx(int portIndex, int written) override;
    void OnSerialFailed(int portIndex, const QString& portName) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildWindow();
    void InitWindow();
    void LoadConfiguration();
    void registerControl(int id, QWidget* w) { controls_.add(id, w); }
    void setText(int id, const QString& text) { controls_.setText(id, text); }
    QString text(int id) const { return controls_.text(id); }
    bool BusyGuardPasses();
    bool CommunicationStarted();

    // Poll cycle.
    void StatusPhaseSend();
    // Writes the request in the link's transmit buffer: awaiting on a whole write, the
    // failure path on a short one.
    void WriteRequest(int length);
    // Timers 1 to 4: the lamp's blink, both line timers and the poll tick.
    void StopCommunicationTimers();
    void RunPutOffPortLook();
    void ProcessResponse();
    // Refreshes the open secondary window after a failure or the removal of the port.
    void NotifyConnectionLost();

    // Connection workflow.
    void RefreshConnectionControls();
    void OnOpenClose();
    void OnStartStop();
    void OnPortArrived(const QString& name);
    void OnPortRemoved(const QString& name);
    void SetIdLabel();

    // Control panel and status display.
    void SelectControlType(int type);
    void ResetPanel(int type);
    void RefreshDigits();
    void ApplyStatusView(const panel::StatusView& view);
    void ShowDigits(const std::array<int, 5>& digits);
    void RefreshColours();
    void RefreshColoursOf(int id, QWidget* w);
    void RestartGraph();
    // The RPM digits back to no flash and motor output, with their caption.
    void ResetRpmView();
    void OnSelect();
    void OnDirection(int value);
    void OnBrake(int value);
    void OnRunCommand(int value);
    void OnZeroPosition();
    void OnClutch();
    void OnSpeedSet();
    void OnPositionSet();
    void OnSpeedEditChanged();
    void OnPositionEditChanged();
    void OnSpeedSliderReleased();
    void OnPositionSliderReleased();
    void OnRpmDisplayClicked();
    void PlaceWrite(int role, uint16_t value);

    // Launchers.
    void OnOpenDialog(int id);
    void OnInfo();
    void OpenAddress(const QUrl& address, const QString& whatFailed);
    void ShowGraphMenu(const QPoint& at);

    ConsoleEnv env_;
    Scheduler scheduler_;
    std::unique_ptr<PortWatcher> watcher_;
    std::function<void()> portLookAfterTick_;  // a look at the ports put off to the next poll tick
    ControlTable controls_;
    QHash<int, SecondaryWindow*> windows_;
    SecondaryWindow* openWindow_ = nullptr;
    std::function<QWidget*(QWidget*)> infoPanelMaker_;
    QPointer<QWidget> infoPanel_;
    CChartDraw* chart_ = nullptr;
    ChartSeries* series_ = nullptr;
    CDrawStatic* dial_ = nullptr;
    QStringList comPorts_;

    // State of the poll cycle, the connection and the panel.
    int32_t slaveAddress_ = 100;
    PendingCommand pending_;
    uint8_t statusFrame_[kFrameBufferSize]{};
    uint8_t commandFrame_[kFrameBufferSize]{};
    uint8_t awaiting_ = 0;
    int32_t failureCount_ = 0;
    uint8_t pollPhase_ = 0;
    uint8_t blinkPhase_ = 0;
    uint8_t running_ = 0;
    uint8_t portOpen_ = 0;
    uint8_t busyGuard_ = 0;
    uint8_t ctrlHeld_ = 0;
    uint8_t removalInProgress_ = 0;
    uint8_t sequenceRunning_ = 0;
    int32_t configuredBaud_ = 115200;
    int32_t controlType_ = NoControl;
    int32_t confirmedDeviceId_ = 0;
    QString failureDetails_;  // why the port did not open, for the failure's message
    RegisterMap regs_;
    panel::DisplayState display_;
    std::unique_ptr<CSerialLink> link_;

    // Who watches the line and the status reads.
    Listeners<const TrafficEvent&> traffic_;
    Listeners<> statusRead_;
    int64_t requestWrittenAt_ = 0;
    int64_t lastBytesAt_ = 0;
    // Every answer is taken after 60 ms without new bytes, whole or not.
    AnswerFraming framing_{AnswerFraming::AfterSilence};
    int64_t portOpenedAtUs_ = -1;
    // When each sample of the graph's series came, at the same place of the ring as the sample.
    std::array<int64_t, 1024> sampleTimes_{};
    void ReportTraffic(TrafficEvent::Kind kind, const QByteArray& bytes, int written = 0, int check = 0);
    void ReportAnswer(int check);

    // The configuration file and what it held at start-up.
    IniProfile profile_;
    ConsoleStores stores_;
};

}  // namespace zentor
