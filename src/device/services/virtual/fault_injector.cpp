#include "device/services/virtual/fault_injector.h"

#include "device/services/virtual/firmware.h"

namespace qf::vkbd {

namespace report = qf::device::report;

bool FaultDecision::Serves() const {
    if (unplug || refuse || noReply) {
        return false;
    }
    return !(status && (*status == report::kStatusFailFF || *status == report::kStatusFailFE));
}

void FaultInjector::Clear() {
    *this = FaultInjector{};
}

bool FaultInjector::Take(unsigned& counter) {
    if (counter == 0) {
        return false;
    }
    --counter;
    return true;
}

FaultDecision FaultInjector::NextReport() {
    FaultDecision decision;
    if (unplugBefore_ > 0 && --unplugBefore_ == 0) {
        decision.unplug = true;
        return decision;
    }
    if (Take(refusals_)) {
        decision.refuse = true;
        return decision;
    }
    decision.noReply = Take(noReply_);
    if (Take(status_)) {
        decision.status = statusValue_;
    }
    decision.wrongCommand = Take(wrongCommand_);
    decision.garbled = Take(garbled_);
    return decision;
}

void FaultInjector::Corrupt(qf::device::Report& reply, const FaultDecision& decision) {
    if (decision.status) {
        reply[report::kStatus] = *decision.status;
    }
    if (decision.wrongCommand) {
        reply[report::kCommand] = static_cast<std::uint8_t>(reply[report::kCommand] + 1);
    }
    if (decision.garbled) {
        for (std::size_t i = report::kData; i < reply.size(); ++i) {
            reply[i] = NextNoise();
        }
    }
    SealFrame(reply);
}

std::uint8_t FaultInjector::NextNoise() {
    // xorshift32: the same noise on every run, so a failing test repeats.
    noise_ ^= noise_ << 13;
    noise_ ^= noise_ >> 17;
    noise_ ^= noise_ << 5;
    return static_cast<std::uint8_t>(noise_ >> 24);
}

}  // namespace qf::vkbd
