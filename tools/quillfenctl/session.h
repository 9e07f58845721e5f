// One run of quillfenctl: its global options, the trace around the keyboard it talks to, the
// terminal it asks on, and the program's session (session/session.h) built over them, which
// holds everything else: files, texts, store, transfers, assignments, lighting, device link.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "device/device_service.h"
#include "device/failure.h"
#include "device/result.h"
#include "device/tracing_service.h"
#include "failure_locator.h"
#include "keys/key_names.h"
#include "service_slot.h"
#include "session/no_windows.h"
#include "session/session.h"
#include "terminal.h"

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
    TerminalPrompter& prompter() { return prompter_; }
    // The program's session. Its device link reaches the keyboard once OpenKeyboard has run;
    // before that it finds none. Its monitor is never started: a run sends only what its
    // command asks for.
    session::Session& core() { return *core_; }
    // The key and function names in the language file's wording.
    const keys::KeyTexts& keyTexts() const { return keyTexts_; }

    // Loads the device service, opens the trace, issues the read requests and checks that a
    // keyboard is attached; reports what went wrong. kExitOk, or the exit code to end with.
    [[nodiscard]] int OpenKeyboard();
    // The keyboard's own default keymap replaces the built-in one; a failed read keeps the
    // built-in one and says so. Call after OpenKeyboard.
    void ReadDefaultKeymap();

    device::DeviceCommands& commands() { return core_->commands(); }
    device::TracingService& tracing() { return *tracing_; }

    // Says that `what` failed with device result `result` and where (the command, profile and
    // chunk of the first report that failed, when one did); kExitDevice.
    int DeviceFailure(std::string_view what, device::DeviceResult result);
    // The same with the place already taken (TakeFailure).
    int DeviceFailure(std::string_view what, device::DeviceResult result,
                      const std::optional<FailurePlace>& place);
    // The same for an operation that returned its failure record: the code is the record's,
    // the place the first report that failed or, when none did (nothing was sent), the
    // record's command and block.
    int DeviceFailure(std::string_view what, const device::Failure& failure);
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
    void WriteTraceHeader();
    [[nodiscard]] int LoadService();

    GlobalOptions options_;
    TerminalPrompter prompter_;

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
    // What the session's link talks to: the locator around the trace, once the keyboard is
    // open.
    ServiceSlot slot_;
    session::NoWindows windows_;
    std::unique_ptr<session::Session> core_;
    keys::KeyTexts keyTexts_;
};

}  // namespace qf::cli
