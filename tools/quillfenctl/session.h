// One run of quillfenctl: its global options, the texts it speaks with, and the keyboard it
// talks to (the device service, the trace around it and the device link).
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "app/paths.h"
#include "device/device_link.h"
#include "device/device_service.h"
#include "device/tracing_service.h"
#include "keys/default_keymap.h"
#include "keys/key_names.h"
#include "terminal.h"
#include "text/ini_file.h"
#include "text/language.h"

namespace qf::vkbd {
class VirtualKeyboard;
}

namespace qf::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDevice = 1;  // no keyboard, no device service, or a device error
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFile = 3;  // a profile file that is invalid or cannot be read

// The state file of the in-process virtual keyboard, relative to the XDG state folder.
inline constexpr std::string_view kVirtualStateRelative = "quillfen/virtual-keyboard.state";

struct GlobalOptions {
    std::string trace;          // --trace FILE
    bool useVirtual = false;    // --virtual
    std::string virtualState;   // --virtual-state FILE
    std::string deviceService;  // --device-service PATH
    bool assumeYes = false;     // --yes
};

// $XDG_STATE_HOME (when absolute) or ~/.local/state, then quillfen/virtual-keyboard.state.
// Nothing when neither is known.
std::optional<std::filesystem::path> DefaultVirtualStateFile();

class Session {
public:
    explicit Session(GlobalOptions options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const GlobalOptions& options() const { return options_; }
    const app::InstallPaths& install() const { return install_; }
    const text::LanguageTable& language() const { return language_; }
    const keys::KeyTexts& keyTexts() const { return keyTexts_; }
    TerminalPrompter& prompter() { return prompter_; }
    text::IniFiles& iniFiles() { return iniFiles_; }
    app::AppState& appState() { return appState_; }
    keys::DefaultKeymap& defaultKeymap() { return defaultKeymap_; }

    // The per-user settings file (mrgo.ini in the profile folder); empty when no home folder
    // is known.
    std::filesystem::path UserSettingsFile() const;
    // The user's profile folder; empty when no home folder is known.
    std::filesystem::path ProfileFolder() const;

    // Loads the device service, opens the trace, issues the read requests and checks that a
    // keyboard is attached; reports what went wrong. kExitOk, or the exit code to end with.
    [[nodiscard]] int OpenKeyboard();
    // The keyboard's own default keymap replaces the built-in one; a failed read keeps the
    // built-in one and says so. Call after OpenKeyboard.
    void ReadDefaultKeymap();

    device::DeviceLink& link() { return *link_; }
    device::DeviceCommands& commands() { return link_->commands(); }
    device::TracingService& tracing() { return *tracing_; }

    // "device error -2 (no reply)" after `what`, as the message of a failed device command.
    int DeviceFailure(std::string_view what, int result);

private:
    void LoadTexts();
    [[nodiscard]] int LoadService();

    GlobalOptions options_;
    app::InstallPaths install_;
    std::optional<app::UserPaths> user_;
    text::LanguageTable language_;
    keys::KeyTexts keyTexts_;
    TerminalPrompter prompter_;
    text::IniFiles iniFiles_;
    app::AppState appState_;
    keys::DefaultKeymap defaultKeymap_;

    std::FILE* traceFile_ = nullptr;
    std::unique_ptr<vkbd::VirtualKeyboard> virtualKeyboard_;
    std::unique_ptr<device::DeviceService> libraryService_;
    std::unique_ptr<device::TracingService> tracing_;
    std::unique_ptr<device::DeviceLink> link_;
};

}  // namespace qf::cli
