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
#include "failure_locator.h"
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
// No keyboard, no device service, a device error, or the windowed program running.
inline constexpr int kExitDevice = 1;
inline constexpr int kExitUsage = 2;  // a usage error, or a question answered No
// A file that is missing, unreadable, unwritable or malformed.
inline constexpr int kExitFile = 3;

// The program's version, as --version and the trace file's header give it.
std::string_view ProgramVersion();

// The state file of the in-process virtual keyboard, relative to the XDG state folder.
inline constexpr std::string_view kVirtualStateRelative = "quillfen/virtual-keyboard.state";

struct GlobalOptions {
    std::string trace;          // --trace FILE
    bool useVirtual = false;    // --virtual
    std::string virtualState;   // --virtual-state FILE
    std::string deviceService;  // --device-service PATH
    bool assumeYes = false;     // --yes
    bool force = false;         // --force: write even while the windowed program runs
    std::string commandLine;    // the words the program was started with, for the trace
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

    // Says that `what` failed with device result `result` and where (the command, profile and
    // chunk of the first report that failed, when one did); kExitDevice.
    int DeviceFailure(std::string_view what, int result);
    // The same with the place already taken (TakeFailure).
    int DeviceFailure(std::string_view what, int result, const std::optional<FailurePlace>& place);
    // The first report that failed since the last call (which forgets it), if any.
    std::optional<FailurePlace> TakeFailure();

    // Refuses a command that changes the keyboard or the user's files while the windowed
    // program runs (its store would be out of date and its next Apply would undo the change),
    // unless --force was given. kExitOk, or kExitDevice after saying why.
    [[nodiscard]] int CheckWindowedProgramNotRunning();

    // The end of a run that ended with `code`: after a command that changed the virtual
    // keyboard, its state file must hold the change, or the change is lost when the run ends.
    // `code`, or kExitFile after saying that the state file could not be saved.
    [[nodiscard]] int Finish(int code);

private:
    void LoadTexts();
    void WriteTraceHeader();
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

    bool changesKeyboard_ = false;  // a writing command runs
    std::filesystem::path virtualStateFile_;
    std::FILE* traceFile_ = nullptr;
    // Why the virtual keyboard last failed to save its state file (empty: it never did). Before
    // the keyboard, which reports into it until it goes.
    std::string virtualSaveFailure_;
    std::unique_ptr<vkbd::VirtualKeyboard> virtualKeyboard_;
    std::unique_ptr<device::DeviceService> libraryService_;
    std::unique_ptr<device::TracingService> tracing_;
    std::unique_ptr<FailureLocator> locator_;
    std::unique_ptr<device::DeviceLink> link_;
};

}  // namespace qf::cli
