#include "session.h"

#include <cstdlib>
#include <system_error>

#include "device/result.h"
#include "device/service_loader.h"
#include "device/services/virtual/state_file.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "lighting/lighting_files.h"
#include "text/language_keys.h"
#include "text/safe_file.h"

namespace qf::cli {

namespace fs = std::filesystem;

std::optional<fs::path> DefaultVirtualStateFile() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state != '\0' && fs::path(state).is_absolute()) {
        return fs::path(state) / kVirtualStateRelative;
    }
    const auto env = app::Environment::FromProcess();
    const auto home = env.variable(app::kHomeVariable);
    if (!home || home->empty() || !fs::path(*home).is_absolute()) {
        return std::nullopt;
    }
    return fs::path(*home) / ".local" / "state" / kVirtualStateRelative;
}

Session::Session(GlobalOptions options)
    : options_(std::move(options)), prompter_(options_.assumeYes) {
    const app::Environment env = app::Environment::FromProcess();
    if (BuildInstallPaths(env.executable, install_) != 1) {
        // Without /proc the program still runs; files beside it are then not found.
        install_ = app::InstallPaths{};
    }
    app::UserPaths user;
    if (BuildUserPaths(env, user) == 1) {
        user_ = user;
        // Temporary files of saves that a crash interrupted; a save under way in another
        // process keeps its own.
        (void)text::RemoveStaleTempFiles(user_->profileFolder);
    }
    LoadTexts();
}

Session::~Session() {
    // The link withdraws its requests before the service goes; the virtual keyboard saves its
    // state as it goes; the trace is closed last.
    link_.reset();
    tracing_.reset();
    libraryService_.reset();
    virtualKeyboard_.reset();
    if (traceFile_ != nullptr) {
        std::fclose(traceFile_);
    }
}

void Session::LoadTexts() {
    keyTexts_ = keys::BuiltinKeyTexts();
    if (install_.languageFile.empty()) {
        return;
    }
    std::error_code ec;
    if (!fs::is_regular_file(install_.languageFile, ec)) {
        return;  // the built-in wordings stay
    }
    text::IniDocument doc;
    if (text::LoadIniFile(install_.languageFile, doc) != text::kIniLoaded) {
        return;
    }
    language_.Load(text::TextLoader::MessageTexts, doc);
    keyTexts_ = keys::LoadKeyTexts(language_);
}

fs::path Session::ProfileFolder() const {
    return user_ ? user_->profileFolder : fs::path();
}

fs::path Session::UserSettingsFile() const {
    return user_ ? user_->userSettingsFile : fs::path();
}

int Session::LoadService() {
    std::string error;
    if (options_.useVirtual) {
        fs::path state;
        if (!options_.virtualState.empty()) {
            state = options_.virtualState;
        } else if (const auto def = DefaultVirtualStateFile()) {
            state = *def;
        }
        if (!state.empty()) {
            std::error_code ec;
            if (state.has_parent_path()) {
                fs::create_directories(state.parent_path(), ec);
            }
            if (ec) {
                PrintMessage("cannot create the folder of the virtual keyboard's state file \"" +
                             state.parent_path().string() + "\": " + ec.message());
                return kExitDevice;
            }
        }
        // A state file that is there but broken is not overwritten with a factory keyboard:
        // the user decides what becomes of it.
        std::error_code ec;
        if (!state.empty() && fs::exists(state, ec)) {
            vkbd::KeyboardMemory probe(vkbd::VirtualKeyboardOptions{}.macroUnits);
            if (vkbd::LoadStateFile(state, probe) != 1) {
                PrintMessage("the virtual keyboard's state file \"" + state.string() +
                             "\" is not a valid state file; move it away or choose another "
                             "with --virtual-state");
                return kExitFile;
            }
        }
        vkbd::VirtualKeyboardOptions vopts;
        vopts.stateFile = state;
        virtualKeyboard_ = std::make_unique<vkbd::VirtualKeyboard>(vopts);
        return kExitOk;
    }
    if (!options_.deviceService.empty()) {
        libraryService_ = device::LoadDeviceServiceFrom(options_.deviceService, error);
    } else {
        libraryService_ = device::LoadDeviceService(install_.installFolder, error);
    }
    if (!libraryService_) {
        PrintMessage(error.empty() ? std::string("the device service could not be loaded") : error);
        return kExitDevice;
    }
    return kExitOk;
}

int Session::OpenKeyboard() {
    if (link_) {
        return kExitOk;
    }
    if (!options_.trace.empty()) {
        traceFile_ = std::fopen(options_.trace.c_str(), "w");
        if (traceFile_ == nullptr) {
            PrintMessage("cannot write the trace file \"" + options_.trace + "\"");
            return kExitUsage;
        }
    }
    if (const int loaded = LoadService(); loaded != kExitOk) {
        return loaded;
    }
    device::DeviceService& inner = virtualKeyboard_
                                       ? static_cast<device::DeviceService&>(*virtualKeyboard_)
                                       : *libraryService_;
    tracing_ = std::make_unique<device::TracingService>(inner, traceFile_);
    link_ = std::make_unique<device::DeviceLink>(*tracing_);
    (void)link_->IssueReadRequests();
    const int count = link_->transport().GetControlDeviceCount();
    appState_.lastDeviceCount.store(count > 0 ? static_cast<std::uint32_t>(count) : 0u);
    if (count <= 0) {
        tracing_->Comment("no keyboard attached");
        PrintMessage(language_.Text(text::TextId::MAIN_NO_DEVICE_PROMPT));
        PrintMessage(
            "no keyboard found (is it plugged in, and may this user open its hidraw "
            "nodes? the udev rule 70-quillfen.rules grants that)");
        return kExitDevice;
    }
    return kExitOk;
}

void Session::ReadDefaultKeymap() {
    keys::KeymapImage image{};
    const int result = commands().ReadDefaultKeymap(image);
    if (result == device::kOk) {
        defaultKeymap_.Set(image);
        return;
    }
    PrintMessage(language_.Text(text::TextId::MAIN_DEFAULT_MATRIX_PROMPT) + " (device error " +
                 std::to_string(result) + ", " + std::string(device::DescribeResult(result)) +
                 "): the built-in layout is used");
}

int Session::DeviceFailure(std::string_view what, int result) {
    PrintMessage(std::string(what) + ": device error " + std::to_string(result) + " (" +
                 std::string(device::DescribeResult(result)) + ")");
    return kExitDevice;
}

}  // namespace qf::cli
