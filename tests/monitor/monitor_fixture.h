// The device monitor and the window-side handlers wired to the virtual keyboard and a fake
// window with its own thread, plus recording views and refresh hooks.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
#include "text/language.h"
#include "text/prompter.h"

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

class RecordingBankView final : public BankView {
public:
    void ShowBankIndicator(bool bankB) override {
        std::lock_guard lock(mutex_);
        indicator_.push_back(bankB);
    }
    void SetGButtonLabel(std::size_t index, std::string_view text) override {
        std::lock_guard lock(mutex_);
        labels_.at(index) = std::string(text);
    }
    std::vector<bool> Indicator() const {
        std::lock_guard lock(mutex_);
        return indicator_;
    }
    std::array<std::string, kGButtonCount> Labels() const {
        std::lock_guard lock(mutex_);
        return labels_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<bool> indicator_;
    std::array<std::string, kGButtonCount> labels_{};
};

class RecordingWindowView final : public DeviceWindowView {
public:
    using Looks = std::array<std::optional<bool>, kGButtonCount>;

    void SetGButtonAssigned(std::size_t index, bool assigned) override {
        std::lock_guard lock(mutex_);
        looks_.at(index) = assigned;
    }
    void SelectProfileButton(int profile) override {
        std::lock_guard lock(mutex_);
        selected_.push_back(profile);
    }
    void CloseEditors() override {
        std::lock_guard lock(mutex_);
        ++closes_;
    }
    Looks GLooks() const {
        std::lock_guard lock(mutex_);
        return looks_;
    }
    void ClearLooks() {
        std::lock_guard lock(mutex_);
        looks_ = {};
    }
    std::vector<int> Selected() const {
        std::lock_guard lock(mutex_);
        return selected_;
    }
    int closes() const {
        std::lock_guard lock(mutex_);
        return closes_;
    }

private:
    mutable std::mutex mutex_;
    Looks looks_{};
    std::vector<int> selected_;
    int closes_ = 0;
};

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
        if (commands_.ReadDeviceInfo(info) == device::kOk) {
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
    int ReadLightingState(bool withZoneColours) override {
        log_.Add(std::string("lighting zones=") + (withZoneColours ? "1" : "0"));
        return 0;
    }
    void RefreshLightingPanel() override { log_.Add("panel"); }

private:
    CallLog& log_;
};

class RecordingPrompter final : public text::Prompter {
public:
    void ShowMessage(text::TextId id, std::string_view text) override {
        std::lock_guard lock(mutex_);
        shown_.emplace_back(id, std::string(text));
    }
    bool AskYesNo(text::TextId, std::string_view) override { return false; }
    std::vector<std::pair<text::TextId, std::string>> Shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<text::TextId, std::string>> shown_;
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
    std::vector<std::array<std::uint8_t, 2>> LedWrites() const;

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
