// The device monitor and the window-side handlers wired to the virtual keyboard and a fake
// window with its own thread, plus recording views and refresh hooks.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "device/commands.h"
#include "device/device_link.h"
#include "device/result.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "fake_window.h"
#include "keys/default_keymap.h"
#include "monitor/device_monitor.h"
#include "monitor/window_handlers.h"
#include "profiles/profile_store.h"
#include "support/monitor_fakes.h"
#include "support/recording_prompter.h"
#include "text/language.h"

namespace qf::monitor::test {

// Calls into the profile and lighting hooks, in order, as text ("load quiet=0", "active 1", ...).
class CallLog {
public:
    void Add(std::string entry) {
        std::lock_guard lock(mutex_);
        entries_.push_back(std::move(entry));
    }
    std::vector<std::string> Entries() const {
        std::lock_guard lock(mutex_);
        return entries_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

using qf::testing::RecordingBankView;
using qf::testing::RecordingPrompter;
using qf::testing::RecordingWindowView;

// The profile side over the real command set: ReadActiveProfile reads the device info from
// the keyboard as the profile code does; the store reload is only logged.
class KeyboardRefreshOverLink final : public KeyboardRefresh {
public:
    KeyboardRefreshOverLink(device::DeviceCommands& commands, app::AppState& state, CallLog& log)
        : commands_(commands), state_(state), log_(log) {}

    int LoadProfileFromKeyboard(bool quiet) override {
        log_.Add(std::string("load quiet=") + (quiet ? "1" : "0"));
        return 1;
    }
    int ReadActiveProfile() override {
        device::DeviceInfoBlock info;
        int active = -1;
        if (commands_.ReadDeviceInfo(info) == device::DeviceResult::Ok) {
            active = info.activeProfile();
            state_.activeProfile.store(active);
        }
        log_.Add("active " + std::to_string(active));
        return active;
    }

private:
    device::DeviceCommands& commands_;
    app::AppState& state_;
    CallLog& log_;
};

class RecordingLighting final : public LightingRefresh {
public:
    explicit RecordingLighting(CallLog& log) : log_(log) {}
    lighting::LightingRead ReadLightingState(bool withZoneColours) override {
        log_.Add(std::string("lighting zones=") + (withZoneColours ? "1" : "0"));
        return lighting::LightingRead::Read;
    }
    void RefreshLightingPanel() override { log_.Add("panel"); }

private:
    CallLog& log_;
};

// Device info byte 10 of the keyboard: its active on-board profile.
void SetActiveProfile(vkbd::VirtualKeyboard& keyboard, std::uint8_t profile);

struct StartOptions {
    bool plugged = true;
    bool openedOnce = false;  // as "/Start" sets it
    bool ready = true;        // the window has finished its start-up
    // Runs on the keyboard before the monitor starts.
    std::function<void(vkbd::VirtualKeyboard&)> prepare{};
};

class MonitorTest : public ::testing::Test {
protected:
    void Start(StartOptions options = {});
    void TearDown() override;

    // Waits until both monitor threads are idle and the window has run everything queued.
    void Settle();
    bool WaitUntil(const std::function<bool()>& condition) { return window.WaitUntil(condition); }

    // G record `record` of key block `profile` in the store gets `kind`.
    void SetStoreRecord(std::size_t profile, std::size_t record, std::uint16_t kind);
    std::vector<std::array<std::uint8_t, 2>> LedWrites() const {
        return keyboard->ReceivedLedStatuses();
    }

    FakeWindow window;
    std::unique_ptr<vkbd::VirtualKeyboard> keyboard;
    std::unique_ptr<device::DeviceLink> link;
    app::AppState state;
    LedStatusWord led;
    keys::DefaultKeymap defaultKeymap;
    text::LanguageTable language;
    profiles::ProfileStore store;
    CallLog calls;
    RecordingBankView bankView;
    RecordingWindowView windowView;
    RecordingPrompter prompter;
    RecordingLighting lighting{calls};
    std::unique_ptr<KeyboardRefreshOverLink> refresh;
    std::vector<std::string> traces;  // written on the window thread only
    std::unique_ptr<DeviceWindowHandlers> handlers;
    std::unique_ptr<DeviceMonitor> monitor;
};

}  // namespace qf::monitor::test
