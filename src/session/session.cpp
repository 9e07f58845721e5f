#include "session/session.h"

#include <system_error>

#include "text/safe_file.h"

namespace qf::session {

namespace fs = std::filesystem;

namespace {

// The language file once, at start: the message texts and the language setting. A missing or
// unreadable file keeps the built-in wordings (false).
bool LoadLanguage(const fs::path& file, text::LanguageTable& language, int& setting) {
    setting = 0;
    if (file.empty()) {
        return false;
    }
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        return false;
    }
    text::IniDocument doc;
    if (text::LoadIniFile(file, doc) != text::IniLoadResult::Loaded) {
        return false;
    }
    language.Load(text::TextLoader::MessageTexts, doc);
    setting = text::LanguageSetting(doc);
    return true;
}

// Where the user colour files go: a folder of the user's own. The install folder may be read-only
// (/usr/lib/quillfen), so the files sit in "$XDG_DATA_HOME/quillfen/Skins" (or
// "~/.local/share/quillfen/Skins"), named as beside the program. Without a home folder they stay
// beside the program.
fs::path UserColourRoot(const app::Environment& environment, const app::InstallPaths& install,
                        bool makeFolder) {
    if (environment.variable) {
        fs::path data;
        if (const auto xdg = environment.variable("XDG_DATA_HOME");
            xdg && fs::path(*xdg).is_absolute()) {
            data = *xdg;
        } else if (const auto home = environment.variable("HOME");
                   home && fs::path(*home).is_absolute()) {
            data = fs::path(*home) / ".local" / "share";
        }
        if (!data.empty()) {
            const fs::path root = data / "quillfen";
            if (!makeFolder) {
                return root;
            }
            std::error_code ec;
            fs::create_directories(root / "Skins", ec);
            if (!ec) {
                return root;
            }
        }
    }
    return install.installFolder;
}

}  // namespace

Session::Session(SessionSource source, SessionWindows windows) : windows_(windows) {
    if (app::BuildInstallPaths(source.environment.executable, install_) != 1) {
        // Without a known executable the program still runs; files beside it are not found.
        install_ = app::InstallPaths{};
    }
    app::UserPaths user;
    if (source.environment.variable && app::BuildUserPaths(source.environment, user) == 1) {
        user_ = user;
        if (source.makeUserFolders) {
            std::error_code ec;
            fs::create_directories(user_->profileFolder, ec);
        }
        // Temporary files of saves a crash interrupted; a save under way in another process
        // keeps its own.
        (void)text::RemoveStaleTempFiles(user_->profileFolder);
    }
    languageLoaded_ = LoadLanguage(install_.languageFile, language_, languageSetting_);
    if (!install_.mainSkin.file.empty()) {
        // A missing layout leaves every control at its default place; the window reports it.
        (void)text::LoadIniFile(install_.mainSkin.file, mainLayout_);
    }
    settings_ =
        std::make_unique<app::Settings>(iniFiles_, user_ ? user_->settingsStoreFile : fs::path());

    link_ = std::make_unique<device::DeviceLink>(source.service, source.timing);
    active_ = std::make_unique<profiles::ActiveProfile>(link_->commands(), appState_);
    assignments_ = std::make_unique<profiles::Assignments>(profiles::AssignmentDependencies{
        store_, windows_.assignmentView, *active_, bank_, language_, windows_.prompter});
    transfers_ = std::make_unique<profiles::ProfileTransfers>(profiles::TransferDependencies{
        link_->commands(), store_, defaultKeymap_, appState_, windows_.prompter, language_,
        ProfileFolder(), *active_, *assignments_, windows_.switchHost});
    switching_ = std::make_unique<profiles::ProfileSwitching>(
        profiles::SwitchDependencies{store_, *active_, *assignments_, windows_.switchHost,
                                     windows_.prompter, language_, ProfileFolder(), *transfers_});
    lighting_ = std::make_unique<lighting::LightingModel>(link_->commands(), windows_.lightingView,
                                                          iniFiles_, UserSettingsFile());
    userColours_ = std::make_unique<lighting::UserColourFiles>(
        iniFiles_, UserColourRoot(source.environment, install_, source.makeUserFolders));
    recorder_ = std::make_unique<macros::MacroRecorder>(
        source.clock ? source.clock : macros::TickSource(&macros::SteadyTickMs), *settings_,
        language_, &hooks_);

    keyboardRefresh_ = std::make_unique<monitor::TransfersKeyboardRefresh>(*transfers_);
    lightingRefresh_ = std::make_unique<monitor::LightingModelRefresh>(*lighting_);
    currentView_ =
        std::make_unique<monitor::CurrentProfileView>(windows_.deviceWindowView, *lighting_);
    handlers_ = std::make_unique<monitor::DeviceWindowHandlers>(monitor::WindowHandlerDependencies{
        windows_.window, store_, led_, *currentView_, *keyboardRefresh_, lightingRefresh_.get(),
        std::move(source.trace)});
    monitor_ = std::make_unique<monitor::DeviceMonitor>(
        monitor::MonitorDependencies{
            .link = *link_,
            .appState = appState_,
            .window = windows_.window,
            .ledStatus = led_,
            .bankView = windows_.bankView,
            .defaultKeymap = defaultKeymap_,
            .prompter = windows_.prompter,
            .language = language_,
        },
        source.monitorTiming);
}

Session::~Session() {
    StopMonitor();
    // The members go in reverse order: the monitor and the handlers before the core objects
    // they call, the link before the service its owner frees after us.
}

fs::path Session::ProfileFolder() const {
    return user_ ? user_->profileFolder : fs::path();
}

fs::path Session::UserSettingsFile() const {
    return user_ ? user_->userSettingsFile : fs::path();
}

void Session::SetPanelRefresh(std::function<void()> refresh) {
    lightingRefresh_->SetPanelRefresh(std::move(refresh));
}

int Session::IssueReadRequests() {
    return link_->IssueReadRequests();
}

std::uint32_t Session::StartMonitor() {
    if (monitorStarted_) {
        return appState_.lastDeviceCount.load();
    }
    monitorStarted_ = true;
    return monitor_->Start();
}

void Session::StopMonitor() {
    if (monitorStarted_) {
        monitor_->Stop();
        monitorStarted_ = false;
    }
    link_->SetListener(nullptr);
}

int Session::VerifyKeyboard(bool allProfiles, profiles::VerifyReport& report) {
    const profiles::DownloadDependencies deps{link_->commands(), defaultKeymap_, appState_,
                                              windows_.prompter, language_};
    auto access = store_.Lock();
    return profiles::VerifyKeyboardHolds(*access, allProfiles, deps, report);
}

void Session::FreeStores() {
    {
        auto access = store_.Lock();
        *access = profiles::StoreContents{};
    }
    auto staging = store_.staging().Lock();
    *staging = profiles::StoreContents{};
}

}  // namespace qf::session
