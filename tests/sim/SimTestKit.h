#pragma once
// Shared pieces of the simulated driver's tests: frames with their checksum, and a simulated
// port in virtual time that records each burst it hands over with the time it came.

#include "Crc16Modbus.h"
#include "ModbusFrames.h"
#include "SimPort.h"
#include "VirtualClock.h"

#include <QByteArray>
#include <initializer_list>
#include <memory>
#include <vector>

namespace zentor::sim::testing {

inline const uint8_t* u8(const QByteArray& a) { return reinterpret_cast<const uint8_t*>(a.constData()); }

inline QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list) out.append(static_cast<char>(b));
    return out;
}


inline QByteArray readRequest(int slave, int quantity)
{
    uint8_t out[kFrameBufferSize];
    return QByteArray(reinterpret_cast<char*>(out), BuildReadHoldingRegisters(out, slave, quantity));
}

inline QByteArray writeSingleRequest(int slave, int reg, uint16_t value)
{
    uint8_t out[kFrameBufferSize];
    return QByteArray(reinterpret_cast<char*>(out), BuildWriteSingleRegister(out, slave, reg, value));
}

inline QByteArray writeMultipleRequest(int slave, int start, const QByteArray& data)
{
    uint8_t out[kFrameBufferSize];
    return QByteArray(reinterpret_cast<char*>(out),
                      BuildWriteMultipleRegisters(out, slave, start, int(data.size() / 2), u8(data)));
}

struct Burst {
    int64_t at;
    QByteArray bytes;
};

// One simulated port in virtual time with what came out of it.
struct Line {
    explicit Line(ControlType type = SpeedControl, SimTiming timing = {}, int baud = 115200)
        : driver(std::make_shared<SimDriver>(type)), device(clock, driver, timing)
    {
        device.onReceived = [this](const QByteArray& b) { bursts.push_back({clock.nowMs(), b}); };
        device.onFailed = [this] { ++failures; };
        device.open(baud);
    }
    int64_t send(const QByteArray& frame) { return device.write(u8(frame), frame.size(), 0); }
    QByteArray received() const
    {
        QByteArray all;
        for (const Burst& b : bursts) all += b.bytes;
        return all;
    }
    // Sends the request and returns all that came back within ms.
    QByteArray exchange(const QByteArray& request, int ms = 100)
    {
        bursts.clear();
        send(request);
        clock.advance(ms);
        return received();
    }
    // Sends the request and judges the answer as the console does.
    int check(const QByteArray& request, int ms = 100)
    {
        const QByteArray answer = exchange(request, ms);
        return ValidateAndApplyResponse(u8(answer), int(answer.size()), u8(request), image, settingsChanged);
    }

    VirtualClock clock;
    std::shared_ptr<SimDriver> driver;
    SimSerialDevice device;
    std::vector<Burst> bursts;
    int failures = 0;
    RegisterImage image;
    bool settingsChanged = false;
};

}  // namespace zentor::sim::testing
