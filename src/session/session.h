// One run of the program: the object that builds, owns and stops everything the windowed
// program needs above the device service, in the order they depend on each other.
//
//   auto service = device::LoadDeviceService(install, error);   // or a virtual keyboard
//   WindowBridge bridge;                                          // the windows' side
//   session::Session session({*service, app::Environment::FromProcess()},
//                            {bridge.prompter(), bridge.link(), bridge.bankView(),
//                             bridge.assignmentView(), bridge.lightingView(),
//                             bridge.deviceWindowView(), bridge.switchHost()});
//   ...                                // windows are built on session.store(), .transfers(), ...
//   session.handlers().OnMessage(...)  // the main window forwards the device messages
//   session.StartMonitor();            // the windowed program only; quillfenctl never does
//   ...
//   session.StopMonitor();             // the ending: threads joined, listener cleared
//   session.FreeStores();              // then the stores' contents go
//
// Building the session touches no keyboard: the device link is made but no request is issued
// and no thread runs until the owner asks (IssueReadRequests, StartMonitor). The windows bind
// late: the session gets the window-side interfaces as forwarding objects (the window bridge's)
// and the presenters built on the session bind themselves to those once they exist. The panel
// refresh that the lighting model's device step triggers and the recorder's keyboard hooks are
// bound the same way, through SetPanelRefresh and BindKeyboardHooks.
//
// Destruction stops the monitor first if the owner has not, so that no thread outlives the
// objects it uses.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/main_window_link.h"
#include "app/paths.h"
#include "app/settings.h"
#include "device/device_link.h"
#include "device/device_service.h"
#include "keys/default_keymap.h"
#include "lighting/lighting_model.h"
#include "lighting/user_colour_file.h"
#include "macros/recorder.h"
#include "monitor/core_adapters.h"
#include "monitor/device_monitor.h"
#include "monitor/led_status.h"
#include "monitor/monitor_views.h"
#include "monitor/window_handlers.h"
#include "profiles/assignments.h"
#include "profiles/download.h"
#include "profiles/profile_store.h"
#include "profiles/switching.h"
#include "profiles/transfers.h"
#include "text/ini_file.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::session {

// The device service and where the program's files are.
struct SessionSource {
    // Plain, traced or virtual; it outlives the session.
    device::DeviceService& service;
    // Where the install and user paths come from (the process's, or temporary folders).
    app::Environment environment;
    // The report transaction's timing (tests shorten it).
    device::TransactionTiming timing = {};
    monitor::MonitorTiming monitorTiming = {};
    // The millisecond clock the macro recorder stamps keystrokes with; the steady clock when
    // empty.
    macros::TickSource clock = {};
    // The platform's debug output of the device handlers; may be empty.
    std::function<void(std::string_view)> trace = {};
    // Whether the user's folders (the profile folder, the user colour folder) are made when
    // missing. The windowed program makes them; a command-line run uses them only when they
    // exist, with the same paths.
    bool makeUserFolders = true;
};

// The window side, as the core sees it. Each outlives the session; the real ones forward to the
// windows, which bind themselves once built.
struct SessionWindows {
    text::Prompter& prompter;
    app::MainWindowLink& window;
    monitor::BankView& bankView;
    profiles::AssignmentView& assignmentView;
    lighting::LightingView& lightingView;
    monitor::DeviceWindowView& deviceWindowView;
    profiles::SwitchHost& switchHost;
};

// The key bank as the LED word last reported it.
class LedBankSource final : public profiles::KeyBankSource {
public:
    explicit LedBankSource(const monitor::LedStatusWord& led) : led_(led) {}
    [[nodiscard]] bool BankB() const override { return led_.BankB(); }

private:
    const monitor::LedStatusWord& led_;
};

// The recorder's keyboard hooks, bound once the window that owns them exists. Unbound, no hook
// can be installed.
class LateKeyboardHooks final : public macros::KeyboardHooks {
public:
    void Bind(macros::KeyboardHooks* hooks) { hooks_ = hooks; }
    [[nodiscard]] bool Install() override { return hooks_ != nullptr && hooks_->Install(); }
    void Remove() override {
        if (hooks_ != nullptr) {
            hooks_->Remove();
        }
    }

private:
    macros::KeyboardHooks* hooks_ = nullptr;
};

class Session {
public:
    Session(SessionSource source, SessionWindows windows);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // ---- Files ----
    [[nodiscard]] const app::InstallPaths& install() const { return install_; }
    // Nothing when no home folder is known: the program then keeps no profile files.
    [[nodiscard]] const std::optional<app::UserPaths>& user() const { return user_; }
    // The user's profile folder (documents/Quillfen_09A); empty without a home folder.
    [[nodiscard]] std::filesystem::path ProfileFolder() const;
    // The per-user settings file (mrgo.ini in the profile folder); empty without a home folder.
    [[nodiscard]] std::filesystem::path UserSettingsFile() const;
    // The main window's layout (Skins/Main.ini) as read at start; empty when it is missing.
    [[nodiscard]] const text::IniDocument& mainLayout() const { return mainLayout_; }
    // The language file's "language" setting: 1 English, otherwise Chinese.
    [[nodiscard]] int languageSetting() const { return languageSetting_; }
    // The language file was read; otherwise the built-in wordings stand.
    [[nodiscard]] bool languageLoaded() const { return languageLoaded_; }

    // ---- The core ----
    [[nodiscard]] text::IniFiles& iniFiles() { return iniFiles_; }
    [[nodiscard]] text::LanguageTable& language() { return language_; }
    [[nodiscard]] app::Settings& settings() { return *settings_; }
    [[nodiscard]] profiles::ProfileStore& store() { return store_; }
    [[nodiscard]] keys::DefaultKeymap& defaultKeymap() { return defaultKeymap_; }
    [[nodiscard]] app::AppState& appState() { return appState_; }
    [[nodiscard]] monitor::LedStatusWord& ledStatus() { return led_; }
    [[nodiscard]] const profiles::KeyBankSource& bank() const { return bank_; }
    [[nodiscard]] device::DeviceLink& link() { return *link_; }
    [[nodiscard]] device::DeviceCommands& commands() { return link_->commands(); }
    [[nodiscard]] profiles::ActiveProfile& activeProfile() { return *active_; }
    [[nodiscard]] profiles::Assignments& assignments() { return *assignments_; }
    [[nodiscard]] profiles::ProfileTransfers& transfers() { return *transfers_; }
    [[nodiscard]] profiles::ProfileSwitching& switching() { return *switching_; }
    [[nodiscard]] lighting::LightingModel& lighting() { return *lighting_; }
    [[nodiscard]] lighting::UserColourFiles& userColours() { return *userColours_; }
    [[nodiscard]] macros::MacroRecorder& recorder() { return *recorder_; }
    [[nodiscard]] monitor::DeviceWindowHandlers& handlers() { return *handlers_; }
    // The profile buttons as the handlers reach them: the window's view, kept to the profiles
    // the lighting model can show.
    [[nodiscard]] monitor::CurrentProfileView& currentProfileView() { return *currentView_; }
    [[nodiscard]] monitor::DeviceMonitor& monitor() { return *monitor_; }
    [[nodiscard]] text::Prompter& prompter() { return windows_.prompter; }

    // ---- Checks ----
    // Whether the keyboard holds what an Apply of the store writes (the macro memory and the
    // keymaps of every profile, or of the active one), read back byte by byte; see
    // profiles::VerifyKeyboardHolds. Takes the store's lock. For a window's "check the keyboard"
    // and for quillfenctl's --verify.
    [[nodiscard]] int VerifyKeyboard(bool allProfiles, profiles::VerifyReport& report);

    // ---- Late bindings ----
    // What the lighting model's device step runs after it has read the keyboard: the lighting
    // panel's refresh.
    void SetPanelRefresh(std::function<void()> refresh);
    // The window's keyboard hooks the recorder installs while it records; null unbinds.
    void BindKeyboardHooks(macros::KeyboardHooks* hooks) { hooks_.Bind(hooks); }

    // ---- Running ----
    // Asks the device service for key events and replies (no report is sent). 1 on success.
    [[nodiscard]] int IssueReadRequests();
    // Starts the device monitor: the LED word, the notification listener, the read requests
    // and the first presence check. Returns the number of keyboards found.
    std::uint32_t StartMonitor();
    [[nodiscard]] bool monitorRunning() const { return monitorStarted_; }
    // Stops the monitor (its threads joined) and clears the device link's listener (waiting for
    // a call under way). Safe to call more than once and without a start.
    void StopMonitor();
    // Empties the store under its lock, then the staging store under its own.
    void FreeStores();

private:
    SessionWindows windows_;
    app::InstallPaths install_;
    std::optional<app::UserPaths> user_;
    text::IniFiles iniFiles_;
    text::LanguageTable language_;
    int languageSetting_ = 0;
    bool languageLoaded_ = false;
    text::IniDocument mainLayout_;
    std::unique_ptr<app::Settings> settings_;
    profiles::ProfileStore store_;
    keys::DefaultKeymap defaultKeymap_;
    app::AppState appState_;
    monitor::LedStatusWord led_;
    LedBankSource bank_{led_};
    LateKeyboardHooks hooks_;
    std::unique_ptr<device::DeviceLink> link_;
    std::unique_ptr<profiles::ActiveProfile> active_;
    std::unique_ptr<profiles::Assignments> assignments_;
    std::unique_ptr<profiles::ProfileTransfers> transfers_;
    std::unique_ptr<profiles::ProfileSwitching> switching_;
    std::unique_ptr<lighting::LightingModel> lighting_;
    std::unique_ptr<lighting::UserColourFiles> userColours_;
    std::unique_ptr<macros::MacroRecorder> recorder_;
    std::unique_ptr<monitor::TransfersKeyboardRefresh> keyboardRefresh_;
    std::unique_ptr<monitor::LightingModelRefresh> lightingRefresh_;
    std::unique_ptr<monitor::CurrentProfileView> currentView_;
    std::unique_ptr<monitor::DeviceWindowHandlers> handlers_;
    std::unique_ptr<monitor::DeviceMonitor> monitor_;
    bool monitorStarted_ = false;
};

}  // namespace qf::session
