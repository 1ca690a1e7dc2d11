#pragma once
// A Windows COM port as the link's SerialDevice: overlapped I/O with event objects and a watch
// thread that waits for received characters, reads whatever is waiting and hands each burst
// to the owner's thread, in order. Wine carries this way of reading a serial device too.

#include "SerialDevice.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

namespace zentor {

class WinSerialDevice final : public SerialDevice {
public:
    // A write with no time-out of its own (timeoutMs 0) still gives up after this long, so a
    // dead adapter cannot hold the window thread for ever; a time-out above it is cut to it.
    static constexpr int kWriteSafetyLimitMs = 2000;

    // name: COMn, or its device path \\.\COMn.
    explicit WinSerialDevice(const QString& name);
    ~WinSerialDevice() override;

    bool open(int baudRate) override;
    OpenFailure openFailure() const override { return failure_; }
    int64_t write(const uint8_t* data, int64_t count, int timeoutMs) override;
    void purge() override;
    void close() override;

    bool isOpen() const { return handle_ != nullptr; }
    // The device path opened for a name: \\.\COMn, which also reaches COM10 and above.
    static QString DevicePath(const QString& name);
    // What the system's error code means for an open.
    static OpenFailure::Kind FailureKind(unsigned long errorCode);

private:
    void watch();
    void deliver(QByteArray bytes);
    void reportFailure();
    void closeHandles();

    QString name_;
    OpenFailure failure_;
    void* handle_ = nullptr;      // the port
    void* stopEvent_ = nullptr;   // set to end the watch thread
    void* writeEvent_ = nullptr;  // completion of the overlapped write
    std::thread watcher_;
    std::atomic<unsigned> generation_{0};  // bursts read before a purge are not handed over
    std::atomic<bool> failed_{false};      // the failure has been reported (once)
    bool closed_ = false;                  // closed by its user: nothing more is reported
    std::unique_ptr<QObject> context_;     // of the posted bursts; lives on the owner's thread
};

}  // namespace zentor
