#pragma once
// How many times "Check Device or Connected Line" must appear for a given run of answers,
// worked out from the poll cycle's counting rules alone: fed the fault put on each status
// read's answer, in the order the reads were written, it never looks at the window.

#include <cstdint>
#include <vector>

namespace zentor::soak {

// What the driver did to one answer.
enum class Fault : uint8_t {
    None,         // a good answer
    Silent,       // no answer at all
    BadChecksum,  // one frame that fails the check
    Split,        // the answer in two bursts further apart than 60 ms: two frames, both refused
    Exception,    // an exception answer: one frame that fails the check
};

const char* FaultName(Fault fault);

// The counting rules of the poll cycle, one exchange at a time:
// - an exchange begins with a status read written: the awaiting flag is set;
// - each frame of its answer is judged while the flag is set: with the count already at 2 or
//   more communication fails; a refused frame adds 1 and leaves the flag set; a good one
//   clears the flag;
// - the next status phase adds 1 if the flag is still set, clears it, and fails at 2;
// - a good answer leaves the count as it is; only a failure returns it to 0, and the next
//   Start begins with a fresh exchange.
class PollFailureModel {
public:
    // One status read written and answered with the fault, up to the status phase that
    // follows it (or the failure that ends the exchange first). True if communication failed.
    bool exchange(Fault fault);

    int failures() const { return failures_; }
    int count() const { return count_; }
    int64_t exchanges() const { return exchanges_; }
    // Frames judged: taken as good, refused and counted, or met by the failure (the count was
    // already at 2).
    int64_t applied() const { return applied_; }
    int64_t refused() const { return refused_; }
    int64_t failedAtJudge() const { return failedAtJudge_; }

private:
    // A frame of the answer judged; false once communication has failed.
    bool judge(bool good);
    bool statusPhase();
    void fail();

    int count_ = 0;
    bool awaiting_ = false;
    int failures_ = 0;
    int64_t exchanges_ = 0;
    int64_t applied_ = 0;
    int64_t refused_ = 0;
    int64_t failedAtJudge_ = 0;
};

// Failures a whole run of answers gives.
int ExpectedFailures(const std::vector<Fault>& faults);

}  // namespace zentor::soak
