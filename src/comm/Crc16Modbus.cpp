#include "Crc16Modbus.h"

namespace zentor {

uint16_t Crc16Modbus(const uint8_t* data, size_t length)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool out = crc & 1;
            crc >>= 1;
            if (out) crc ^= 0xA001;
        }
    }
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
