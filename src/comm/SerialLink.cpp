#include "SerialLink.h"

#include <cstring>

namespace zentor {

namespace {
// Ports without a COM number get a small number of their own per open link.
uint16_t nextOwnIndex = 0;
}  // namespace

CSerialLink::CSerialLink(SerialLinkOwner* owner, Clock& clock, PortProvider& ports)
    : owner_(owner), clock_(clock), ports_(ports)
{
}

CSerialLink::~CSerialLink() { Close(); }

int CSerialLink::ComPortIndex(const QString& name)
{
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return -1;
    bool ok = false;
    const int n = name.mid(3).toInt(&ok);
    return ok && n >= 1 && n <= 65536 ? n - 1 : -1;
}

bool CSerialLink::Open(const QString& name)
{
    connected = 0;
    const int com = ComPortIndex(name);
    portIndex = com >= 0 ? static_cast<uint16_t>(com) : static_cast<uint16_t>(256 + (nextOwnIndex++ % 256));
    portName = name;
    portPath = name;

    openFailure = {};
    // A rate of 0 or less comes only from a hand-edited configuration; no port takes it.
    if (baudRate <= 0) {
        openFailure = {OpenFailure::BaudRateRefused, QString()};
        return false;
    }
    device_ = ports_.create(name);
    if (!device_) {
        openFailure = {OpenFailure::NotFound, QString()};
        return false;
    }
    device_->onReceived = [this](const QByteArray& bytes) { received(bytes); };
    device_->onFailed = [this] { failed(); };
    if (!device_->open(baudRate)) {
        openFailure = device_->openFailure();
        device_.reset();
        return false;
    }
    device_->purge();

    std::memset(receiveBuffer, 0, sizeof receiveBuffer);
    frameIndex = 0;
    connected = 1;
    threadRunning = 1;
    return true;
}

void CSerialLink::Stop()
{
    connected = 0;
    if (device_) device_->purge();
    if (threadRunning && !closedPosted_) {
        closedPosted_ = true;
        const int index = portIndex;
        clock_.callAfter(0, &alive_, [this, index] {
            threadRunning = 0;
            owner_->OnSerialClosed(index);
        });
    }
}

void CSerialLink::Close()
{
    if (!device_) return;
    device_->onReceived = nullptr;
    device_->onFailed = nullptr;
    device_->close();
    device_.reset();
}

int CSerialLink::Write(const uint8_t* data, int count)
{
    if (!connected || !device_) return 0;
    transmitBusy = 1;
    const int64_t written = device_->write(data, count, WriteTimeoutMultiplier() * count);
    const int n = written < 0 ? 0 : static_cast<int>(written);
    owner_->OnSerialTx(portIndex, n);
    return n;
}

void CSerialLink::received(const QByteArray& bytes)
{
    if (!connected || bytes.isEmpty()) return;
    // A frame taken by the owner lets the next byte start a new one.
    if (!receiveBusy) {
        frameIndex = 0;
        std::memset(receiveBuffer, 0, sizeof receiveBuffer);
    }
    for (char c : bytes) {
        receiveBusy = 1;
        receiveBuffer[frameIndex] = static_cast<uint8_t>(c);
        lastIndex = frameIndex;
        frameIndex = (frameIndex + 1) % kBufferSize;
    }
    owner_->OnSerialRx(portIndex, frameIndex);
}

void CSerialLink::failed()
{
    if (!connected) return;
    // Reported after the device's own call has returned: the owner may destroy the link.
    const int index = portIndex;
    const QString name = portName;
    clock_.callAfter(0, &alive_, [this, index, name] { owner_->OnSerialFailed(index, name); });
}

}  // namespace zentor
