#include "monitor/device_monitor.h"

#include "app/window_messages.h"
#include "device/commands.h"
#include "device/result.h"

namespace qf::monitor {

DeviceMonitor::DeviceMonitor(MonitorDependencies deps, MonitorTiming timing)
    : deps_(deps), timing_(timing), icons_(deps.window) {}

DeviceMonitor::~DeviceMonitor() {
    Stop();
}

std::uint32_t DeviceMonitor::Start() {
    deps_.ledStatus.Reset();
    deps_.link.SetListener(this);
    listening_.store(true);
    (void)deps_.link.IssueReadRequests();

    const int found = deps_.link.transport().GetControlDeviceCount();
    const std::uint32_t count = found > 0 ? static_cast<std::uint32_t>(found) : 0u;
    if (count == 0) {
        deps_.appState.openedOnce.store(1);
    }
    OnDeviceCountChanged(count);
    return count;
}

void DeviceMonitor::Stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_.store(true);
    }
    stopWake_.notify_all();
    if (listening_.exchange(false)) {
        deps_.link.SetListener(nullptr);
    }
    events_.Stop();
    presence_.Stop();
}

void DeviceMonitor::WaitIdle() {
    // A presence check may start nothing on the event thread and the other way round, so one
    // pass over each is enough.
    presence_.WaitIdle();
    events_.WaitIdle();
}

void DeviceMonitor::OnConsumerCode(std::uint16_t code) {
    if (stopping()) {
        return;
    }
    switch (code) {
        case kCodeBankSwitch:
            (void)events_.Post([this] { SwitchBank(); });
            break;
        case kCodeLightingChanged:
            deps_.window.StartTimer(app::kTimerRereadLighting, 0);
            break;
        case kCodeKeyboardChanged:
            deps_.window.StartTimer(app::kTimerRereadKeyboard, 0);
            break;
        case kCodeAlternateIcon:
            (void)events_.Post([this] { icons_.ShowAlternate(); });
            break;
        case kCodeDeviceStateIcon:
            (void)events_.Post([this] { icons_.ShowDeviceState(); });
            break;
        default:
            break;
    }
}

void DeviceMonitor::OnDeviceCountChanged(std::uint32_t count) {
    if (stopping()) {
        return;
    }
    (void)presence_.Post([this, count] { RunPresence(count); });
}

// On the event thread. The send to the window waits for the LED handler, whose report
// transaction needs the service to deliver a reply: the service's thread is free because the
// switch was handed over to this thread.
void DeviceMonitor::SwitchBank() {
    const auto status = deps_.ledStatus.FlipBank();
    (void)deps_.link.WriteLedStatus(status);
    (void)deps_.window.SendMessage(app::kMsgLed, app::kTagLed);

    const bool bankB = (status[1] & LedStatusWord::kBankBit) != 0;
    deps_.bankView.ShowBankIndicator(bankB);
    for (std::size_t i = 0; i < kGButtonCount; ++i) {
        deps_.bankView.SetGButtonLabel(i, GButtonLabel(bankB, i));
    }
}

// On the presence thread, one count at a time in notification order.
void DeviceMonitor::RunPresence(std::uint32_t count) {
    app::AppState& state = deps_.appState;
    const std::uint32_t last = state.lastDeviceCount.load();
    if (count == last || stopping()) {
        return;
    }

    if (count == 0) {
        // The keyboard went away (the last count was not 0).
        state.activeProfile.store(-1);
        (void)deps_.window.SendMessage(app::kMsgRemoved, app::kTagRemoved);
        deps_.window.HideWindow();
    } else {
        ReadKeyboardOnArrival();
        (void)deps_.window.SendMessage(app::kMsgProf, app::kTagProf);
    }

    if (!WaitForWindowReady()) {
        return;
    }
    icons_.SetDeviceState(count > 0 ? app::kIconKeyboardPresent : app::kIconNoKeyboard);
    state.lastDeviceCount.store(count);
    if (state.openedOnce.load() == 0) {
        if (count > 0) {
            deps_.window.PostMessage(app::kMsgOpen, app::kTagOpen);
        }
        state.openedOnce.store(1);
    }
}

void DeviceMonitor::ReadKeyboardOnArrival() {
    device::DeviceCommands& commands = deps_.link.commands();

    keys::KeymapImage keymap{};
    if (commands.ReadDefaultKeymap(keymap) == device::DeviceResult::Ok) {
        deps_.defaultKeymap.Set(keymap);
    } else {
        const auto id = text::TextId::MAIN_DEFAULT_MATRIX_PROMPT;
        deps_.prompter.ShowMessage(id, deps_.language.Text(id));
    }

    device::DeviceInfoBlock info;
    if (commands.ReadDeviceInfo(info) == device::DeviceResult::Ok) {
        deps_.appState.macroMemorySize.store(info.macroMemoryBytes());
    }
}

bool DeviceMonitor::WaitForWindowReady() {
    std::unique_lock lock(stopMutex_);
    while (!deps_.window.IsReady()) {
        if (stopWake_.wait_for(lock, timing_.readyPoll, [this] { return stopping(); })) {
            return false;
        }
    }
    return !stopping();
}

}  // namespace qf::monitor
