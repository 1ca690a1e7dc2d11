#pragma once
// The checksum that closes every Modbus RTU frame (CRC-16/MODBUS, sent low byte first).

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace zentor {

uint16_t Crc16Modbus(const uint8_t* data, size_t length);

// Writes the checksum of frame[0..length) behind it and returns the new length.
int AppendCrc(uint8_t* frame, int length);
// Appends the checksum of the whole frame to it.
void AppendCrc(QByteArray& frame);
// A copy of the frame with its checksum appended.
QByteArray WithCrc(QByteArray frame);
// True when the last two bytes are the checksum of the bytes before them.
bool CrcHolds(const uint8_t* frame, int length);

}  // namespace zentor
