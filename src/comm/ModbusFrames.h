#pragma once
// The three requests the console sends (functions 03, 06 and 16) and the one check that
// judges an answer against the request written last and mirrors its registers.

#include "DriverCommands.h"
#include "RegisterMap.h"

#include <cstdint>

namespace zentor {

constexpr int kFrameBufferSize = 250;

enum ResponseCheck : int {
    ChecksumMismatch = 1,  // the last two bytes are not the checksum of the rest
    AddressMismatch = 2,
    FunctionMismatch = 3,
    QuantityMismatch = 4,
    Applied = 5,
    LengthMismatch = 6,   // the frame is not exactly as long as its function implies
    OutsideImage = 7,     // the data would run past the last register of the image
    RegisterMismatch = 8, // a write's answer echoes another register than the one written
};

const char* ResponseCheckName(int check);

// Each builder writes the whole frame with its checksum and returns its length.
int BuildReadHoldingRegisters(uint8_t* out, int slaveAddress, int quantity);
int BuildWriteSingleRegister(uint8_t* out, int slaveAddress, int registerAddress, uint16_t value);
// data: 2 * quantity bytes already in wire order (high byte of each register first).
int BuildWriteMultipleRegisters(uint8_t* out, int slaveAddress, int startAddress, int quantity, const uint8_t* data);

// The request a step of a sequence becomes: function 06 of the low 16 bits of the value, or
// the apply command, or function 16 of the 32-bit value (high word first) from pairRegister.
int BuildSequenceRequest(uint8_t* out, int slaveAddress, const SequenceCommand& command, int pairRegister);

// request: the frame written last. On Applied the image holds the confirmed registers and a
// confirmed write has raised settingsChanged.
ResponseCheck ValidateAndApplyResponse(const uint8_t* response, int length, const uint8_t* request,
                                       RegisterImage& image, bool& settingsChanged);

}  // namespace zentor
