#include "device/services/virtual/virtual_keyboard.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>

#include "common/bytes.h"
#include "device/commands.h"
#include "device/services/virtual/delivery_queue.h"
#include "device/services/virtual/fault_injector.h"
#include "device/services/virtual/firmware.h"
#include "device/services/virtual/keyboard_memory.h"
#include "device/services/virtual/state_file.h"
#include "device/services/virtual/virtual_constants.h"
#include "text/safe_file.h"

namespace qf::vkbd {

namespace dev = qf::device;

std::string FormatTraceLine(const TraceEntry& entry) {
    std::string line = entry.direction == Direction::ToKeyboard ? ">" : "<";
    switch (entry.interface) {
        case Interface::Control:
            line += " CTRL";
            break;
        case Interface::Consumer:
            line += " CONS";
            break;
        case Interface::Led:
            line += " LED";
            break;
    }
    line += ' ';
    char hex[4];
    for (std::size_t i = 0; i < entry.bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02x", entry.bytes[i]);
        if (i > 0) {
            line += ' ';
        }
        line += hex;
    }
    return line;
}

void PrintSaveFailure(const std::string& reason) {
    std::fprintf(stderr, "quillfen: %s\n", reason.c_str());
}

namespace {

// Which of the keyboard's interfaces a request key names. The size field and the reserved
// word do not select anything.
std::optional<Interface> InterfaceOf(const QfRequestKey& key) {
    if (key.vendor_id != dev::kVendorId || key.product_id != dev::kProductId) {
        return std::nullopt;
    }
    const auto is = [&key](const QfRequestKey& other) {
        return key.usage_page == other.usage_page && key.usage == other.usage;
    };
    if (is(dev::kControlKey)) {
        return Interface::Control;
    }
    if (is(dev::kConsumerKey)) {
        return Interface::Consumer;
    }
    if (is(dev::kLedKey)) {
        return Interface::Led;
    }
    return std::nullopt;
}

struct StandingRequest {
    std::uint32_t id;
    Interface interface;
    dev::NotificationSink* sink;
    std::uint32_t tag;
};

}  // namespace

class VirtualKeyboard::Impl {
public:
    explicit Impl(const VirtualKeyboardOptions& options)
        : stateFile_(options.stateFile),
          saveFailed_(options.saveFailed),
          memory_(options.macroUnits),
          firmware_(memory_),
          count_(options.plugged ? 1 : 0) {
        if (!stateFile_.empty()) {
            // Temporary files of saves that a crash interrupted; a save under way in another
            // process keeps its own.
            (void)text::RemoveStaleTempFilesOf(stateFile_);
            if (LoadStateFile(stateFile_, memory_) == 1) {
                saved_ = SerializeState(memory_);
            }
        }
    }

    // Saves the state unless the file already holds it: a run that changed nothing leaves the
    // file alone (and has no failure to tell when it cannot be written).
    ~Impl() {
        queue_.Stop();
        if (!stateFile_.empty()) {
            std::lock_guard lock(mutex_);
            if (SerializeState(memory_) != saved_) {
                (void)SaveLocked();
            }
        }
    }

    // --- Device service ---

    int GetDeviceCount(const QfRequestKey& key) {
        if (!InterfaceOf(key)) {
            return 0;
        }
        std::lock_guard lock(mutex_);
        return static_cast<int>(count_);
    }

    int WriteReport(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length) {
        if (InterfaceOf(key) != Interface::Control || data == nullptr || length == 0) {
            return 0;
        }
        Report request{};
        std::copy_n(data, std::min<std::size_t>(length, request.size()), request.begin());

        std::lock_guard lock(mutex_);
        if (count_ == 0) {
            return 0;
        }
        const FaultDecision decision = faults_.NextReport(request);
        if (decision.unplug) {
            SetCountLocked(0);
            return 0;
        }
        if (decision.refuse) {
            return 0;
        }
        ++received_[request[dev::report::kCommand]];
        ++receivedTotal_;
        AppendTraceLocked(Direction::ToKeyboard, Interface::Control,
                          std::vector<std::uint8_t>(request.begin(), request.end()));

        if (decision.noReply) {
            return 1;
        }
        Report reply = decision.Serves() ? firmware_.Serve(request)
                                         : ReplyFrame(request, dev::report::kStatusFailFF);
        if (!CommitStateLocked(request, reply)) {
            reply = ReplyFrame(request, kStatusNotSaved);
        }
        faults_.Corrupt(reply, decision);
        PostInputLocked(Interface::Control, std::vector<std::uint8_t>(reply.begin(), reply.end()),
                        replyDelay_);
        return 1;
    }

    // Like the keyboard committing its memory, the state file is written when a transfer ends
    // and when the device info changes, so that it survives even a process that never ends the
    // service (a program that loads the service library and exits without calling End).
    // False when the file could not be written: the command then fails, as a keyboard that
    // cannot commit its memory answers, so that no change is reported done and lost later.
    bool CommitStateLocked(const Report& request, const Report& reply) {
        const auto command = static_cast<dev::Command>(request[dev::report::kCommand]);
        if (stateFile_.empty() || reply[dev::report::kStatus] != kStatusOk ||
            (command != dev::Command::EndTransfer && command != dev::Command::WriteDeviceInfo)) {
            return true;
        }
        return SaveLocked() == 1;
    }

    // Writes the state file. A failure goes to the save-failure handler, once per reason in a
    // row: a command sent three times, and the save at the end, would otherwise repeat it.
    int SaveLocked() {
        std::string error;
        const int saved = SaveStateFile(stateFile_, memory_, nullptr, &error);
        if (saved == 1) {
            saved_ = SerializeState(memory_);
            lastSaveError_.clear();
            return saved;
        }
        const std::string reason = "the virtual keyboard cannot save its state to \"" +
                                   stateFile_.string() + "\": " + error;
        if (reason != lastSaveError_) {
            lastSaveError_ = reason;
            if (saveFailed_) {
                saveFailed_(reason);
            }
        }
        return saved;
    }

    int AddRead(const QfRequestKey& key, dev::NotificationSink* sink, std::uint32_t tag,
                std::uint32_t* requestId) {
        const auto interface = InterfaceOf(key);
        if (!interface || sink == nullptr) {
            return 0;
        }
        std::lock_guard lock(mutex_);
        const std::uint32_t id = NextIdLocked();
        requests_.push_back({id, *interface, sink, tag});
        if (requestId != nullptr) {
            *requestId = id;
        }
        return 1;
    }

    int WriteStatus(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                    std::uint32_t* requestId) {
        if (InterfaceOf(key) != Interface::Led || data == nullptr || length < kLedStatusSize) {
            return 0;
        }
        std::lock_guard lock(mutex_);
        if (count_ == 0) {
            return 0;
        }
        led_ = {data[0], data[1]};
        AppendTraceLocked(Direction::ToKeyboard, Interface::Led,
                          std::vector<std::uint8_t>(data, data + kLedStatusSize));
        if (requestId != nullptr) {
            *requestId = NextIdLocked();
        }
        return 1;
    }

    int DeleteRequest(std::uint32_t id) {
        if (id == 0) {
            return 0;
        }
        std::unique_lock lock(mutex_);
        const auto it = std::find_if(requests_.begin(), requests_.end(),
                                     [id](const StandingRequest& r) { return r.id == id; });
        if (it == requests_.end()) {
            return 0;
        }
        requests_.erase(it);
        if (!queue_.OnDeliveryThread()) {
            delivered_.wait(lock, [this, id] { return deliveringId_ != id; });
        }
        return 1;
    }

    // --- Presence and events ---

    void SetCount(unsigned count) {
        std::lock_guard lock(mutex_);
        SetCountLocked(count);
    }

    void Plug() {
        std::lock_guard lock(mutex_);
        if (count_ == 0) {
            SetCountLocked(1);
        }
    }

    unsigned Count() const {
        std::lock_guard lock(mutex_);
        return count_;
    }

    void PressConsumerCode(std::uint16_t code) {
        std::lock_guard lock(mutex_);
        if (count_ == 0) {
            return;
        }
        std::vector<std::uint8_t> bytes(kConsumerReportSize);
        WriteLe16(bytes.data(), code);
        PostInputLocked(Interface::Consumer, std::move(bytes), std::chrono::microseconds{0});
    }

    // --- Faults ---

    template <typename F>
    void WithFaults(F&& change) {
        std::lock_guard lock(mutex_);
        change(faults_);
    }

    void SetReplyDelay(std::chrono::microseconds delay) {
        std::lock_guard lock(mutex_);
        replyDelay_ = std::max(delay, std::chrono::microseconds{0});
    }

    void ClearFaults() {
        std::lock_guard lock(mutex_);
        faults_.Clear();
        replyDelay_ = std::chrono::microseconds{0};
    }

    // --- Memory ---

    std::vector<std::uint8_t> Memory(Area area) const {
        std::lock_guard lock(mutex_);
        const auto bytes = memory_.Bytes(area);
        return {bytes.begin(), bytes.end()};
    }

    void SetMemory(Area area, std::size_t offset, std::span<const std::uint8_t> bytes) {
        std::lock_guard lock(mutex_);
        const std::uint8_t unitsBefore = memory_.macroUnits();
        memory_.WriteClipped(area, offset, bytes);
        if (area == Area::DeviceInfo && memory_.macroUnits() != unitsBefore) {
            memory_.SetMacroUnits(memory_.macroUnits());
        }
    }

    void ResetMemory() {
        std::lock_guard lock(mutex_);
        memory_.Reset();
    }

    std::array<std::uint8_t, 2> LedStatus() const {
        std::lock_guard lock(mutex_);
        return led_;
    }

    std::size_t ReportsReceived() const {
        std::lock_guard lock(mutex_);
        return receivedTotal_;
    }

    std::size_t ReportsReceived(std::uint8_t command) const {
        std::lock_guard lock(mutex_);
        return received_[command];
    }

    // --- Trace ---

    std::vector<TraceEntry> Trace() const {
        std::lock_guard lock(traceMutex_);
        return trace_;
    }

    void ClearTrace() {
        std::lock_guard lock(traceMutex_);
        trace_.clear();
    }

    void SetTraceSink(std::function<void(const TraceEntry&)> sink) {
        std::lock_guard lock(traceMutex_);
        traceSink_ = std::move(sink);
    }

    void WaitIdle() { queue_.WaitIdle(); }

    // --- State ---

    int SaveState() {
        std::lock_guard lock(mutex_);
        if (stateFile_.empty()) {
            return 0;
        }
        return SaveLocked();
    }

    int LoadState() {
        std::lock_guard lock(mutex_);
        const int loaded = LoadStateFile(stateFile_, memory_);
        if (loaded == 1) {
            saved_ = SerializeState(memory_);
        }
        return loaded;
    }

private:
    std::uint32_t NextIdLocked() {
        if (nextId_ == 0) {
            nextId_ = 1;  // 0 names no request
        }
        return nextId_++;
    }

    // Every entry goes to the trace under the keyboard's lock, so the trace shows reports in
    // the order the keyboard took and sent them.
    void AppendTraceLocked(Direction direction, Interface interface,
                           std::vector<std::uint8_t> bytes) {
        std::lock_guard lock(traceMutex_);
        trace_.push_back({direction, interface, std::move(bytes)});
        if (traceSink_) {
            traceSink_(trace_.back());
        }
    }

    void SetCountLocked(unsigned count) {
        if (count == count_) {
            return;
        }
        if (count == 0) {
            ++generation_;  // what the keyboard had not yet sent is lost with it
        }
        count_ = count;
        queue_.Post(std::chrono::microseconds{0}, [this, count] { DeliverCount(count); });
    }

    void PostInputLocked(Interface interface, std::vector<std::uint8_t> bytes,
                         std::chrono::microseconds delay) {
        queue_.Post(delay, [this, interface, generation = generation_, bytes = std::move(bytes)] {
            DeliverInput(interface, bytes, generation);
        });
    }

    // On the delivery thread.
    void DeliverInput(Interface interface, const std::vector<std::uint8_t>& bytes,
                      std::uint64_t generation) {
        std::vector<StandingRequest> targets;
        {
            std::lock_guard lock(mutex_);
            if (generation != generation_ || count_ == 0) {
                return;
            }
            AppendTraceLocked(Direction::FromKeyboard, interface, bytes);
            targets = RequestsOnLocked(interface);
        }
        for (const auto& request : targets) {
            DeliverTo(request, QF_NOTIFY_INPUT, static_cast<std::uint32_t>(bytes.size()),
                      bytes.data());
        }
    }

    // On the delivery thread.
    void DeliverCount(unsigned count) {
        std::vector<StandingRequest> targets;
        {
            std::lock_guard lock(mutex_);
            targets = RequestsOnLocked(Interface::Control);
        }
        for (const auto& request : targets) {
            DeliverTo(request, QF_NOTIFY_COUNT_CHANGED, count, nullptr);
        }
    }

    std::vector<StandingRequest> RequestsOnLocked(Interface interface) const {
        std::vector<StandingRequest> found;
        for (const auto& request : requests_) {
            if (request.interface == interface) {
                found.push_back(request);
            }
        }
        return found;
    }

    // Calls the request's sink unless the request was withdrawn meanwhile; a withdrawal made
    // while the sink runs waits for it.
    void DeliverTo(const StandingRequest& request, std::uint32_t kind, std::uint32_t byteCount,
                   const std::uint8_t* bytes) {
        {
            std::lock_guard lock(mutex_);
            const bool standing =
                std::any_of(requests_.begin(), requests_.end(),
                            [&request](const StandingRequest& r) { return r.id == request.id; });
            if (!standing) {
                return;
            }
            deliveringId_ = request.id;
        }
        QfBufferRecord buffer{};
        buffer.bytes = bytes;
        QfRequestBlock block{request.tag, byteCount, bytes, request.id, &buffer};
        QfDeviceNotification notification{kind, 0, &block};
        request.sink->OnDeviceNotify(notification);
        {
            std::lock_guard lock(mutex_);
            deliveringId_ = 0;
        }
        delivered_.notify_all();
    }

    const std::filesystem::path stateFile_;
    const std::function<void(const std::string&)> saveFailed_;

    mutable std::mutex mutex_;  // everything below but the trace
    KeyboardMemory memory_;
    Firmware firmware_;
    FaultInjector faults_;
    std::vector<StandingRequest> requests_;
    std::uint32_t nextId_ = 1;
    unsigned count_;
    std::uint64_t generation_ = 0;
    std::chrono::microseconds replyDelay_{0};
    std::array<std::uint8_t, 2> led_{};
    std::array<std::size_t, 256> received_{};
    std::size_t receivedTotal_ = 0;
    std::uint32_t deliveringId_ = 0;
    std::condition_variable delivered_;
    std::vector<std::uint8_t> saved_;  // what the state file holds, when loaded or saved
    std::string lastSaveError_;        // the last save failure reported, empty after a save

    mutable std::mutex traceMutex_;
    std::vector<TraceEntry> trace_;
    std::function<void(const TraceEntry&)> traceSink_;

    DeliveryQueue queue_;  // last: its thread starts once everything above exists
};

VirtualKeyboard::VirtualKeyboard(VirtualKeyboardOptions options)
    : impl_(std::make_unique<Impl>(options)) {}

VirtualKeyboard::~VirtualKeyboard() = default;

int VirtualKeyboard::RequestGetDeviceCount(const QfRequestKey& key, std::uint32_t) {
    return impl_->GetDeviceCount(key);
}

int VirtualKeyboard::RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data,
                                     std::uint32_t length, std::uint32_t) {
    return impl_->WriteReport(key, data, length);
}

int VirtualKeyboard::RequestAsyncRead(const QfRequestKey& key, dev::NotificationSink* sink,
                                      std::uint32_t tag, std::uint32_t, std::uint32_t* requestId) {
    return impl_->AddRead(key, sink, tag, requestId);
}

int VirtualKeyboard::RequestStatusWrite(const QfRequestKey& key, dev::NotificationSink*,
                                        std::uint32_t, const std::uint8_t* data,
                                        std::uint32_t length, std::uint32_t,
                                        std::uint32_t* requestId) {
    return impl_->WriteStatus(key, data, length, requestId);
}

int VirtualKeyboard::DeleteRequestFromUnitId(std::uint32_t requestId) {
    return impl_->DeleteRequest(requestId);
}

void VirtualKeyboard::Plug() {
    impl_->Plug();
}

void VirtualKeyboard::Unplug() {
    impl_->SetCount(0);
}

bool VirtualKeyboard::plugged() const {
    return impl_->Count() > 0;
}

void VirtualKeyboard::SetDeviceCount(unsigned count) {
    impl_->SetCount(count);
}

unsigned VirtualKeyboard::deviceCount() const {
    return impl_->Count();
}

void VirtualKeyboard::PressConsumerCode(std::uint16_t code) {
    impl_->PressConsumerCode(code);
}

void VirtualKeyboard::PressBankSwitch() {
    impl_->PressConsumerCode(kCodeBankSwitch);
}

void VirtualKeyboard::InjectNoReply(unsigned n) {
    impl_->WithFaults([n](FaultInjector& f) { f.NoReply(n); });
}

void VirtualKeyboard::InjectWrongCommand(unsigned n) {
    impl_->WithFaults([n](FaultInjector& f) { f.WrongCommand(n); });
}

void VirtualKeyboard::InjectStatus(std::uint8_t status, unsigned n) {
    impl_->WithFaults([status, n](FaultInjector& f) { f.Status(status, n); });
}

void VirtualKeyboard::InjectGarbledReply(unsigned n) {
    impl_->WithFaults([n](FaultInjector& f) { f.Garbled(n); });
}

void VirtualKeyboard::InjectWriteRefusal(unsigned n) {
    impl_->WithFaults([n](FaultInjector& f) { f.WriteRefusal(n); });
}

void VirtualKeyboard::InjectReportFault(const ReportFault& fault) {
    impl_->WithFaults([&fault](FaultInjector& f) { f.AtReport(fault); });
}

void VirtualKeyboard::UnplugBeforeReport(unsigned k) {
    impl_->WithFaults([k](FaultInjector& f) { f.UnplugBefore(k); });
}

void VirtualKeyboard::SetReplyDelay(std::chrono::microseconds delay) {
    impl_->SetReplyDelay(delay);
}

void VirtualKeyboard::ClearFaults() {
    impl_->ClearFaults();
}

std::vector<std::uint8_t> VirtualKeyboard::Memory(Area area) const {
    return impl_->Memory(area);
}

void VirtualKeyboard::SetMemory(Area area, std::size_t offset,
                                std::span<const std::uint8_t> bytes) {
    impl_->SetMemory(area, offset, bytes);
}

void VirtualKeyboard::ResetMemory() {
    impl_->ResetMemory();
}

std::array<std::uint8_t, 2> VirtualKeyboard::LedStatus() const {
    return impl_->LedStatus();
}

std::size_t VirtualKeyboard::ReportsReceived() const {
    return impl_->ReportsReceived();
}

std::size_t VirtualKeyboard::ReportsReceived(std::uint8_t command) const {
    return impl_->ReportsReceived(command);
}

std::vector<TraceEntry> VirtualKeyboard::Trace() const {
    return impl_->Trace();
}

void VirtualKeyboard::ClearTrace() {
    impl_->ClearTrace();
}

void VirtualKeyboard::SetTraceSink(std::function<void(const TraceEntry&)> sink) {
    impl_->SetTraceSink(std::move(sink));
}

std::vector<ReceivedRequest> VirtualKeyboard::ReceivedRequests() const {
    std::vector<ReceivedRequest> requests;
    for (const TraceEntry& entry : impl_->Trace()) {
        if (entry.direction != Direction::ToKeyboard || entry.interface != Interface::Control ||
            entry.bytes.size() < dev::kReportSize) {
            continue;
        }
        ReceivedRequest request;
        request.command = entry.bytes[dev::report::kCommand];
        request.length = entry.bytes[dev::report::kParameter];
        request.address = ReadLe16(entry.bytes.data() + dev::report::kAddress);
        const auto data = entry.bytes.begin() + dev::report::kData;
        request.data.assign(data,
                            data + std::min<std::size_t>(request.length, dev::kReportDataSize));
        requests.push_back(std::move(request));
    }
    return requests;
}

std::vector<std::array<std::uint8_t, 2>> VirtualKeyboard::ReceivedLedStatuses() const {
    std::vector<std::array<std::uint8_t, 2>> statuses;
    for (const TraceEntry& entry : impl_->Trace()) {
        if (entry.direction == Direction::ToKeyboard && entry.interface == Interface::Led &&
            entry.bytes.size() >= 2) {
            statuses.push_back({entry.bytes[0], entry.bytes[1]});
        }
    }
    return statuses;
}

void VirtualKeyboard::WaitIdle() {
    impl_->WaitIdle();
}

int VirtualKeyboard::SaveState() {
    return impl_->SaveState();
}

int VirtualKeyboard::LoadState() {
    return impl_->LoadState();
}

}  // namespace qf::vkbd
