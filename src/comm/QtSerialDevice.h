#pragma once
// A real serial port (QSerialPort) as the link's SerialDevice: 8N1 without flow control, each
// burst read on readyRead handed over on the owner's thread, blocking writes with a time-out.

#include "SerialDevice.h"

#include <QSerialPort>
#include <QString>
#include <memory>

namespace zentor {

class QtSerialDevice final : public SerialDevice {
public:
    // A write with no time-out of its own (timeoutMs 0) still gives up after this long, so a
    // dead adapter cannot hold the window thread for ever; a time-out above it is cut to it.
    static constexpr int kWriteSafetyLimitMs = 2000;

    // name: a port name the system lists (ttyUSB0, COM3) or a device path (/dev/pts/5).
    explicit QtSerialDevice(const QString& name);
    ~QtSerialDevice() override;

    bool open(int baudRate) override;
    OpenFailure openFailure() const override { return failure_; }
    int64_t write(const uint8_t* data, int64_t count, int timeoutMs) override;
    void purge() override;
    void close() override;

    QString name() const { return name_; }
    QString errorString() const { return port_.errorString(); }
    bool isOpen() const { return port_.isOpen(); }

private:
    void readArrived();
    void errorArrived(QSerialPort::SerialPortError error);

    QString name_;
    OpenFailure failure_;
    QSerialPort port_;
    bool writing_ = false;      // inside write: bytes that arrive meanwhile wait until it returns
    bool readPending_ = false;
    bool failed_ = false;       // the failure has been reported (once)
    bool closed_ = false;       // closed by its user: nothing more is reported
};

}  // namespace zentor
