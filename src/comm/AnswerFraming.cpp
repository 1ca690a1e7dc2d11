#include "AnswerFraming.h"

namespace zentor {

int AnswerFraming::quietMs(const uint8_t* frame, int length) const
{
    if (rule_ == WhenWhole && length > 0 && ExpectedLength(frame, length) == length) return gapMs_;
    return silenceMs_;
}

int AnswerFraming::ExpectedLength(const uint8_t* frame, int length)
{
    if (length < 2) return 0;
    const uint8_t function = frame[1];
    // An exception answer: address, function with bit 7, code, checksum.
    if (function & 0x80) return 5;
    switch (function) {
    case 0x03: return length < 3 ? 0 : 5 + frame[2];
    case 0x06:
    case 0x10: return 8;
    default: return 0;
    }
}

int AnswerFraming::InterFrameGapMs(int baud)
{
    // Above 19200 baud the gap stays at 1750 us, so that fast lines need no finer timer.
    const int64_t us = baud > 19200 || baud <= 0 ? 1750 : (int64_t(35) * 1'000'000 + baud - 1) / baud;
    return static_cast<int>((us + 999) / 1000);
}

}  // namespace zentor
