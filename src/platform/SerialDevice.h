#pragma once
// One serial port as the link uses it: opened at a baud rate with 8 data bits, no parity and
// one stop bit; every burst of received bytes is handed over on the owner's thread, in order.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

namespace zentor {

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Called with each burst of bytes as it arrives.
    std::function<void(const QByteArray&)> onReceived;
    // Called once when the port fails under the link (the adapter was pulled out).
    std::function<void()> onFailed;

    virtual bool open(int baudRate) = 0;
    // Writes the bytes and returns how many went out; timeoutMs 0 means no write time-out.
    virtual int64_t write(const uint8_t* data, int64_t count, int timeoutMs) = 0;
    // Drops whatever is waiting in either direction.
    virtual void purge() = 0;
    virtual void close() = 0;
};

}  // namespace zentor
