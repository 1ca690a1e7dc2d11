#pragma once
// The console's one connection to the driver: an open port, a receive buffer that gathers the
// bytes of one frame for as long as the owner leaves the receive-busy flag set, a transmit
// buffer that holds the request written last, and three notifications to the owner.

#include "Clock.h"
#include "PortProvider.h"
#include "SerialDevice.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

namespace zentor {

// Notifications of a link, all delivered on the owner's thread in the order they happen.
class SerialLinkOwner {
public:
    virtual ~SerialLinkOwner() = default;
    // After each burst: the frame length so far, modulo the buffer size.
    virtual void OnSerialRx(int portIndex, int frameLength) = 0;
    // Once, after Stop, when the link has let go of its port.
    virtual void OnSerialClosed(int portIndex) = 0;
    // After every write: the bytes written.
    virtual void OnSerialTx(int portIndex, int written) = 0;
    // The port failed under an open link (the adapter was pulled out).
    virtual void OnSerialFailed(int portIndex, const QString& portName) = 0;
};

class CSerialLink {
public:
    static constexpr int kBufferSize = 1024;

    CSerialLink(SerialLinkOwner* owner, Clock& clock, PortProvider& ports);
    ~CSerialLink();
    CSerialLink(const CSerialLink&) = delete;
    CSerialLink& operator=(const CSerialLink&) = delete;

    // Opens the named port at baudRate with 8 data bits, no parity and one stop bit; on
    // failure openFailure says why.
    bool Open(const QString& name);
    OpenFailure openFailure;
    // Connected flag to 0, both directions purged; the closed notification follows once.
    void Stop();
    // Lets go of the port; the owner destroys the link after it.
    void Close();
    // Returns the bytes written: 0 when the link is not connected.
    int Write(const uint8_t* data, int count);

    // Milliseconds per byte allowed for a write: 19200 / baud rate (0 means no time-out).
    int WriteTimeoutMultiplier() const { return baudRate > 0 ? 19200 / baudRate : 0; }
    // COMn gives n - 1; any other name gives -1 (the link then numbers itself).
    static int ComPortIndex(const QString& name);

    // Observable state, as the owner reads and clears it.
    QString portName;
    QString portPath;
    int32_t connected = 0;
    int32_t transmitBusy = 0;
    int32_t receiveBusy = 0;
    int32_t threadRunning = 0;
    uint16_t portIndex = 0;
    int32_t baudRate = 115200;
    uint8_t dataBits = 8;
    uint8_t stopBits = 0;
    uint8_t parity = 0;
    int32_t frameIndex = 0;
    int32_t lastIndex = 0;
    uint8_t receiveBuffer[kBufferSize]{};
    uint8_t transmitBuffer[kBufferSize]{};

private:
    void received(const QByteArray& bytes);
    void failed();

    SerialLinkOwner* owner_;
    Clock& clock_;
    PortProvider& ports_;
    std::unique_ptr<SerialDevice> device_;
    QObject alive_;  // context of the link's posted notifications; gone with the link
    bool closedPosted_ = false;
};

}  // namespace zentor
