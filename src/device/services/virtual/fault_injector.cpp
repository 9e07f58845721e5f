#include "device/services/virtual/fault_injector.h"

#include <charconv>
#include <limits>

#include "common/bytes.h"
#include "device/services/virtual/firmware.h"

namespace qf::vkbd {

namespace report = qf::device::report;

namespace {

// A decimal number of at most `max` that is the whole of `text`: digits only, no sign.
std::optional<unsigned> WholeNumber(std::string_view text, unsigned max) {
    if (text.empty() || text.find_first_not_of("0123456789") != text.npos) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<ReportFault> Malformed(std::string* error, std::string reason) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    return std::nullopt;
}

}  // namespace

std::optional<ReportFault> ParseReportFault(std::string_view text, std::string* error) {
    const auto at = text.find('@');
    const auto colon = at == text.npos ? text.npos : text.find(':', at + 1);
    if (at == text.npos || colon == text.npos) {
        return Malformed(error, "expected KIND@COMMAND:ADDRESS");
    }
    ReportFault fault;
    const std::string_view kind = text.substr(0, at);
    if (kind == "refuse") {
        fault.kind = ReportFault::Kind::Refuse;
    } else if (kind == "status") {
        fault.kind = ReportFault::Kind::Status;
    } else if (kind == "garble") {
        fault.kind = ReportFault::Kind::Garble;
    } else {
        return Malformed(error,
                         "unknown kind \"" + std::string(kind) + "\" (refuse, status or garble)");
    }
    const std::string_view commandText = text.substr(at + 1, colon - at - 1);
    const auto command = WholeNumber(commandText, std::numeric_limits<std::uint8_t>::max());
    if (!command) {
        return Malformed(error, "the command \"" + std::string(commandText) +
                                    "\" is not a decimal number from 0 to 255");
    }
    const std::string_view addressText = text.substr(colon + 1);
    const auto address = WholeNumber(addressText, std::numeric_limits<std::uint16_t>::max());
    if (!address) {
        return Malformed(error, "the address \"" + std::string(addressText) +
                                    "\" is not a decimal number from 0 to 65535");
    }
    fault.command = static_cast<std::uint8_t>(*command);
    fault.address = static_cast<std::uint16_t>(*address);
    return fault;
}

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

FaultDecision FaultInjector::NextReport(const qf::device::Report& request) {
    FaultDecision decision;
    if (unplugBefore_ > 0 && --unplugBefore_ == 0) {
        decision.unplug = true;
        return decision;
    }
    const bool named = reportFault_ && request[report::kCommand] == reportFault_->command &&
                       ReadLe16(request.data() + report::kAddress) == reportFault_->address;
    const auto strikes = [&](ReportFault::Kind kind) {
        return named && reportFault_->kind == kind;
    };
    if (strikes(ReportFault::Kind::Refuse) || Take(refusals_)) {
        decision.refuse = true;
        return decision;
    }
    decision.noReply = Take(noReply_);
    if (Take(status_)) {
        decision.status = statusValue_;
    }
    if (strikes(ReportFault::Kind::Status)) {
        decision.status = report::kStatusFailFF;
    }
    decision.wrongCommand = Take(wrongCommand_);
    decision.garbled = Take(garbled_) || strikes(ReportFault::Kind::Garble);
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
