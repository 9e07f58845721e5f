#include "presenters/instance.h"

#include <algorithm>

#include "app/window_messages.h"
#include "text/text_format.h"

namespace qf::presenters {

namespace {

// Used when the executable's name is unknown, so that the names are never just "-<uid>".
constexpr std::string_view kFallbackProgramName = "quillfen";

bool UsableRuntimeFolder(const std::optional<std::string>& folder) {
    return folder.has_value() && !folder->empty() && folder->front() == '/';
}

}  // namespace

InstanceNames MakeInstanceNames(std::string_view executableName, unsigned uid,
                                const std::optional<std::string>& runtimeDir) {
    std::string base(executableName.empty() ? kFallbackProgramName : executableName);
    // A file name has no '/', but a caller could pass a path: keep the last part only.
    if (const auto slash = base.rfind('/'); slash != std::string::npos) {
        base.erase(0, slash + 1);
        if (base.empty()) {
            base = kFallbackProgramName;
        }
    }
    base += '-';
    base += std::to_string(uid);

    const auto namesIn = [&base](const std::filesystem::path& folder, bool shared) {
        InstanceNames names;
        names.folder = folder;
        names.lockFile = folder / (base + std::string(kLockFileSuffix));
        names.socket = folder / (base + std::string(kSocketSuffix));
        names.sharedFolder = shared;
        return names;
    };
    if (UsableRuntimeFolder(runtimeDir)) {
        InstanceNames names = namesIn(*runtimeDir, false);
        if (names.socket.native().size() <= kMaxSocketPathLength) {
            return names;
        }
    }
    return namesIn(std::filesystem::path(kSharedTempFolder), true);
}

std::array<std::uint8_t, kInstanceMessageSize> EncodeInstanceMessage(InstanceMessage message) {
    std::array<std::uint8_t, kInstanceMessageSize> bytes{};
    WriteLe32(bytes.data(), message.message);
    WriteLe32(bytes.data() + 4, message.tag);
    return bytes;
}

InstanceRequest ClassifyInstanceMessage(InstanceMessage message) {
    if (message.message == app::kMsgOpen && message.tag == app::kTagOpen) {
        return InstanceRequest::Open;
    }
    if (message.message == app::kMsgKill && message.tag == app::kTagKill) {
        return InstanceRequest::Kill;
    }
    return InstanceRequest::None;
}

InstanceMessage MessageForRequest(InstanceRequest request) {
    switch (request) {
        case InstanceRequest::Open:
            return {app::kMsgOpen, app::kTagOpen};
        case InstanceRequest::Kill:
            return {app::kMsgKill, app::kTagKill};
        case InstanceRequest::None:
            break;
    }
    return {};
}

std::vector<InstanceMessage> InstanceMessageDecoder::Feed(ByteSpan bytes) {
    std::vector<InstanceMessage> messages;
    const std::size_t room =
        kMaxInstanceBytesPerConnection - std::min(total_, kMaxInstanceBytesPerConnection);
    if (bytes.size() > room) {
        overflowed_ = true;
        bytes = bytes.first(room);
    }
    total_ += bytes.size();
    for (const std::uint8_t byte : bytes) {
        partial_[have_++] = byte;
        if (have_ == kInstanceMessageSize) {
            messages.push_back({ReadLe32(partial_.data()), ReadLe32(partial_.data() + 4)});
            have_ = 0;
        }
    }
    return messages;
}

std::vector<InstanceMessage> InstanceMessageDecoder::Feed(std::string_view bytes) {
    return Feed(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::string InstanceEventName(int number) {
    return text::Format(kInstanceEventFormat, kInstanceEventPrefix, number);
}

std::vector<std::string> InstanceEventNames() {
    std::vector<std::string> names;
    names.reserve(kInstanceEventCount);
    for (int n = 1; n <= kInstanceEventCount; ++n) {
        names.push_back(InstanceEventName(n));
    }
    return names;
}

}  // namespace qf::presenters
