#pragma once
// When the bytes of an answer are one frame: after the same silence after every burst, or,
// once the answer's function and byte count say it is whole, after the line's own gap.

#include <cstdint>

namespace zentor {

class AnswerFraming {
public:
    enum Rule {
        // Every answer ends after silenceMs without new bytes (the console: its displays and
        // timers are built on it).
        AfterSilence,
        // A whole answer ends after 3.5 characters without new bytes, so a longer one is never
        // cut; one that never becomes whole still ends after silenceMs.
        WhenWhole,
    };
    static constexpr int kSilenceMs = 60;

    explicit AnswerFraming(Rule rule, int silenceMs = kSilenceMs) : rule_(rule), silenceMs_(silenceMs) {}
    void setBaudRate(int baud) { gapMs_ = InterFrameGapMs(baud); }

    // After a burst: how long the frame so far (its first length bytes) must stay quiet
    // before it is judged.
    int quietMs(const uint8_t* frame, int length) const;

    // The length an answer's function and byte count give, or 0 while they do not say yet
    // (or the function is none a driver answers with).
    static int ExpectedLength(const uint8_t* frame, int length);
    // 3.5 characters of 10 bits at the rate (1.75 ms above 19200 baud), in whole milliseconds
    // rounded up.
    static int InterFrameGapMs(int baud);

private:
    Rule rule_;
    int silenceMs_;
    int gapMs_ = InterFrameGapMs(115200);
};

}  // namespace zentor
