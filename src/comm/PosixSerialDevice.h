#pragma once
// A serial port as a plain terminal device: 8N1 without flow control, raw, each burst read
// straight from the descriptor when it reports itself readable and handed over on the owner's
// thread, writes straight into the descriptor with a time-out. No buffer of its own between
// the line and the link: the tools read the line at its own speed with it.

#ifndef _WIN32

#include "SerialDevice.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <memory>

namespace zentor {

class PosixSerialDevice final : public SerialDevice {
public:
    // A write with no time-out of its own (timeoutMs 0) still gives up after this long; a
    // time-out above it is cut to it.
    static constexpr int kWriteSafetyLimitMs = 2000;

    // name: a port name under /dev (ttyUSB0) or a device path (/dev/pts/5, a symlink).
    explicit PosixSerialDevice(const QString& name);
    ~PosixSerialDevice() override;

    bool open(int baudRate) override;
    OpenFailure openFailure() const override { return failure_; }
    int64_t write(const uint8_t* data, int64_t count, int timeoutMs) override;
    void purge() override;
    void close() override;

    QString name() const { return name_; }
    bool isOpen() const { return fd_ >= 0; }

private:
    void readable();
    void release();

    QString name_;
    OpenFailure failure_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QObject context_;           // of the posted failure report; gone with the device
    bool failed_ = false;       // the failure has been reported (once)
    bool closed_ = false;       // closed by its user: nothing more is reported
};

// Sets the line to the rate, also one the system has no constant for; false when refused.
bool SetTerminalBaudRate(int fd, int baudRate);

}  // namespace zentor

#endif
