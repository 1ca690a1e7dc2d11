#include "RequestFramer.h"

#include "Crc16Modbus.h"

namespace zentor::sim {

namespace {

uint16_t crcStep(uint16_t crc, uint8_t byte)
{
    crc ^= byte;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    return crc;
}

// Request length of a function: > 0 fixed; < 0: -(offset of a byte count) with the extra
// bytes added below; 0: not a function of known shape.
int shapeOf(int function)
{
    switch (function) {
    case 0x01: case 0x02: case 0x03: case 0x04: case 0x05: case 0x06: case 0x08: return 8;
    case 0x07: case 0x0B: case 0x0C: case 0x11: return 4;
    case 0x0F: case 0x10: return -6;   // 9 + byte count at [6]
    case 0x16: return 10;
    case 0x17: return -10;             // 13 + byte count at [10]
    case 0x18: return 6;
    default: return 0;
    }
}

}  // namespace

RequestFramer::Candidate RequestFramer::candidateAt(int start, int& length) const
{
    const auto* b = reinterpret_cast<const uint8_t*>(buffer_.constData()) + start;
    const int available = static_cast<int>(buffer_.size()) - start;
    if (available < 2) return Candidate::Pending;
    const int shape = shapeOf(b[1]);
    if (shape == 0) {
        // A function of unknown shape ends where a checksum first holds (the checksum of
        // the growing prefix is kept up as it goes).
        const int upTo = available < kMaxFrame ? available : kMaxFrame;
        uint16_t crc = 0xFFFF;
        for (int n = 2; n <= upTo; ++n) {
            // crc is that of the n - 2 bytes before the pair at n - 2, n - 1.
            if (n >= 4 && b[n - 2] == (crc & 0xFF) && b[n - 1] == (crc >> 8)) {
                length = n;
                return Candidate::Complete;
            }
            crc = crcStep(crc, b[n - 2]);
        }
        return available < kMaxFrame ? Candidate::Pending : Candidate::Bad;
    }
    if (shape > 0) {
        length = shape;
    } else {
        const int countAt = -shape;
        if (available <= countAt) return Candidate::Pending;
        length = countAt + 3 + b[countAt];
    }
    if (available < length) return Candidate::Pending;
    return CrcHolds(b, length) ? Candidate::Complete : Candidate::Bad;
}

std::vector<QByteArray> RequestFramer::feed(const uint8_t* data, int64_t count, int64_t nowMs)
{
    std::vector<QByteArray> out;
    if (!buffer_.isEmpty() && nowMs - lastMs_ > silenceMs_) buffer_.clear();
    lastMs_ = nowMs;
    if (data && count > 0) buffer_.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));

    for (;;) {
        // The earliest whole request wins; bytes before it were noise. Without one, keep
        // from the earliest place a request may still be coming in.
        int pendingAt = -1;
        bool took = false;
        const int n = static_cast<int>(buffer_.size());
        for (int k = 0; k < n; ++k) {
            int length = 0;
            const Candidate c = candidateAt(k, length);
            if (c == Candidate::Complete) {
                out.push_back(buffer_.mid(k, length));
                buffer_.remove(0, k + length);
                took = true;
                break;
            }
            if (c == Candidate::Pending && pendingAt < 0) pendingAt = k;
        }
        if (took) continue;
        if (pendingAt < 0) buffer_.clear();
        else buffer_.remove(0, pendingAt);
        break;
    }
    // Noise never piles up beyond a frame's worth while waiting.
    if (buffer_.size() > 2 * kMaxFrame) buffer_.remove(0, buffer_.size() - 2 * kMaxFrame);
    return out;
}

}  // namespace zentor::sim
