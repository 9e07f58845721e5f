#include "presenters/main_window_presenter.h"

#include <system_error>

#include "app/window_messages.h"
#include "macros/macro_image.h"
#include "presenters/instance.h"
#include "text/language_keys.h"

namespace qf::presenters {

namespace {

using text::TextId;

constexpr int kOnBoardProfiles = 3;
constexpr std::uint32_t kCtlLastProfile = kCtlProfile1 + kOnBoardProfiles - 1;

bool IsOnBoardProfile(int profile) {
    return profile >= 0 && profile < kOnBoardProfiles;
}

// The tag each device-layer message carries; anything else is ignored.
std::uint32_t DeviceMessageTag(std::uint32_t message) {
    switch (message) {
        case app::kMsgProf:
            return app::kTagProf;
        case app::kMsgLed:
            return app::kTagLed;
        default:
            return app::kTagRemoved;
    }
}

}  // namespace

MainWindowPresenter::MainWindowPresenter(MainWindowDependencies deps) : deps_(std::move(deps)) {}

// ---- Start-up ----

void MainWindowPresenter::OnWindowCreated() {
    SetUnapplied(false);
    eventNames_ = InstanceEventNames();
    ApplyLanguage();
}

void MainWindowPresenter::ApplyLanguage() {
    (void)deps_.language.Load(text::TextLoader::MainWindowLabels, deps_.languageFile);
    deps_.view.SetTexts(BuildTexts());
}

MainWindowTexts MainWindowPresenter::BuildTexts() const {
    const auto& language = deps_.language;
    MainWindowTexts texts;
    texts.title = language.Text(TextId::MAIN_CAPTION);
    texts.captions = {
        {kCtlMacro, language.Text(TextId::PROFILE_MACRO)},
        {kCtlOk, language.Text(TextId::PROFILE_OK)},
        {kCtlCancel, language.Text(TextId::PROFILE_CANCLE)},
        {kCtlApply, language.Text(TextId::PROFILE_APPLY)},
        {kCtlProfile1, language.Text(TextId::PROFILE_1)},
        {kCtlProfile1 + 1, language.Text(TextId::PROFILE_2)},
        {kCtlProfile1 + 2, language.Text(TextId::PROFILE_3)},
        {kCtlDefault, language.Text(TextId::PROFILE_DEFAULT)},
        {kCtlVersion, language.Text(TextId::MAIN_BUTTON_ZORVAT_VER)},
    };
    texts.tooltips = {
        {kCtlHelp, language.Text(TextId::MAIN_HELP_PROMPT)},
        {kCtlMinimize, language.Text(TextId::MAIN_MINIMIZE_PROMPT)},
        {kCtlMenu, language.Text(TextId::MAIN_MENU_PROMPT)},
        {kCtlClose, language.Text(TextId::MAIN_CLOSE_PROMPT)},
        {kCtlLink, deps_.linkTarget},
    };
    return texts;
}

void MainWindowPresenter::OnInit() {
    if (initialised_ || ending_) {
        return;
    }
    initialised_ = true;
    // The icon first: the presence thread waits for the ready flag before it sets the icon's
    // picture or posts OPEN.
    trayAvailable_ = deps_.view.CreateTrayIcon(deps_.language.Text(TextId::KEYBOARD_TRAY_DESC),
                                               app::kIconNoKeyboard);
    {
        BusyScope busy(*this);
        deps_.switching.RebuildProfileMenu();
    }
    ready_.store(true, std::memory_order_release);
    RefreshMacroMeter();
    RequestHide();
}

// ---- Input from the window ----

bool MainWindowPresenter::OnCommand(std::uint32_t id) {
    if (ending_) {
        return false;
    }
    if (id >= kCtlProfile1 && id <= kCtlLastProfile) {
        if (busy()) {
            return false;
        }
        ProfileButton(static_cast<int>(id - kCtlProfile1));
        return true;
    }
    if (id >= profiles::kProfileMenuDefaultId && id <= profiles::kProfileMenuLastId) {
        if (busy()) {
            return false;
        }
        const int index =
            static_cast<int>(id) - static_cast<int>(profiles::kProfileMenuFirstProfileId);
        if (IsOnBoardProfile(index)) {
            // The profile button's context menu: the same steps as the button.
            ProfileButton(index);
        } else {
            BusyScope scope(*this);
            (void)deps_.switching.SwitchProfile(index);
        }
        return true;
    }
    switch (id) {
        case kCtlOk:
            if (busy()) {
                return false;
            }
            Ok();
            return true;
        case kCtlCancel:
            Cancel();
            return true;
        case kCtlApply:
            return Apply() != ApplyOutcome::Refused;
        case kCtlProfiles:
            if (busy()) {
                return false;
            }
            deps_.view.OpenProfileManager();
            return true;
        case kCtlMacro:
            if (busy()) {
                return false;
            }
            deps_.view.OpenMacroEditor();
            return true;
        case kCtlHelp:
            Help();
            return true;
        case kCtlMinimize:
            deps_.view.MinimizeWindow();
            return true;
        case kCtlMenu:
            ShowPopupMenu();
            return true;
        case kCtlLink:
            OpenLink();
            return true;
        case kCtlDefault:
            if (busy()) {
                return false;
            }
            RestoreDefaults();
            return true;
        case kCmdImport:
            if (busy()) {
                return false;
            }
            Import();
            return true;
        case kCmdExport:
            if (busy()) {
                return false;
            }
            Export();
            return true;
        case kCmdAbout:
            About();
            return true;
        case kCmdOpen:
            Open();
            return true;
        case kCtlClose:
        case kCmdClose:
        case kCmdExit:
            End();
            return true;
        default:
            return false;
    }
}

int MainWindowPresenter::OnMessage(std::uint32_t message, std::uint32_t tag) {
    switch (message) {
        case app::kMsgInit:
            if (tag != app::kTagInit) {
                return 0;
            }
            OnInit();
            return 1;
        case app::kMsgOpen:
            if (tag != app::kTagOpen) {
                return 0;
            }
            Open();
            return 1;
        case app::kMsgKill:
            if (tag != app::kTagKill) {
                return 0;
            }
            End();
            return 1;
        default:
            break;
    }
    if (!monitor::DeviceWindowHandlers::Handles(message) || tag != DeviceMessageTag(message) ||
        ending_) {
        return 0;
    }
    const DeviceEvent event{false, message, tag};
    if (busy()) {
        if (queued_.empty() || !(queued_.back() == event)) {
            queued_.push_back(event);
        }
        return 1;
    }
    return DispatchDevice(event);
}

bool MainWindowPresenter::OnTimer(std::uint32_t timerId) {
    if (ending_ || (timerId != app::kTimerRereadLighting && timerId != app::kTimerRereadKeyboard)) {
        return false;
    }
    const DeviceEvent event{true, timerId, 0};
    if (busy()) {
        if (queued_.empty() || !(queued_.back() == event)) {
            queued_.push_back(event);
        }
        return true;
    }
    (void)DispatchDevice(event);
    return true;
}

bool MainWindowPresenter::OnKey(WindowKey key, bool pressed, bool effectListFocused) {
    const KeyDecision decision = FilterWindowKey(key, effectListFocused);
    if (decision == KeyDecision::Help) {
        if (pressed) {
            Help();
        }
        return true;
    }
    return decision == KeyDecision::Swallow;
}

void MainWindowPresenter::OnCloseRequested() {
    if (trayAvailable_) {
        Cancel();
    } else {
        End();
    }
}

std::vector<MenuItem> MainWindowPresenter::ProfileContextMenu() const {
    // From the active profile as last read, so that opening the menu costs no transaction.
    const profiles::ProfileMenuModel menu =
        deps_.switching.BuildProfileMenu(deps_.state.activeProfile.load());
    std::vector<MenuItem> items;
    for (const auto& entry : menu.entries) {
        const int index = static_cast<int>(entry.commandId) -
                          static_cast<int>(profiles::kProfileMenuFirstProfileId);
        if (!entry.separator && IsOnBoardProfile(index)) {
            items.push_back({entry.commandId, entry.text, false, entry.checked});
        }
    }
    return items;
}

void MainWindowPresenter::OnProfileButtonContextMenu() {
    if (ending_) {
        return;
    }
    deps_.view.ShowMenuAtPointer(ProfileContextMenu());
}

void MainWindowPresenter::OnAboutBoxClosed() {
    aboutOpen_ = false;
}

void MainWindowPresenter::OnTrayAvailabilityChanged(bool available) {
    trayAvailable_ = available;
    if (!available && ready_.load() && !ending_) {
        KeepShownWithoutTray();
    }
}

void MainWindowPresenter::RequestHide() {
    if (ending_) {
        return;
    }
    if (!trayAvailable_) {
        KeepShownWithoutTray();
        return;
    }
    deps_.view.HideWindow();
    shown_ = false;
}

void MainWindowPresenter::KeepShownWithoutTray() {
    if (!shown_) {
        deps_.view.ShowAsApplicationWindow();
        shown_ = true;
    }
    if (!noTrayNoticeGiven_) {
        noTrayNoticeGiven_ = true;
        deps_.view.ReportNotice(kNoNotificationAreaNotice);
    }
}

void MainWindowPresenter::MarkUnapplied() {
    if (ending_) {
        return;
    }
    SetUnapplied(true);
    RefreshMacroMeter();
}

void MainWindowPresenter::SetUnapplied(bool unapplied) {
    unapplied_ = unapplied;
    deps_.view.SetApplyEnabled(unapplied);
}

// ---- Commands ----

ApplyOutcome MainWindowPresenter::Apply() {
    if (busy()) {
        return ApplyOutcome::Refused;
    }
    return ApplyNow();
}

ApplyOutcome MainWindowPresenter::ApplyNow() {
    if (ending_) {
        return ApplyOutcome::Refused;
    }
    if (!unapplied_) {
        return ApplyOutcome::NothingToApply;
    }
    BusyScope scope(*this);
    profiles::ApplyReport report;
    if (deps_.transfers.ApplyChanges(&report, fullDownloadPending_) == 1) {
        fullDownloadPending_ = false;
        return ApplyOutcome::Applied;
    }
    std::error_code ec;
    const auto cache = deps_.transfers.CachePath();
    deps_.view.ReportFailure(
        DescribeApplyFailure(report, cache, std::filesystem::exists(cache, ec)));
    SetUnapplied(true);
    return ApplyOutcome::Failed;
}

int MainWindowPresenter::RunApply() {
    // Asked by the profile switching, usually from inside a command's busy scope: the Apply
    // belongs to that command, so it runs although a transfer is under way.
    const ApplyOutcome outcome = ApplyNow();
    return outcome == ApplyOutcome::Applied || outcome == ApplyOutcome::NothingToApply ? 1 : 0;
}

void MainWindowPresenter::Ok() {
    const ApplyOutcome outcome = Apply();
    if (outcome == ApplyOutcome::Applied || outcome == ApplyOutcome::NothingToApply) {
        RequestHide();
    }
}

void MainWindowPresenter::Cancel() {
    RequestHide();
}

void MainWindowPresenter::ProfileButton(int profile) {
    if (ending_ || busy() || !IsOnBoardProfile(profile)) {
        return;
    }
    BusyScope scope(*this);
    (void)deps_.lighting.SetCurrentProfile(profile);
    (void)deps_.lighting.ReadLightingState(false);
    deps_.panel.RefreshLightingPanel();
    if (deps_.lighting.state().panelOn) {
        deps_.panel.SwitchPanelOff();
    }
    if (deps_.transfers.ReadActiveProfile() != profile &&
        deps_.switching.SwitchProfile(profile) == 1) {
        deps_.view.SelectProfileButton(profile);
        deps_.view.RedrawKeyButtons();
    }
}

void MainWindowPresenter::RestoreDefaults() {
    if (ending_ || busy()) {
        return;
    }
    if (!deps_.prompter.AskYesNo(TextId::MAIN_PROMPT_DEFAULT,
                                 deps_.language.Text(TextId::MAIN_PROMPT_DEFAULT))) {
        return;
    }
    if (ending_) {
        return;  // the program began to end while the question was open
    }
    BusyScope scope(*this);
    deps_.assignments.ResetAllAssignments();
    if (deps_.lighting.state().panelOn) {
        deps_.panel.RestoreLightingDefaults();
    }
    (void)RunApply();
}

std::vector<MenuItem> MainWindowPresenter::BuildPopupMenu() {
    (void)deps_.language.Load(text::TextLoader::MainMenu, deps_.languageFile);
    const auto& language = deps_.language;
    return {
        {kCmdImport, language.Text(TextId::MENU_1), false, false},
        {kCmdExport, language.Text(TextId::MENU_2), false, false},
        {kCmdAbout, language.Text(TextId::MENU_3), false, false},
        {kCmdClose, language.Text(TextId::MENU_4), false, false},
    };
}

void MainWindowPresenter::ShowPopupMenu() {
    if (ending_) {
        return;
    }
    deps_.view.ShowMenuAtPointer(BuildPopupMenu());
}

void MainWindowPresenter::Import() {
    if (ending_ || busy()) {
        return;
    }
    const auto path = deps_.files.ChooseOpenFile(ProfileOpenDialog());
    if (!path || ending_) {
        return;
    }
    BusyScope scope(*this);
    profiles::DownloadReport report;
    const profiles::ImportResult result = deps_.transfers.ImportProfileFile(*path, &report);
    if (result.result != 1) {
        return;  // the transfers said why; the store and Apply are as they were
    }
    if (result.download == device::DeviceResult::Ok) {
        fullDownloadPending_ = false;
        return;
    }
    // The file is the store now but not on the keyboard: the next Apply writes all three
    // profiles, as the import would have.
    fullDownloadPending_ = true;
    SetUnapplied(true);
    deps_.view.ReportFailure(DescribeImportDownloadFailure(report));
}

void MainWindowPresenter::Export() {
    if (ending_ || busy()) {
        return;
    }
    const auto path = deps_.files.ChooseSaveFile(ProfileSaveDialog());
    if (!path || ending_) {
        return;
    }
    BusyScope scope(*this);
    std::string error;
    if (profiles::ExportProfileFile(deps_.store, *path, &error) != 1) {
        deps_.view.ReportFailure(DescribeExportFailure(*path, error));
    }
}

void MainWindowPresenter::About() {
    if (ending_) {
        return;
    }
    if (aboutOpen_) {
        deps_.view.RaiseAboutBox();
        return;
    }
    (void)deps_.language.Load(text::TextLoader::AboutBox, deps_.languageFile);
    aboutOpen_ = true;
    deps_.view.ShowAboutBox({deps_.language.Text(TextId::GUANYU_JIESHAO),
                             deps_.language.Text(TextId::GUANYU_BANQUAN), deps_.linkTarget});
}

void MainWindowPresenter::Help() {
    if (!ending_) {
        deps_.view.OpenLocalFile(deps_.helpPage);
    }
}

void MainWindowPresenter::OpenLink() {
    if (!ending_) {
        deps_.view.OpenUrl(deps_.linkTarget);
    }
}

void MainWindowPresenter::Open() {
    if (ending_) {
        return;
    }
    if (deps_.state.lastDeviceCount.load() > 0) {
        deps_.view.ShowAsApplicationWindow();
        shown_ = true;
        return;
    }
    deps_.prompter.ShowMessage(TextId::MAIN_NO_DEVICE_PROMPT,
                               deps_.language.Text(TextId::MAIN_NO_DEVICE_PROMPT));
}

void MainWindowPresenter::End() {
    if (ending_) {
        return;
    }
    if (busy()) {
        endRequested_ = true;
        return;
    }
    ending_ = true;
    queued_.clear();
    for (const EndingStep step : EndingSequence()) {
        RunEndingStep(step);
    }
}

void MainWindowPresenter::RunEndingStep(EndingStep step) {
    switch (step) {
        case EndingStep::HideWindow:
            deps_.view.HideWindow();
            shown_ = false;
            return;
        case EndingStep::CloseSubWindows:
            CloseEditors();
            return;
        case EndingStep::ForgetEventNames:
            eventNames_.clear();
            return;
        case EndingStep::RemoveTrayIcon:
            deps_.view.RemoveTrayIcon();
            return;
        case EndingStep::ClearUnappliedChanges:
            SetUnapplied(false);
            return;
        default:
            deps_.shell.RunEndingStep(step);
            return;
    }
}

// ---- Busy scopes ----

void MainWindowPresenter::BeginBusy() {
    if (busyDepth_++ == 0 && !draining_) {
        deps_.view.SetBusy(true);
    }
}

void MainWindowPresenter::EndBusy() {
    if (--busyDepth_ > 0 || draining_) {
        return;
    }
    RunQueued();
}

void MainWindowPresenter::RunQueued() {
    draining_ = true;
    while (!queued_.empty() && !ending_) {
        const DeviceEvent event = queued_.front();
        queued_.pop_front();
        (void)DispatchDevice(event);
    }
    draining_ = false;
    deps_.view.SetBusy(false);
    if (endRequested_ && !ending_) {
        endRequested_ = false;
        End();
        return;
    }
    RefreshMacroMeter();
}

int MainWindowPresenter::DispatchDevice(const DeviceEvent& event) {
    BusyScope scope(*this);
    if (event.timer) {
        return deps_.handlers.OnTimer(event.id) ? 1 : 0;
    }
    const int handled = deps_.handlers.OnMessage(event.id, event.tag);
    if (event.id == app::kMsgProf && handled == 1) {
        // The store is the keyboard's own again: nothing is left to write.
        fullDownloadPending_ = false;
    }
    return handled;
}

void MainWindowPresenter::RefreshMacroMeter() {
    if (ending_) {
        return;
    }
    macros::ImageSizes sizes;
    {
        auto store = deps_.store.Lock();
        sizes = macros::MacroImageSizes(store->macros);
    }
    meter_ = DescribeMacroMemory(sizes, deps_.state.macroMemorySize.load());
    deps_.view.ShowMacroMeter(meter_);
}

// ---- profiles::SwitchHost ----

void MainWindowPresenter::ClearUnapplied() {
    SetUnapplied(false);
}

bool MainWindowPresenter::IsEditorOpen() {
    return deps_.view.IsEditorOpen();
}

bool MainWindowPresenter::ManagerHasUnappliedChanges() {
    return deps_.view.ManagerHasUnappliedChanges();
}

bool MainWindowPresenter::IsProfileManagerOpen() {
    return deps_.view.IsProfileManagerOpen();
}

void MainWindowPresenter::CheckManagerRow(int profile) {
    deps_.view.CheckManagerRow(profile);
}

void MainWindowPresenter::DisableManagerApply() {
    deps_.view.DisableManagerApply();
}

void MainWindowPresenter::ShowProfileMenu(const profiles::ProfileMenuModel& menu) {
    deps_.view.SetProfileButton(menu.buttonCaption, menu.buttonTooltip);
}

// ---- monitor::DeviceWindowView ----

void MainWindowPresenter::SetGButtonAssigned(std::size_t index, bool assigned) {
    deps_.view.SetGButtonAssigned(index, assigned);
}

void MainWindowPresenter::SelectProfileButton(int profile) {
    deps_.view.SelectProfileButton(profile);
}

void MainWindowPresenter::CloseEditors() {
    if (aboutOpen_) {
        aboutOpen_ = false;
        deps_.view.CloseAboutBox();
    }
    deps_.view.CloseEditorAndManager();
}

}  // namespace qf::presenters
