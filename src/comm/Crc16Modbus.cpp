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

}  // namespace zentor
