#include "ModbusFrames.h"

#include "Crc16Modbus.h"
#include "DriverCommands.h"

#include <cstring>

namespace zentor {

namespace {

void put16(uint8_t* at, int value)
{
    at[0] = static_cast<uint8_t>((value >> 8) & 0xFF);
    at[1] = static_cast<uint8_t>(value & 0xFF);
}

}  // namespace

const char* ResponseCheckName(int check)
{
    switch (check) {
    case ChecksumMismatch: return "checksum mismatch";
    case AddressMismatch: return "address mismatch";
    case FunctionMismatch: return "function mismatch";
    case QuantityMismatch: return "quantity mismatch";
    case Applied: return "applied";
    case LengthMismatch: return "length mismatch";
    case OutsideImage: return "data outside the register image";
    case RegisterMismatch: return "register mismatch";
    default: return "unknown";
    }
}

int BuildReadHoldingRegisters(uint8_t* out, int slaveAddress, int quantity)
{
    out[0] = static_cast<uint8_t>(slaveAddress & 0xFF);
    out[1] = 0x03;
    put16(out + 2, 0);
    put16(out + 4, quantity);
    return AppendCrc(out, 6);
}

int BuildWriteSingleRegister(uint8_t* out, int slaveAddress, int registerAddress, uint16_t value)
{
    out[0] = static_cast<uint8_t>(slaveAddress & 0xFF);
    out[1] = 0x06;
    put16(out + 2, registerAddress);
    put16(out + 4, value);
    return AppendCrc(out, 6);
}

int BuildWriteMultipleRegisters(uint8_t* out, int slaveAddress, int startAddress, int quantity, const uint8_t* data)
{
    out[0] = static_cast<uint8_t>(slaveAddress & 0xFF);
    out[1] = 0x10;
    put16(out + 2, startAddress);
    put16(out + 4, quantity);
    const int bytes = 2 * quantity;
    out[6] = static_cast<uint8_t>(bytes & 0xFF);
    if (bytes > 0) std::memmove(out + 7, data, static_cast<size_t>(bytes));
    return AppendCrc(out, 7 + bytes);
}

int BuildSequenceRequest(uint8_t* out, int slaveAddress, const SequenceCommand& command, int pairRegister)
{
    switch (command.kind) {
    case WriteRegisterPair: {
        const auto v = static_cast<uint32_t>(command.value);
        const uint8_t block[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        return BuildWriteMultipleRegisters(out, slaveAddress, pairRegister, 2, block);
    }
    case ApplySettings:
        return BuildWriteSingleRegister(out, slaveAddress, kApplySettingsRegister, kApplySettingsValue);
    default:
        return BuildWriteSingleRegister(out, slaveAddress, command.registerAddress, static_cast<uint16_t>(command.value));
    }
}

ResponseCheck ValidateAndApplyResponse(const uint8_t* rx, int length, const uint8_t* request,
                                       RegisterImage& image, bool& settingsChanged)
{
    if (length < 2) return LengthMismatch;

    // The driver answers a change of its own address from the new address.
    const int requestRegister = request[2] << 8 | request[3];
    const bool addressChange = request[1] == 0x06 && requestRegister == kIdentityChangeRegister;
    if (request[0] != 0 && !addressChange && rx[0] != request[0]) return AddressMismatch;

    const uint8_t function = request[1];
    if (rx[1] != function) return FunctionMismatch;
    if (function != 0x03 && function != 0x06 && function != 0x10) return FunctionMismatch;

    // A frame shorter or longer than its function implies is never taken, even when its
    // last two bytes happen to form a valid checksum.
    int expected = 8;
    if (function == 0x03) {
        if (length < 3) return LengthMismatch;
        expected = 5 + rx[2];
    }
    if (length != expected) return LengthMismatch;

    if (!CrcHolds(rx, length)) return ChecksumMismatch;

    if (function == 0x03) {
        if (rx[2] / 2 != request[5]) return QuantityMismatch;
    } else {
        if (rx[4] != request[4] || rx[5] != request[5]) return QuantityMismatch;
        // The echo must name the register written (the start register of a function 16):
        // an answer about another register confirms nothing. The change of address echoes
        // 0xF000 too, whatever address it comes from.
        if (rx[2] != request[2] || rx[3] != request[3]) return RegisterMismatch;
    }

    const int index = request[3];
    const int offset = 2 * index;
    switch (function) {
    case 0x03: {
        const int bytes = rx[2];
        if (offset + bytes > RegisterImage::kBytes) return OutsideImage;
        image.write(offset, rx + 3, bytes);
        break;
    }
    case 0x06:
        // The identity registers (0xF000, 0xF001) are commands, not registers of the image.
        if (request[2] != (kIdentityChangeRegister >> 8)) {
            if (offset + 2 > RegisterImage::kBytes) return OutsideImage;
            image.write(offset, rx + 4, 2);
            settingsChanged = true;
        }
        break;
    default: {
        const int bytes = request[6];
        if (offset + bytes > RegisterImage::kBytes) return OutsideImage;
        image.write(offset, request + 7, bytes);
        settingsChanged = true;
        break;
    }
    }
    return Applied;
}

}  // namespace zentor
