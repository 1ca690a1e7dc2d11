#include "Crc16Modbus.h"

#include <array>

namespace zentor {

namespace {

// What the eight shifts of the reflected polynomial 0xA001 do to each byte value, worked out
// once: a frame then costs one look-up a byte.
constexpr std::array<uint16_t, 256> kByteTable = [] {
    std::array<uint16_t, 256> table{};
    for (int value = 0; value < 256; ++value) {
        uint16_t crc = static_cast<uint16_t>(value);
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
        table[static_cast<size_t>(value)] = crc;
    }
    return table;
}();

}  // namespace

uint16_t Crc16Modbus(const uint8_t* data, size_t length)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ kByteTable[(crc ^ data[i]) & 0xFF]);
    return crc;
}

int AppendCrc(uint8_t* frame, int length)
{
    const uint16_t crc = Crc16Modbus(frame, static_cast<size_t>(length));
    frame[length] = static_cast<uint8_t>(crc & 0xFF);
    frame[length + 1] = static_cast<uint8_t>(crc >> 8);
    return length + 2;
}

void AppendCrc(QByteArray& frame)
{
    const uint16_t crc = Crc16Modbus(reinterpret_cast<const uint8_t*>(frame.constData()), static_cast<size_t>(frame.size()));
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
}

QByteArray WithCrc(QByteArray frame)
{
    AppendCrc(frame);
    return frame;
}

bool CrcHolds(const uint8_t* frame, int length)
{
    if (length < 2) return false;
    const uint16_t crc = Crc16Modbus(frame, static_cast<size_t>(length - 2));
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

}  // namespace zentor
