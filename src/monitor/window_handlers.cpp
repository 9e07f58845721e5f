#include "monitor/window_handlers.h"

#include "app/window_messages.h"
#include "device/memory_layout.h"
#include "keys/key_record.h"
#include "profiles/profile_format.h"

namespace qf::monitor {

namespace {

// On-board profiles whose key block the keyboard holds: 0, 1 and 2.
constexpr int kOnBoardProfiles = static_cast<int>(device::kProfileCount);

bool IsOnBoardProfile(int profile) {
    return profile >= 0 && profile < kOnBoardProfiles;
}

}  // namespace

bool DeviceWindowHandlers::Handles(std::uint32_t message) {
    return message == app::kMsgProf || message == app::kMsgLed || message == app::kMsgRemoved;
}

int DeviceWindowHandlers::OnMessage(std::uint32_t message, std::uint32_t tag) {
    switch (message) {
        case app::kMsgProf:
            return OnProfMessage(tag);
        case app::kMsgLed:
            return OnLedMessage(tag);
        case app::kMsgRemoved:
            return OnRemovedMessage(tag);
        default:
            return 0;
    }
}

bool DeviceWindowHandlers::OnTimer(std::uint32_t timerId) {
    if (timerId == app::kTimerRereadLighting) {
        if (deps_.lighting != nullptr) {
            (void)deps_.lighting->ReadLightingState(false);
            deps_.lighting->RefreshLightingPanel();
        }
        return true;
    }
    if (timerId == app::kTimerRereadKeyboard) {
        (void)deps_.window.SendMessage(app::kMsgProf, app::kTagProf);
        return true;
    }
    return false;
}

int DeviceWindowHandlers::OnProfMessage(std::uint32_t tag) {
    if (tag != app::kTagProf) {
        return 0;
    }
    (void)deps_.keyboard.LoadProfileFromKeyboard(false);
    const int active = deps_.keyboard.ReadActiveProfile();
    if (IsOnBoardProfile(active)) {
        deps_.view.SelectProfileButton(active);
    }
    if (deps_.lighting != nullptr) {
        (void)deps_.lighting->ReadLightingState(true);
        deps_.lighting->RefreshLightingPanel();
    }
    Trace(kTraceProfileRefreshed);
    return 1;
}

int DeviceWindowHandlers::OnLedMessage(std::uint32_t tag) {
    if (tag != app::kTagLed) {
        return 0;
    }
    auto store = deps_.store.Lock();
    const int active = deps_.keyboard.ReadActiveProfile();
    // A profile that cannot be read, or one the keyboard cannot hold, names no key block: the
    // buttons keep their looks.
    if (!IsOnBoardProfile(active)) {
        return 1;
    }
    const std::size_t first =
        deps_.ledStatus.BankB() ? keys::kFirstBankBGRecord : keys::kFirstGRecord;
    for (std::size_t i = 0; i < kGButtonCount; ++i) {
        const keys::KeyRecord record =
            store->BlockRecord(static_cast<std::size_t>(active), first + i);
        deps_.view.SetGButtonAssigned(i, record.kind != 0);
    }
    return 1;
}

int DeviceWindowHandlers::OnRemovedMessage(std::uint32_t tag) {
    if (tag != app::kTagRemoved) {
        return 0;
    }
    deps_.view.CloseEditors();
    return 1;
}

void DeviceWindowHandlers::Trace(std::string_view text) const {
    if (deps_.trace) {
        deps_.trace(text);
    }
}

}  // namespace qf::monitor
