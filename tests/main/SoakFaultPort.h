#pragma once
// A simulated driver's port that spoils a chosen share of answers: before each request
// reaches the driver, a seeded generator picks the fault of its answer, the driver's faults
// are set for that one answer and cleared again once it has answered.

#include "SimPort.h"
#include "SoakFailureModel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <random>

namespace zentor::soak {

// Picks the fault of each answer: `perTenThousand` in 10000 answers are spoiled, the kind of
// fault drawn evenly among silence, bad checksum, split bursts and exception.
class FaultPicker {
public:
    FaultPicker(uint64_t seed, int perTenThousand) : random_(seed), share_(perTenThousand) {}
    Fault next()
    {
        if (!enabled || int(random_() % 10000) >= share_) return Fault::None;
        static constexpr Fault kinds[] = {Fault::Silent, Fault::BadChecksum, Fault::Split, Fault::Exception};
        return kinds[random_() % 4];
    }
    bool enabled = true;  // false: every answer is good

private:
    std::mt19937_64 random_;
    int share_;
};

// The device the console's link gets: requests pass to the simulated driver's own device,
// with the driver's faults set for the answer to each.
class FaultingDevice final : public SerialDevice {
public:
    static constexpr int kSplitGapMs = 80;
    static constexpr int kExceptionCode = 4;  // server device failure

    // Told of every request before it reaches the driver, with the fault its answer gets.
    using Written = std::function<void(const QByteArray& request, Fault fault)>;

    FaultingDevice(std::unique_ptr<SerialDevice> inner, sim::SimDriver& driver, FaultPicker& picker, Written written)
        : inner_(std::move(inner)), driver_(driver), picker_(picker), written_(std::move(written))
    {
        inner_->onReceived = [this](const QByteArray& b) { if (onReceived) onReceived(b); };
        inner_->onFailed = [this] { if (onFailed) onFailed(); };
    }
    bool open(int baud) override { return inner_->open(baud); }
    OpenFailure openFailure() const override { return inner_->openFailure(); }
    void purge() override { inner_->purge(); }
    void close() override { inner_->close(); }

    int64_t write(const uint8_t* data, int64_t count, int timeoutMs) override
    {
        const Fault fault = picker_.next();
        if (written_) written_(QByteArray(reinterpret_cast<const char*>(data), int(count)), fault);
        sim::SimFaults& f = driver_.faults();
        f = sim::SimFaults{};
        f.silent = fault == Fault::Silent;
        f.badChecksum = fault == Fault::BadChecksum;
        f.splitGapMs = fault == Fault::Split ? kSplitGapMs : 0;
        f.exceptionCode = fault == Fault::Exception ? kExceptionCode : 0;
        // The driver answers (and schedules the answer's bursts) within this call.
        const int64_t n = inner_->write(data, count, timeoutMs);
        f = sim::SimFaults{};
        return n;
    }

private:
    std::unique_ptr<SerialDevice> inner_;
    sim::SimDriver& driver_;
    FaultPicker& picker_;
    Written written_;
};

// The simulated drivers' ports, each handed out behind a FaultingDevice.
class FaultingPorts final : public PortProvider {
public:
    FaultingPorts(sim::SimPortProvider& sim, FaultPicker& picker, FaultingDevice::Written written)
        : sim_(sim), picker_(picker), written_(std::move(written))
    {
    }
    QStringList ports() const override { return sim_.ports(); }
    std::unique_ptr<SerialDevice> create(const QString& name) override
    {
        auto inner = sim_.create(name);
        if (!inner) return nullptr;
        return std::make_unique<FaultingDevice>(std::move(inner), *sim_.driver(name), picker_, written_);
    }
    void watchChanges(std::function<void()> changed) override { sim_.watchChanges(std::move(changed)); }

private:
    sim::SimPortProvider& sim_;
    FaultPicker& picker_;
    FaultingDevice::Written written_;
};

}  // namespace zentor::soak
