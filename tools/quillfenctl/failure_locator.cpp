#include "failure_locator.h"

#include "common/bytes.h"
#include "device/commands.h"
#include "device/report.h"
#include "device/result.h"
#include "device/tracing_service.h"

namespace qf::cli {

namespace {

bool IsControl(const QfRequestKey& key) {
    return device::InterfaceName(key) == "CTRL";
}

const char* CommandName(std::uint8_t command) {
    using device::Command;
    switch (static_cast<Command>(command)) {
        case Command::BeginTransfer:
            return "begin transfer";
        case Command::EndTransfer:
            return "end transfer";
        case Command::ReadDeviceInfo:
            return "read device info";
        case Command::WriteDeviceInfo:
            return "write device info";
        case Command::ReadSettings:
            return "read lighting settings";
        case Command::WriteSettings:
            return "write lighting settings";
        case Command::ReadKeymapBlock:
            return "read keymap";
        case Command::WriteKeymapBlock:
            return "write keymap";
        case Command::ReadMacroArea:
            return "read macro memory";
        case Command::WriteMacroArea:
            return "write macro memory";
        case Command::TestCommand:
            return "test";
        case Command::ReadDefaultKeymap:
            return "read default keymap";
        case Command::ReadUserColours:
            return "read zone colours";
        case Command::WriteUserColours:
            return "write zone colours";
    }
    return "unknown";
}

std::string Bytes(std::uint32_t first, std::uint8_t length) {
    const std::uint32_t last = first + (length > 0 ? length - 1u : 0u);
    return "bytes " + std::to_string(first) + ".." + std::to_string(last);
}

}  // namespace

std::string DescribeRequest(std::uint8_t command, std::uint8_t length, std::uint16_t address) {
    std::string out = "command " + std::to_string(command) + " (" + CommandName(command) + ")";
    using device::Command;
    const auto which = static_cast<Command>(command);
    const std::uint32_t chunkSize = device::kReportDataSize;
    if (which == Command::ReadKeymapBlock || which == Command::WriteKeymapBlock) {
        const std::uint32_t block = address / device::kKeymapBlockSize;
        const std::uint32_t offset = address % device::kKeymapBlockSize;
        constexpr std::uint32_t chunks =
            (device::kKeymapBlockSize + device::kReportDataSize - 1) / device::kReportDataSize;
        out += ", profile " + std::to_string(block) + ", chunk " +
               std::to_string(offset / chunkSize + 1) + " of " + std::to_string(chunks) + " (" +
               Bytes(offset, length) + ")";
    } else if (which == Command::ReadMacroArea || which == Command::WriteMacroArea) {
        out += ", chunk " + std::to_string(address / chunkSize + 1) + " (" +
               Bytes(address, length) + ")";
    } else if (which == Command::ReadSettings || which == Command::WriteSettings ||
               which == Command::ReadUserColours || which == Command::WriteUserColours) {
        out += ", address " + std::to_string(address) + ", " + std::to_string(length) + " bytes";
    }
    return out;
}

class FailureLocator::ReplySink final : public device::NotificationSink {
public:
    ReplySink(FailureLocator& owner, device::NotificationSink& target)
        : owner_(owner), target_(target) {}

    int OnDeviceNotify(const QfDeviceNotification& notification) override {
        if (notification.kind == QF_NOTIFY_INPUT) {
            const auto bytes = device::NotificationBytes(notification);
            owner_.OnReply(bytes.data(), bytes.size());
        }
        return target_.OnDeviceNotify(notification);
    }

private:
    FailureLocator& owner_;
    device::NotificationSink& target_;
};

FailureLocator::FailureLocator(device::DeviceService& inner) : ForwardingService(&inner) {}

FailureLocator::~FailureLocator() = default;

void FailureLocator::Clear() {
    std::lock_guard lock(mutex_);
    pending_.reset();
    first_.reset();
}

std::optional<FailurePlace> FailureLocator::FirstFailure() {
    std::lock_guard lock(mutex_);
    if (pending_) {
        Settle(*pending_);
    }
    return first_;
}

void FailureLocator::Settle(const Pending& pending) {
    if (first_) {
        return;
    }
    device::DeviceResult result = device::DeviceResult::Ok;
    if (pending.refused) {
        result = device::DeviceResult::WriteRefused;
    } else if (!pending.replied) {
        result = device::DeviceResult::NoReply;
    } else if (pending.status == device::report::kStatusFailFF) {
        result = device::DeviceResult::StatusFF;
    } else if (pending.status == device::report::kStatusFailFE) {
        result = device::DeviceResult::StatusFE;
    }
    if (result != device::DeviceResult::Ok) {
        first_ =
            FailurePlace{result, DescribeRequest(pending.command, pending.length, pending.address)};
    }
}

void FailureLocator::OnReply(const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr || size <= device::report::kStatus) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (pending_ && bytes[device::report::kCommand] == pending_->command) {
        pending_->replied = true;
        pending_->status = bytes[device::report::kStatus];
    }
}

int FailureLocator::RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data,
                                    std::uint32_t length, std::uint32_t unitId) {
    const bool watched = IsControl(key) && data != nullptr && length > device::report::kStatus;
    if (watched) {
        Pending sent;
        sent.command = data[device::report::kCommand];
        sent.length = data[device::report::kParameter];
        sent.address = ReadLe16(data + device::report::kAddress);
        std::lock_guard lock(mutex_);
        // The same request again is a retry: only its last send decides. Another request means
        // the one before has returned.
        if (pending_ && (pending_->command != sent.command || pending_->length != sent.length ||
                         pending_->address != sent.address)) {
            Settle(*pending_);
        }
        pending_ = sent;
    }
    const int result = ForwardingService::RequestWriteOne(key, data, length, unitId);
    if (watched && result <= 0) {
        std::lock_guard lock(mutex_);
        if (pending_) {
            pending_->refused = true;
        }
    }
    return result;
}

int FailureLocator::RequestAsyncRead(const QfRequestKey& key, device::NotificationSink* sink,
                                     std::uint32_t tag, std::uint32_t unitId,
                                     std::uint32_t* requestId) {
    device::NotificationSink* forwarded = sink;
    if (sink != nullptr && IsControl(key)) {
        std::lock_guard lock(mutex_);
        auto& slot = sinks_[sink];
        if (!slot) {
            slot = std::make_unique<ReplySink>(*this, *sink);
        }
        forwarded = slot.get();
    }
    return ForwardingService::RequestAsyncRead(key, forwarded, tag, unitId, requestId);
}

}  // namespace qf::cli
