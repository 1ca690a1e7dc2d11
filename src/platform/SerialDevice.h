#pragma once
// One serial port as the link uses it: opened at a baud rate with 8 data bits, no parity and
// one stop bit; every burst of received bytes is handed over on the owner's thread, in order.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

namespace zentor {

// Why a port did not open, as far as the system tells.
struct OpenFailure {
    enum Kind {
        None = 0,
        NotFound,          // no such device (the adapter is gone, a wrong path)
        PermissionDenied,  // the user may not use the device
        Busy,              // another program has the port open
        BaudRateRefused,   // the port does not take the baud rate
        Other,
    };
    Kind kind = None;
    QString system;  // the system's own words, when it gave any
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Called with each burst of bytes as it arrives.
    std::function<void(const QByteArray&)> onReceived;
    // Called once when the port fails under the link (the adapter was pulled out).
    std::function<void()> onFailed;

    virtual bool open(int baudRate) = 0;
    // Why the last open failed.
    virtual OpenFailure openFailure() const { return {OpenFailure::Other, QString()}; }
    // Writes the bytes and returns how many went out; timeoutMs 0 means no write time-out.
    virtual int64_t write(const uint8_t* data, int64_t count, int timeoutMs) = 0;
    // Drops whatever is waiting in either direction.
    virtual void purge() = 0;
    virtual void close() = 0;
};

}  // namespace zentor
