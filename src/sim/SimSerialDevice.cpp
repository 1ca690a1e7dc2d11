#include "SimPort.h"

#include <algorithm>
#include <cmath>

namespace zentor::sim {

SimSerialDevice::SimSerialDevice(Clock& clock, std::shared_ptr<SimDriver> driver, SimTiming timing)
    : clock_(clock), driver_(std::move(driver)), timing_(timing), deliveries_(std::make_unique<QObject>())
{
}

SimSerialDevice::~SimSerialDevice() = default;

bool SimSerialDevice::open(int baudRate)
{
    // A port that was pulled out stays gone for this device.
    if (pulled_ || baudRate <= 0 || !driver_) return false;
    baud_ = baudRate;
    dropDeliveries();
    open_ = true;
    return true;
}

int64_t SimSerialDevice::write(const uint8_t* data, int64_t count, int /*timeoutMs*/)
{
    if (!open_ || pulled_ || !data || count <= 0) return 0;
    // At the wrong rate the bytes leave the master but the driver cannot make them out.
    if (lineBaud_ > 0 && baud_ != lineBaud_) return count;
    for (const QByteArray& request : framer_.feed(data, count, clock_.nowMs())) take(request);
    return count;
}

namespace {

QString busyText() { return QStringLiteral("dropped: busy, %1 requests wait").arg(SimSerialDevice::kBacklog); }

}  // namespace

void SimSerialDevice::take(const QByteArray& request)
{
    if (!isBusy()) {
        serve(request);
        return;
    }
    if (backlog_.size() < size_t(kBacklog)) {
        backlog_.push_back(request);
        return;
    }
    // The first request a full backlog drops is told at once; those after it in one line when
    // the backlog has room again, so a flood cannot flood the log too.
    if (!dropTold_) {
        dropTold_ = true;
        if (onRequest) onRequest(request, busyText());
        return;
    }
    ++unreportedDrops_;
    lastDropped_ = request;
}

void SimSerialDevice::reportDrops()
{
    if (unreportedDrops_ > 0 && onRequest)
        onRequest(lastDropped_, busyText() + QStringLiteral(" (the last of %1 dropped since the line before)").arg(unreportedDrops_));
    unreportedDrops_ = 0;
    lastDropped_.clear();
    dropTold_ = false;
}

void SimSerialDevice::serve(const QByteArray& request)
{
    driver_->advanceTo(clock_.nowMs());
    const QByteArray answer = driver_->handle(request);
    if (onRequest) onRequest(request, driver_->lastAction());
    if (!answer.isEmpty()) deliver(answer, driver_->lastAnswer());
}

void SimSerialDevice::serveBacklog()
{
    if (!open_ || pulled_ || backlog_.empty()) return;
    reportDrops();
    // Requests that the driver leaves unanswered take no time: the next one's turn is at once.
    while (!busy_ && !backlog_.empty()) {
        const QByteArray request = std::move(backlog_.front());
        backlog_.pop_front();
        serve(request);
    }
}

void SimSerialDevice::dropPending(const QString& why)
{
    reportDrops();
    if (busy_ && onAnswerSent) onAnswerSent(answering_, QStringLiteral("dropped: ") + why);
    for (const QByteArray& request : backlog_)
        if (onRequest) onRequest(request, QStringLiteral("dropped: ") + why);
    dropDeliveries();
}

void SimSerialDevice::deliver(const QByteArray& answer, const QString& note)
{
    const int64_t now = clock_.nowMs();
    const double byteUs = 10.0 * 1e6 / baud_;  // start bit, 8 data bits, stop bit
    const double startUs = std::max(double(now + std::max(0, timing_.replyDelayMs)) * 1000.0, lineFreeUs_);
    const int n = static_cast<int>(answer.size());
    lineFreeUs_ = startUs + n * byteUs;
    busy_ = true;
    answering_ = answer;
    // When the first `bytes` bytes of the answer have arrived, in whole milliseconds.
    auto arrivedMs = [&](int bytes) { return static_cast<int64_t>(std::ceil((startUs + bytes * byteUs) / 1000.0 - 1e-9)); };
    const int latency = std::max(0, timing_.burstLatencyMs);

    std::vector<std::pair<int64_t, QByteArray>> bursts;
    const int gap = driver_->faults().splitGapMs;
    if (gap > 0 && n >= 2) {
        const int half = n / 2;
        const int64_t first = arrivedMs(half) + latency;
        bursts.push_back({first, answer.left(half)});
        bursts.push_back({first + gap, answer.mid(half)});
        lineFreeUs_ = std::max(lineFreeUs_, double(first + gap) * 1000.0);
    } else {
        const int size = timing_.burstBytes > 0 ? timing_.burstBytes : n;
        for (int i = 0; i < n; i += size) {
            const int end = std::min(n, i + size);
            bursts.push_back({arrivedMs(end) + latency, answer.mid(i, end - i)});
        }
    }
    for (size_t i = 0; i < bursts.size(); ++i) {
        // The log hears of the whole answer with its last burst, before the bytes go out: the
        // receiver may close this device once it has them. With that burst the driver is free
        // for the next request.
        const bool last = i + 1 == bursts.size();
        clock_.callAfter(bursts[i].first - now, deliveries_.get(),
                         [this, bytes = std::move(bursts[i].second), last, answer, note] {
                             if (!open_ || pulled_) return;
                             if (last) {
                                 if (onAnswerSent) onAnswerSent(answer, note);
                                 busy_ = false;
                                 answering_.clear();
                                 if (!backlog_.empty()) clock_.callAfter(0, deliveries_.get(), [this] { serveBacklog(); });
                             }
                             if (onReceived) onReceived(bytes);
                         });
    }
}

void SimSerialDevice::dropDeliveries()
{
    // Calls scheduled with the old context are dropped by the clock when it is gone.
    deliveries_ = std::make_unique<QObject>();
    framer_.clear();
    lineFreeUs_ = 0;
    busy_ = false;
    answering_.clear();
    backlog_.clear();
    unreportedDrops_ = 0;
    lastDropped_.clear();
    dropTold_ = false;
}

void SimSerialDevice::purge() { dropDeliveries(); }

void SimSerialDevice::close()
{
    open_ = false;
    dropDeliveries();
}

void SimSerialDevice::pullOut()
{
    if (pulled_) return;
    pulled_ = true;
    dropDeliveries();
    if (!open_) return;
    // Reported from a call of its own, never from inside the caller's call.
    clock_.callAfter(0, &failure_, [this] {
        if (open_ && onFailed) onFailed();
    });
}

}  // namespace zentor::sim
