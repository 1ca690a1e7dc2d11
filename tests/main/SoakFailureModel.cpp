#include "SoakFailureModel.h"

namespace zentor::soak {

const char* FaultName(Fault fault)
{
    switch (fault) {
    case Fault::None: return "good";
    case Fault::Silent: return "silent";
    case Fault::BadChecksum: return "bad-checksum";
    case Fault::Split: return "split";
    case Fault::Exception: return "exception";
    }
    return "?";
}

bool PollFailureModel::exchange(Fault fault)
{
    ++exchanges_;
    awaiting_ = true;
    const int before = failures_;
    bool alive = true;
    switch (fault) {
    case Fault::None:
        alive = judge(true);
        break;
    case Fault::Silent:
        break;
    case Fault::BadChecksum:
    case Fault::Exception:
        alive = judge(false);
        break;
    case Fault::Split:
        alive = judge(false) && judge(false);
        break;
    }
    if (alive) statusPhase();
    return failures_ != before;
}

bool PollFailureModel::judge(bool good)
{
    if (!awaiting_) return true;  // nothing awaits the frame: it is not judged
    if (count_ >= 2) {
        ++failedAtJudge_;
        fail();
        return false;
    }
    if (good) {
        ++applied_;
        awaiting_ = false;
    } else {
        ++refused_;
        ++count_;
    }
    return true;
}

bool PollFailureModel::statusPhase()
{
    if (!awaiting_) return true;
    ++count_;
    awaiting_ = false;
    if (count_ >= 2) {
        fail();
        return false;
    }
    return true;
}

void PollFailureModel::fail()
{
    ++failures_;
    count_ = 0;
}

int ExpectedFailures(const std::vector<Fault>& faults)
{
    PollFailureModel model;
    for (Fault f : faults) model.exchange(f);
    return model.failures();
}

}  // namespace zentor::soak
