// The main window's rules, without Qt. The Qt window forwards its commands (button clicks, menu
// choices), its window messages and timers, its keys and its close request here, and the
// presenter drives the window through MainWindowView and the core through the profile,
// lighting and monitor classes.
//
//   window ── OnCommand / OnMessage / OnTimer / OnKey ──▶ presenter ──▶ ProfileTransfers,
//          ◀──────────────── MainWindowView ────────────               ProfileSwitching, ...
//
// The presenter is also the core's view of the window: the profile switching's SwitchHost (its
// unapplied changes, its Apply, the profile menu), the transfers' UnappliedChanges and the
// device handlers' DeviceWindowView (behind monitor::CurrentProfileView). With a session:
//
//   session.BindSwitchHost(&presenter);
//   session.BindDeviceWindowView(&presenter);
//   keyboard view's apply-enabled callback -> presenter.MarkUnapplied()
//
// Busy scopes. A command that reads or writes the keyboard runs in a busy scope: the busy
// pointer shows, and device messages and timers arriving meanwhile (from a nested event loop of
// a message box, for example) wait and run in order when the scope ends, so that a refresh never
// frees the store under an Apply. Commands that would start a second transfer are refused
// while one runs; an end requested meanwhile (Exit, KILL, a signal) runs when it ends.
//
// No notification area. While the desktop has none, the window is never hidden: every step that
// would hide it keeps it shown (as an application window), and the user is told why once.
//
// Everything runs on the window thread, except IsReady, which any thread may read.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "lighting/lighting_model.h"
#include "monitor/monitor_views.h"
#include "monitor/window_handlers.h"
#include "presenters/commands.h"
#include "presenters/key_filter.h"
#include "presenters/lighting_panel.h"
#include "presenters/main_window_view.h"
#include "presenters/reports.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "profiles/switching.h"
#include "profiles/transfers.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::presenters {

// Said once when the desktop has no notification area.
inline constexpr std::string_view kNoNotificationAreaNotice =
    "No notification area (system tray) was found, so this window stays open instead of "
    "hiding. Its close button ends the program.";

struct MainWindowDependencies {
    MainWindowView& view;
    ShellControl& shell;
    FileChooser& files;
    LightingPanelPresenter& panel;
    text::Prompter& prompter;
    text::LanguageTable& language;
    std::filesystem::path languageFile;
    app::AppState& state;
    profiles::ProfileStore& store;
    profiles::ProfileTransfers& transfers;
    profiles::ProfileSwitching& switching;
    profiles::Assignments& assignments;
    lighting::LightingModel& lighting;
    monitor::DeviceWindowHandlers& handlers;
    std::filesystem::path helpPage;  // InstallPaths::helpPage
    std::string linkTarget;          // Main.ini [SCREEN] Link, or its default
};

enum class ApplyOutcome {
    NothingToApply,  // no unapplied changes: nothing was done
    Applied,         // saved and written; Apply disabled
    Failed,          // the user was told what failed; Apply stays enabled
    Refused,         // another transfer is running
};

class MainWindowPresenter final : public profiles::SwitchHost, public monitor::DeviceWindowView {
public:
    explicit MainWindowPresenter(MainWindowDependencies deps);
    MainWindowPresenter(const MainWindowPresenter&) = delete;
    MainWindowPresenter& operator=(const MainWindowPresenter&) = delete;

    // ---- Start-up ----
    // The end of the window's own initialisation (before it posts INIT to itself): Apply
    // disabled, the instance event names kept, the labels loaded and the texts set.
    void OnWindowCreated();
    // Loads the main-window labels and sets the window's texts (at start, and whenever the
    // language is applied again).
    void ApplyLanguage();
    [[nodiscard]] MainWindowTexts BuildTexts() const;
    // The ready flag: set by INIT once the notification-area icon exists. Any thread.
    [[nodiscard]] bool IsReady() const { return ready_.load(std::memory_order_acquire); }

    // ---- Input from the window ----
    // A button or menu command. False when the id is not a command of this window, or the
    // command was refused (a transfer is running, or the program is ending).
    bool OnCommand(std::uint32_t id);
    // A window message with its tag: INIT, OPEN, KILL and the device layer's PROF, LED and
    // removal. 1 when handled (or queued behind a running transfer), 0 for a wrong tag or an
    // unknown message.
    int OnMessage(std::uint32_t message, std::uint32_t tag);
    // A timer the window has stopped. True when it is one of the device layer's.
    bool OnTimer(std::uint32_t timerId);
    // A key before the controls see it: true when it must not reach them. F1's press opens the
    // help page.
    bool OnKey(WindowKey key, bool pressed, bool effectListFocused);
    // The window manager asks to close the window: hide it like Cancel, or end the program when
    // there is no notification area to go back to.
    void OnCloseRequested();
    // The profile button's context menu (right click): the profile menu's three profiles, the
    // active one checked. Its entries run the profile button's steps.
    void OnProfileButtonContextMenu();
    [[nodiscard]] std::vector<MenuItem> ProfileContextMenu() const;
    // The About box was hidden by its own OK or close box.
    void OnAboutBoxClosed();
    // The notification area appeared or went away.
    void OnTrayAvailabilityChanged(bool available);
    // The keyboard went away: the window hides (MainWindowLink::HideWindow).
    void RequestHide();
    // An editor changed the store: Apply enabled (the assignment view's EnableApply, the
    // editor's Apply, a committed macro list).
    void MarkUnapplied();

    // ---- Commands ----
    ApplyOutcome Apply();
    void Ok();
    void Cancel();
    void ProfileButton(int profile);
    void RestoreDefaults();
    void ShowPopupMenu();
    [[nodiscard]] std::vector<MenuItem> BuildPopupMenu();
    void Import();
    void Export();
    void About();
    void Help();
    void OpenLink();
    void Open();
    // The program's end (Exit, the close button and menu item, KILL, SIGTERM/SIGINT): runs
    // EndingSequence once; while a transfer runs, when it ends.
    void End();

    // ---- Busy scopes ----
    class BusyScope {
    public:
        explicit BusyScope(MainWindowPresenter& presenter) : presenter_(presenter) {
            presenter_.BeginBusy();
        }
        ~BusyScope() { presenter_.EndBusy(); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        MainWindowPresenter& presenter_;
    };
    [[nodiscard]] bool busy() const { return busyDepth_ > 0; }

    // ---- State ----
    [[nodiscard]] bool unappliedChanges() const { return unapplied_; }
    [[nodiscard]] bool fullDownloadPending() const { return fullDownloadPending_; }
    [[nodiscard]] bool windowShown() const { return shown_; }
    [[nodiscard]] bool trayAvailable() const { return trayAvailable_; }
    [[nodiscard]] bool aboutOpen() const { return aboutOpen_; }
    [[nodiscard]] bool ending() const { return ending_; }
    [[nodiscard]] const std::vector<std::string>& eventNames() const { return eventNames_; }
    [[nodiscard]] const MacroMeter& macroMeter() const { return meter_; }
    // Recomputes the meter from the store's macros and the keyboard's capacity and shows it.
    void RefreshMacroMeter();

    // ---- profiles::SwitchHost ----
    [[nodiscard]] bool HasUnappliedChanges() override { return unapplied_; }
    void ClearUnapplied() override;
    [[nodiscard]] bool IsEditorOpen() override;
    [[nodiscard]] bool ManagerHasUnappliedChanges() override;
    [[nodiscard]] int RunApply() override;
    [[nodiscard]] bool IsProfileManagerOpen() override;
    void CheckManagerRow(int profile) override;
    void DisableManagerApply() override;
    void ShowProfileMenu(const profiles::ProfileMenuModel& menu) override;

    // ---- monitor::DeviceWindowView ----
    void SetGButtonAssigned(std::size_t index, bool assigned) override;
    void SelectProfileButton(int profile) override;
    // The About box, the profile manager and the editor, each as by its own cancel.
    void CloseEditors() override;

private:
    struct DeviceEvent {
        bool timer = false;
        std::uint32_t id = 0;  // message or timer
        std::uint32_t tag = 0;
        bool operator==(const DeviceEvent&) const = default;
    };

    void BeginBusy();
    void EndBusy();
    void RunQueued();
    int DispatchDevice(const DeviceEvent& event);
    void OnInit();
    ApplyOutcome ApplyNow();
    void SetUnapplied(bool unapplied);
    void KeepShownWithoutTray();
    void RunEndingStep(EndingStep step);

    MainWindowDependencies deps_;
    std::atomic<bool> ready_{false};
    bool initialised_ = false;
    bool unapplied_ = false;
    bool fullDownloadPending_ = false;
    bool shown_ = false;
    bool trayAvailable_ = true;
    bool noTrayNoticeGiven_ = false;
    bool aboutOpen_ = false;
    bool ending_ = false;
    bool endRequested_ = false;
    bool draining_ = false;
    int busyDepth_ = 0;
    std::deque<DeviceEvent> queued_;
    std::vector<std::string> eventNames_;
    MacroMeter meter_;
};

}  // namespace qf::presenters
