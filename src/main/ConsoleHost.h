#pragma once
// The one way the secondary windows (communication settings, motor settings, sequence test,
// model list) and the simulator's controls reach the main window: its state, its sends, its
// actions and its stores. The main window implements it and keeps its fields to itself.

#include "ConsoleEnv.h"
#include "ConsoleStores.h"
#include "DriverCommands.h"
#include "ModbusFrames.h"
#include "RegisterMap.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <cstdint>

class QDialog;
class QWidget;

namespace zentor {

// Kinds of the command slot; StatusRead (0) also means the slot is empty.
enum CommandKind : int32_t { StatusRead = 0, WriteSingle = 1, WriteMultiple = 2, IdentityQuery = 3, IdentityChange = 4 };

// Why communication failed: all three act the same.
enum FailureReason : int { OpenFailed = 0, ExchangeFailed = 1, ReplyMissing = 2 };

// The main window's one-slot mailbox of register writes.
struct PendingCommand {
    int32_t kind = StatusRead;
    int32_t address = 0;
    int32_t count = 0;
    uint16_t value = 0;
    uint8_t block[kFrameBufferSize]{};
};

// One event on the line as the console saw it, for whoever watches the traffic.
struct TrafficEvent {
    enum Kind { PortOpened, PortClosed, Request, Answer };
    Kind kind = Request;
    int64_t atMs = 0;          // the clock's reading
    int64_t atUs = 0;          // the same reading in microseconds
    QByteArray bytes;          // Request and Answer: the frame
    int written = 0;           // Request: the bytes that went out (fewer than the frame: a short write)
    int check = 0;             // Answer: its ResponseCheck; 0 when nothing was awaiting it
    int64_t roundTripMs = -1;  // Answer: from the request's write to the answer's last byte
    QString port;              // PortOpened and PortClosed: the port's name
};

class ConsoleHost {
public:
    virtual ~ConsoleHost() = default;

    // --- state ---
    virtual bool portOpen() const = 0;
    virtual bool running() const = 0;        // the poll cycle runs
    virtual bool linkPresent() const = 0;
    virtual bool awaiting() const = 0;       // a request was written and its answer not yet applied
    virtual void clearAwaiting() = 0;
    virtual bool removalInProgress() const = 0;
    // The name of the open port, or an empty text; the port chosen in the port list.
    virtual QString openPortName() const = 0;
    virtual QString chosenPortName() const = 0;
    virtual int controlType() const = 0;
    virtual int slaveAddress() const = 0;
    virtual int configuredBaud() const = 0;
    // The driver address confirmed by an answer to the identity query or change; 0 for none.
    virtual int confirmedDeviceId() const = 0;
    virtual void clearConfirmedDeviceId() = 0;
    virtual bool sequenceRunning() const = 0;
    virtual void setSequenceRunning(bool on) = 0;
    virtual const RegisterMap& registers() const = 0;
    virtual PendingCommand& pending() = 0;

    // --- sends, each written at once ---
    virtual void SendCommand(int kind) = 0;
    // The identity query to address 0; its answer sets the slave address.
    virtual void SendIdentityQuery() = 0;
    // Writes a new address into the driver, which answers from it.
    virtual void SendIdentityChange(uint16_t newAddress) = 0;
    // A step of a sequence; drops a command waiting in the slot.
    virtual void SendSequenceCommand(const SequenceCommand& command) = 0;

    // --- the main window's actions and setters ---
    virtual void OpenClose() = 0;   // the Open/Close button's action
    virtual void StartStop() = 0;   // the Start/Stop button's action
    virtual void CommunicationFailure(int reason) = 0;
    // The address of every request; the ID label follows.
    virtual void SetSlaveAddress(int address) = 0;
    virtual void SetConfiguredBaud(int baud) = 0;
    // Control type, register layout and control panel together.
    virtual void SetControlType(int type) = 0;
    // Looks at the ports present now, instead of at the next interval.
    virtual void CheckPorts() = 0;

    // --- configuration ---
    // The stores the configuration file filled at start-up.
    virtual ConsoleStores& stores() = 0;
    virtual QString configFilePath() const = 0;
    // Writes one value into the configuration file at once. False when it could not be
    // stored; *reason (if given) then holds the file and the system's reason.
    virtual bool WriteProfileValue(const QString& section, const QString& key, const QString& value,
                                   QString* reason) = 0;
    // Rewrites the user sequence of the file from the user store (items 1 to itemCount) and
    // tells the operator whether it was saved.
    virtual bool SaveUserSequence(int itemCount) = 0;

    // --- watching ---
    // Every frame written and every answer taken, with the port's opening and closing.
    virtual int AddTrafficListener(std::function<void(const TrafficEvent&)> listener) = 0;
    virtual void RemoveTrafficListener(int id) = 0;
    // After every applied status read, with registers() as it now stands.
    virtual int AddStatusListener(std::function<void()> listener) = 0;
    virtual void RemoveStatusListener(int id) = 0;
    // When the open port was opened (the clock's reading in microseconds); -1 while none is open.
    virtual int64_t portOpenedAtUs() const = 0;

    // Asks the operator for a file to write: the path, or an empty text when none was chosen.
    virtual QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& proposedName,
                                   const QString& filter) = 0;

    virtual Notifier& notifier() = 0;
    virtual Clock& clock() = 0;
    // The main window as the parent of message boxes and windows.
    virtual QWidget* hostWidget() = 0;
};

// A window the main window opens from one of its launchers and refreshes while it is open.
class SecondaryWindow {
public:
    virtual ~SecondaryWindow() = default;
    virtual QDialog* dialog() = 0;
    // Run at every opening, before the window shows.
    virtual void Initialise() = 0;
    // The main window's failure path or the removal of its port ran while the window was open.
    virtual void ConnectionLost() = 0;
};

}  // namespace zentor
