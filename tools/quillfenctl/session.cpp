#include "session.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <system_error>

#include "device/result.h"
#include "device/service_loader.h"
#include "device/services/virtual/state_file.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "presenters/instance.h"
#include "text/language_keys.h"

namespace qf::cli {

namespace fs = std::filesystem;

namespace {

// The windowed program's executable name: its instance lock file is named after it.
constexpr std::string_view kWindowedProgramName = "quillfen";

std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buffer;
}

}  // namespace

std::string_view ProgramVersion() {
    return QFCTL_VERSION;
}

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
    // The user's folders are used where they exist; a command-line run makes none of them.
    session::SessionSource source{slot_, app::Environment::FromProcess()};
    source.makeUserFolders = false;
    core_ = std::make_unique<session::Session>(
        source, session::SessionWindows{prompter_, windows_, windows_, windows_,
                                        windows_.lightingView(), windows_, windows_});
    keyTexts_ =
        core_->languageLoaded() ? keys::LoadKeyTexts(core_->language()) : keys::BuiltinKeyTexts();
}

Session::~Session() {
    // The link withdraws its requests before the service goes; the virtual keyboard saves its
    // state as it goes; the trace is closed last.
    core_.reset();
    slot_.Bind(nullptr);
    locator_.reset();
    tracing_.reset();
    libraryService_.reset();
    virtualKeyboard_.reset();
    if (traceFile_ != nullptr) {
        std::fclose(traceFile_);
    }
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
                return kExitFile;
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
        // A change the state file cannot keep fails its command (status 0xFE); the reason is
        // kept so that the failure is told as the file problem it is.
        vopts.saveFailed = [this](const std::string& reason) { virtualSaveFailure_ = reason; };
        virtualStateFile_ = state;
        virtualKeyboard_ = std::make_unique<vkbd::VirtualKeyboard>(vopts);
        return kExitOk;
    }
    if (!options_.deviceService.empty()) {
        libraryService_ = device::LoadDeviceServiceFrom(options_.deviceService, error);
    } else {
        libraryService_ = device::LoadDeviceService(core_->install().installFolder, error);
    }
    if (!libraryService_) {
        PrintMessage(error.empty() ? std::string("the device service could not be loaded") : error);
        return kExitDevice;
    }
    return kExitOk;
}

void Session::WriteTraceHeader() {
    // The first line says what produced the lines below it; readers skip '#' lines. Written
    // before the device service is loaded, so that a trace of a run that found none has it too.
    std::string service;
    if (options_.useVirtual) {
        service = options_.virtualState.empty()
                      ? std::string("virtual keyboard (default state file)")
                      : "virtual keyboard (state file " + options_.virtualState + ")";
    } else {
        service = options_.deviceService.empty() ? std::string("default device service")
                                                 : "device service " + options_.deviceService;
    }
    std::string line = "# quillfenctl " + std::string(ProgramVersion()) +
                       "; command line: " + options_.commandLine + "; " + service + "; " + UtcNow();
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    line += '\n';
    std::fputs(line.c_str(), traceFile_);
    std::fflush(traceFile_);
}

int Session::OpenKeyboard() {
    if (locator_) {
        return kExitOk;
    }
    if (!options_.trace.empty()) {
        traceFile_ = std::fopen(options_.trace.c_str(), "w");
        if (traceFile_ == nullptr) {
            PrintMessage("cannot write the trace file \"" + options_.trace +
                         "\": " + std::strerror(errno));
            return kExitFile;
        }
        WriteTraceHeader();
    }
    if (const int loaded = LoadService(); loaded != kExitOk) {
        return loaded;
    }
    device::DeviceService& inner = virtualKeyboard_
                                       ? static_cast<device::DeviceService&>(*virtualKeyboard_)
                                       : *libraryService_;
    tracing_ = std::make_unique<device::TracingService>(inner, traceFile_);
    locator_ = std::make_unique<FailureLocator>(*tracing_);
    slot_.Bind(locator_.get());
    (void)core_->IssueReadRequests();
    const int count = core_->link().transport().GetControlDeviceCount();
    core_->appState().lastDeviceCount.store(count > 0 ? static_cast<std::uint32_t>(count) : 0u);
    if (count <= 0) {
        tracing_->Comment("no keyboard attached");
        PrintMessage(core_->language().Text(text::TextId::MAIN_NO_DEVICE_PROMPT));
        PrintMessage(
            "no keyboard found (is it plugged in, and may this user open its hidraw "
            "nodes? the udev rule 70-quillfen.rules grants that)");
        return kExitDevice;
    }
    return kExitOk;
}

void Session::ReadDefaultKeymap() {
    keys::KeymapImage image{};
    (void)TakeFailure();
    const device::DeviceResult result = commands().ReadDefaultKeymap(image);
    const auto place = TakeFailure();
    if (result == device::DeviceResult::Ok) {
        core_->defaultKeymap().Set(image);
        return;
    }
    PrintMessage(
        core_->language().Text(text::TextId::MAIN_DEFAULT_MATRIX_PROMPT) + " (device result " +
        std::to_string(device::ToInt(result)) + ", " + std::string(device::DescribeResult(result)) +
        (place ? ", at " + place->where : std::string()) + "): the built-in layout is used");
}

std::optional<FailurePlace> Session::TakeFailure() {
    if (!locator_) {
        return std::nullopt;
    }
    auto place = locator_->FirstFailure();
    locator_->Clear();
    return place;
}

int Session::DeviceFailure(std::string_view what, device::DeviceResult result) {
    return DeviceFailure(what, result, TakeFailure());
}

int Session::DeviceFailure(std::string_view what, const device::Failure& failure) {
    auto place = TakeFailure();
    if (!place && failure.command) {
        // Nothing reached the keyboard: the record still names the command refused.
        place = FailurePlace{
            failure.code, device::DescribePlace(failure) + " (no report to the keyboard failed)"};
    }
    return DeviceFailure(what, failure.code, place);
}

int Session::DeviceFailure(std::string_view what, device::DeviceResult result,
                           const std::optional<FailurePlace>& place) {
    std::string text = std::string(what) + " failed: device result " +
                       std::to_string(device::ToInt(result)) + " (" +
                       std::string(device::DescribeResult(result)) + ")";
    if (place) {
        text += " at " + place->where;
        if (place->result != result) {
            // The operation reported another code than the report that failed first.
            text += ", which gave " + std::to_string(device::ToInt(place->result)) + " (" +
                    std::string(device::DescribeResult(place->result)) + ")";
        }
    } else {
        text += " (no report to the keyboard failed)";
    }
    PrintMessage(text);
    if (!virtualSaveFailure_.empty()) {
        PrintMessage("the virtual keyboard's state file \"" + virtualStateFile_.string() +
                     "\" cannot be written (" + virtualSaveFailure_ + "): the change is not kept");
        return kExitFile;
    }
    return kExitDevice;
}

int Session::Finish(int code) {
    if (code != kExitOk || !changesKeyboard_ || !virtualKeyboard_ || virtualStateFile_.empty()) {
        return code;
    }
    if (virtualKeyboard_->SaveState() != 1) {
        PrintMessage("the virtual keyboard's state file \"" + virtualStateFile_.string() +
                     "\" cannot be written (is it write-protected, or its folder?): the change "
                     "is lost when this run ends");
        return kExitFile;
    }
    return code;
}

int Session::CheckWindowedProgramNotRunning() {
    changesKeyboard_ = true;
    const char* runtime = std::getenv(std::string(presenters::kRuntimeDirVariable).c_str());
    const presenters::InstanceNames names = presenters::MakeInstanceNames(
        kWindowedProgramName, static_cast<unsigned>(::getuid()),
        runtime != nullptr ? std::optional<std::string>(runtime) : std::nullopt);
    const int fd = ::open(names.lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return kExitOk;  // no lock file: the program does not run
    }
    // A shared lock is refused while the running program holds its exclusive one.
    bool held = false;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        held = errno == EWOULDBLOCK;
    } else {
        (void)::flock(fd, LOCK_UN);
    }
    ::close(fd);
    if (!held) {
        return kExitOk;
    }
    if (options_.force) {
        PrintMessage("the windowed program runs (" + names.lockFile.string() +
                     " is locked); going on as --force asks: its next Apply may undo this "
                     "change until it reads the keyboard again");
        return kExitOk;
    }
    PrintMessage("the windowed program quillfen runs (" + names.lockFile.string() +
                 " is locked): its own copy of the keyboard would be out of date and its next "
                 "Apply would undo this change. Make the change in its window, close it first, "
                 "or give --force");
    return kExitDevice;
}

}  // namespace qf::cli
