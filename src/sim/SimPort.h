#pragma once
// The simulated driver as a serial port: requests written to it reach the driver, and its
// answers come back after a short reply delay, paced at the byte time of the baud rate, in
// bursts as a USB adapter delivers them. Works in virtual time for tests, real time otherwise.
//
// Like a real driver it serves one request at a time: a request that comes while an answer is
// on its way waits until that answer has gone out, in a backlog of kBacklog requests; one that
// finds the backlog full is dropped (and the log hears of it).

#include "Clock.h"
#include "PortProvider.h"
#include "RequestFramer.h"
#include "SimDriver.h"

#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace zentor::sim {

struct SimTiming {
    int replyDelayMs = 4;    // from the end of the request to the first byte of the answer
    int burstBytes = 32;     // bytes per burst as the adapter hands them over
    int burstLatencyMs = 1;  // an adapter's hold-back before it delivers a burst
};

class SimSerialDevice final : public SerialDevice {
public:
    static constexpr int kBacklog = 16;

    SimSerialDevice(Clock& clock, std::shared_ptr<SimDriver> driver, SimTiming timing = {});
    ~SimSerialDevice() override;
    bool open(int baudRate) override;
    int64_t write(const uint8_t* data, int64_t count, int timeoutMs) override;
    void purge() override;
    void close() override;

    // The port goes away under its user: onFailed is called and nothing more is delivered.
    void pullOut();
    bool isOpen() const { return open_; }
    SimDriver& driver() { return *driver_; }

    // The master has gone (it closed the terminal): the answer on its way and the requests that
    // wait are dropped, each told to the log with why.
    void dropPending(const QString& why);
    // An answer is on its way or requests wait.
    bool isBusy() const { return busy_ || !backlog_.empty(); }

    bool isPulledOut() const { return pulled_; }
    int baudRate() const { return baud_; }
    // The rate the driver listens at: a master that opens the port at another rate is heard as
    // noise and gets no answer, as from a real driver. 0 follows whatever rate the port is
    // opened at, as over a pseudo terminal.
    void setLineBaud(int baud) { lineBaud_ = baud; }
    int lineBaud() const { return lineBaud_; }

    // For a log of the line: each whole request the driver took, with what it did with it
    // (SimDriver::lastAction), when it took it (a request that waited, when its turn came), and
    // each answer as its last burst goes out, with its note (SimDriver::lastAnswer). A request
    // or an answer dropped is told with "dropped: " and why.
    std::function<void(const QByteArray& request, const QString& action)> onRequest;
    std::function<void(const QByteArray& answer, const QString& note)> onAnswerSent;

private:
    friend class SimPortProvider;
    // A whole request as it came: served at once, or put in the backlog while the driver is busy.
    void take(const QByteArray& request);
    void serve(const QByteArray& request);
    void serveBacklog();
    // Schedules the answer's bursts at the byte times of the line.
    void deliver(const QByteArray& answer, const QString& note);
    void dropDeliveries();
    // Tells the log of the requests a full backlog dropped since the last line about it.
    void reportDrops();

    Clock& clock_;
    std::shared_ptr<SimDriver> driver_;
    SimTiming timing_;
    int baud_ = 115200;
    int lineBaud_ = 0;
    bool open_ = false;
    bool pulled_ = false;
    RequestFramer framer_;
    double lineFreeUs_ = 0;                // the answer line carries bytes until then
    bool busy_ = false;                    // an answer is on its way
    QByteArray answering_;                 // that answer
    std::deque<QByteArray> backlog_;       // requests that came meanwhile, in order
    bool dropTold_ = false;                // the first drop since the backlog had room is told
    int unreportedDrops_ = 0;              // dropped after it, told in one line later
    QByteArray lastDropped_;
    std::unique_ptr<QObject> deliveries_;  // context of scheduled bursts; renewed by purge
    QObject failure_;                      // context of the failure report; dies with the device
    std::shared_ptr<char> lifetime_ = std::make_shared<char>();  // watched by the provider
};

// Lists simulated drivers as ports, and takes them out and back as adapters are pulled and
// plugged.
class SimPortProvider final : public PortProvider {
public:
    static constexpr int kDriverLineBaud = 115200;

    explicit SimPortProvider(Clock& clock, SimTiming timing = {});
    // Adds a port served by its own driver, listening at lineBaud.
    void addPort(const QString& name, ControlType type, int slaveAddress = 100, int lineBaud = kDriverLineBaud);
    QStringList ports() const override;
    std::unique_ptr<SerialDevice> create(const QString& name) override;
    void watchChanges(std::function<void()> changed) override { changed_ = std::move(changed); }

    // Removes the port from the list; an open device of it fails at once.
    void pull(const QString& name);
    void plugIn(const QString& name);
    bool isPresent(const QString& name) const;
    std::shared_ptr<SimDriver> driver(const QString& name) const;

    // Names the console lists when it starts with the simulated drivers.
    static QString speedPortName() { return QStringLiteral("SIM-SPEED"); }
    static QString positionPortName() { return QStringLiteral("SIM-POSITION"); }

private:
    struct Handed {  // a device handed out, while it lives
        SimSerialDevice* device;
        std::weak_ptr<char> alive;
    };
    struct Port {
        std::shared_ptr<SimDriver> driver;
        int lineBaud = kDriverLineBaud;
        bool present = true;
        std::vector<Handed> devices;
    };
    void notifyChanged();

    Clock& clock_;
    SimTiming timing_;
    std::function<void()> changed_;
    QObject context_;  // of the change notifications; gone with the provider
    std::vector<QString> order_;
    std::map<QString, Port> ports_;
};

}  // namespace zentor::sim
