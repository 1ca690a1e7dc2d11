#pragma once
// One simulated driver on a pseudo terminal: requests read from the terminal's master side go
// to a simulated port, whose paced answer bursts are written back to it as they fall due. When
// the master closes the terminal, what was still due to it (answers, waiting requests, bytes
// unread) is dropped, so the next master starts on a quiet line.

#include "SimPort.h"

#include <QString>
#include <memory>

class QSocketNotifier;

namespace zentor::sim {

class PtyServer {
public:
    PtyServer(Clock& clock, std::shared_ptr<SimDriver> driver, int baudRate, SimTiming timing);
    ~PtyServer();

    // Opens the terminal in raw mode; false with a reason when the system refuses.
    bool start(QString* error);
    // The path a master opens, such as /dev/pts/3.
    QString slavePath() const { return slavePath_; }
    // The simulated port the terminal's bytes go through (its log hooks).
    SimSerialDevice& device() { return device_; }
    int bytesIn() const { return bytesIn_; }
    int bytesOut() const { return bytesOut_; }

private:
    void readable();
    void send(const QByteArray& bytes);
    // Follows the masters opening and closing the terminal.
    void watchMasters();
    void masterGone(bool anotherComing);

    Clock& clock_;
    int baud_;
    SimSerialDevice device_;
    int master_ = -1;
    int slaveKeep_ = -1;  // held open so the master side never reads EIO between clients
    QString slavePath_;
    std::unique_ptr<QSocketNotifier> notifier_;
    int openings_ = -1;  // inotify of the terminal's openings and closings
    std::unique_ptr<QSocketNotifier> openingsNotifier_;
    int masters_ = 0;    // masters that hold the terminal open
    QObject context_;
    int bytesIn_ = 0;
    int bytesOut_ = 0;
};

}  // namespace zentor::sim
