#pragma once
// Cuts the byte stream a master writes into whole Modbus RTU requests: the length comes from
// the function code (16 from its byte count), and bytes that make no request are skipped.

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace zentor::sim {

class RequestFramer {
public:
    // A partial request older than silenceMs is dropped when new bytes come: the line fell
    // quiet in the middle of it. (Wider than the 3.5 characters of the line, because pseudo
    // terminals and USB adapters hand bytes over in bursts.)
    explicit RequestFramer(int silenceMs = 50) : silenceMs_(silenceMs) {}

    // Takes the bytes that came in at nowMs and returns the requests they complete, in order;
    // each has a valid checksum.
    std::vector<QByteArray> feed(const uint8_t* data, int64_t count, int64_t nowMs);
    void clear() { buffer_.clear(); }
    int buffered() const { return static_cast<int>(buffer_.size()); }

    static constexpr int kMaxFrame = 256;

private:
    enum class Candidate { Complete, Pending, Bad };
    // Whether a request starts at offset start: complete (with its length), not yet complete,
    // or impossible.
    Candidate candidateAt(int start, int& length) const;

    QByteArray buffer_;
    int64_t lastMs_ = 0;
    int silenceMs_;
};

}  // namespace zentor::sim
