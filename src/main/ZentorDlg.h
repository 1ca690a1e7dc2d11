#pragma once
// The console's main window: the poll cycle with its one-slot command mailbox, the
// connection workflow, the control panel and the status display. Every control is found by
// its numeric id; time, ports and message boxes come through the seams of ConsoleEnv.

#include "ConsoleEnv.h"
#include "ModbusFrames.h"
#include "PortWatcher.h"
#include "RegisterMap.h"
#include "Scheduler.h"
#include "SerialLink.h"
#include "StatusView.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QFrame;

namespace zentor {

class CChartDraw;
class CDrawStatic;
struct ChartSeries;

enum CommandKind : int32_t { StatusRead = 0, WriteSingle = 1, WriteMultiple = 2, IdentityQuery = 3, IdentityChange = 4 };

struct PendingCommand {
    int32_t kind = StatusRead;
    int32_t address = 0;
    int32_t count = 0;
    uint16_t value = 0;
    uint8_t block[kFrameBufferSize]{};
};

class CZentorDlg : public QDialog, public SerialLinkOwner {
    Q_OBJECT
public:
    enum Timer { BusyTimer = 0, BlinkTimer = 1, TransmitTimer = 2, ReceiveTimer = 3, PollTimer = 4 };
    enum FailureReason { OpenFailed = 0, ExchangeFailed = 1, ReplyMissing = 2 };

    explicit CZentorDlg(ConsoleEnv env, QWidget* parent = nullptr);
    ~CZentorDlg() override;

    // The control with the given id, or nullptr.
    QWidget* control(int id) const { return controls_.value(id); }
    template <class W>
    W* controlAs(int id) const { return qobject_cast<W*>(control(id)); }

    // Poll cycle and command slot.
    void SendCommand(int kind);
    void CommunicationFailure(int reason);
    void OnTimer(int id);

    // Connection workflow.
    void RefreshConnectionControls();
    void RefreshComPortList();
    void OnOpenClose();
    void OnStartStop();
    void OnPortArrived(const QString& name);
    void OnPortRemoved(const QString& name);

    // Control panel and status display.
    void SelectControlType(int type);
    void ResetPanel(int type);
    void RefreshStatus();
    void RefreshDigits();

    // Hooks of the windows that come later; they do nothing until those windows exist.
    void LoadConfiguration() {}
    void RefreshEmbeddedDialogs() {}

    // SerialLinkOwner
    void OnSerialRx(int portIndex, int frameLength) override;
    void OnSerialClosed(int portIndex) override;
    void OnSerialTx(int portIndex, int written) override;
    void OnSerialFailed(int portIndex, const QString& portName) override;

    // State, as the Parts of the window and the later dialogs read and change it.
    int32_t slaveAddress = 100;
    PendingCommand pending;
    uint8_t statusFrame[kFrameBufferSize]{};
    uint8_t commandFrame[kFrameBufferSize]{};
    uint8_t awaiting = 0;
    int32_t failureCount = 0;
    uint8_t pollPhase = 0;
    uint8_t blinkPhase = 0;
    uint8_t running = 0;
    uint8_t portOpen = 0;
    uint8_t busyGuard = 0;
    uint8_t ctrlHeld = 0;
    uint8_t removalInProgress = 0;
    uint8_t sequenceRunning = 0;
    int32_t configuredBaud = 115200;
    int32_t controlType = NoControl;
    int32_t confirmedDeviceId = 0;  // read by the communication settings window
    RegisterMap regs;
    panel::DisplayState display;
    std::unique_ptr<CSerialLink> link;

    Scheduler& scheduler() { return scheduler_; }
    PortWatcher& portWatcher() { return *watcher_; }
    CChartDraw* chart() const { return chart_; }
    CDrawStatic* dial() const { return dial_; }
    QWidget* infoPopup() const { return infoPopup_; }
    QStringList modelList;  // 100 texts, filled by the configuration load

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildWindow();
    void InitWindow();
    void registerControl(int id, QWidget* w);
    bool BusyGuardPasses();
    bool CommunicationStarted();
    void StatusPhaseSend();
    // Timers 1 to 4: the lamp's blink, both line timers and the poll tick.
    void StopCommunicationTimers();
    void ProcessResponse();
    void SetIdLabel();
    void setText(int id, const QString& text);
    QString text(int id) const;
    void ApplyStatusView(const panel::StatusView& view);
    void ShowDigits(const std::array<int, 5>& digits);
    void RefreshColours();
    void RestartGraph();
    // The RPM digits back to no flash and motor output, with their caption.
    void ResetRpmView();

    // Panel handlers.
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

    ConsoleEnv env_;
    Scheduler scheduler_;
    std::unique_ptr<PortWatcher> watcher_;
    QHash<int, QWidget*> controls_;
    QHash<int, QWidget*> dialogs_;
    QPointer<QWidget> infoPopup_;
    CChartDraw* chart_ = nullptr;
    ChartSeries* series_ = nullptr;
    CDrawStatic* dial_ = nullptr;
    QStringList comPorts_;
};

}  // namespace zentor
