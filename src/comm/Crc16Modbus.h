#pragma once
// The checksum that closes every Modbus RTU frame (CRC-16/MODBUS, sent low byte first).

#include <cstddef>
#include <cstdint>

namespace zentor {

uint16_t Crc16Modbus(const uint8_t* data, size_t length);

}  // namespace zentor
