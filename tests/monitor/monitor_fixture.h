// The session's device monitor over the virtual keyboard and a fake window with its own thread,
// plus recording views. The window's messages go to handlers of the fixture's own, whose
// refresh hooks log their calls instead of reloading the store and the lighting (the session's
// handlers, with the real transfers and lighting model behind them, are the refresh-path
// test's).
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
#include "device/result.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "fake_window.h"
#include "keys/default_keymap.h"
#include "monitor/device_monitor.h"
#include "monitor/window_handlers.h"
#include "session/session.h"
#include "support/monitor_fakes.h"
#include "support/profile_fakes.h"
#include "support/recording_prompter.h"

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

    // The session's objects; Start builds the session.
    app::AppState& state() { return session->appState(); }
    LedStatusWord& led() { return session->ledStatus(); }
    keys::DefaultKeymap& defaultKeymap() { return session->defaultKeymap(); }
    DeviceMonitor& monitor() { return session->monitor(); }

    FakeWindow window;
    std::unique_ptr<vkbd::VirtualKeyboard> keyboard;
    CallLog calls;
    RecordingBankView bankView;
    RecordingWindowView windowView;
    RecordingPrompter prompter;
    qf::testing::RecordingAssignmentView assignmentView;
    lighting::NoLightingView tints;
    qf::testing::RecordingSwitchHost host;
    RecordingLighting lighting{calls};
    std::vector<std::string> traces;  // written on the window thread only
    std::unique_ptr<session::Session> session;
    std::unique_ptr<KeyboardRefreshOverLink> refresh;
    std::unique_ptr<DeviceWindowHandlers> handlers;
};

}  // namespace qf::monitor::test
