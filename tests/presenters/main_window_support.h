// The main window's presenter on the real core and an in-process virtual keyboard, with a
// recording window, shell, file chooser and prompter, in temporary folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window_link.h"
#include "device/device_link.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "keys/default_keymap.h"
#include "lighting/lighting_model.h"
#include "lighting/user_colour_file.h"
#include "monitor/core_adapters.h"
#include "monitor/led_status.h"
#include "monitor/window_handlers.h"
#include "presenters/lighting_panel.h"
#include "presenters/main_window_presenter.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "profiles/switching.h"
#include "profiles/transfers.h"
#include "support/lighting_fakes.h"
#include "support/monitor_fakes.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "text/ini_file.h"
#include "text/language.h"

namespace qf::presenters::testing {

using qf::testing::TempFolder;

// Every call of the window and the shell, in one ordered log ("hide", "step:free stores", ...).
using CallLog = std::vector<std::string>;

using WindowPrompter = qf::testing::RecordingPrompter;

// The window: what it shows, and its calls in the log.
class RecordingWindow final : public MainWindowView {
public:
    explicit RecordingWindow(CallLog& log) : log_(log) {}

    void ShowAsApplicationWindow() override {
        Log("show");
        shown = true;
    }
    void HideWindow() override {
        Log("hide");
        shown = false;
    }
    void MinimizeWindow() override { Log("minimise"); }
    void SetBusy(bool value) override {
        Log(value ? "busy" : "idle");
        busy = value;
    }
    void SetTexts(const MainWindowTexts& value) override { texts = value; }
    void SetApplyEnabled(bool enabled) override { applyEnabled = enabled; }
    void SetProfileButton(std::string_view caption, std::string_view tooltip) override {
        profileCaption = caption;
        profileTooltip = tooltip;
    }
    void SelectProfileButton(int profile) override { Log("select:" + std::to_string(profile)); }
    void SetGButtonAssigned(std::size_t index, bool) override { Log("g" + std::to_string(index)); }
    void RedrawKeyButtons() override { Log("redraw"); }
    void ShowMacroMeter(const MacroMeter& value) override { meter = value; }
    void ShowMenuAtPointer(const std::vector<MenuItem>& items) override {
        Log("menu");
        menu = items;
    }
    bool CreateTrayIcon(std::string_view tooltip, int iconId) override;
    void RemoveTrayIcon() override { Log("remove tray"); }
    void ShowAboutBox(const AboutBoxModel& model) override {
        Log("about");
        about = model;
    }
    void RaiseAboutBox() override { Log("raise about"); }
    void CloseAboutBox() override {
        Log("close about");
        about.reset();
    }
    void OpenProfileManager() override { Log("manager"); }
    void OpenMacroEditor() override { Log("macro editor"); }
    void CloseEditorAndManager() override {
        Log("close editors");
        managerOpen = false;
    }
    bool IsEditorOpen() override { return editorOpen; }
    bool IsProfileManagerOpen() override { return managerOpen; }
    bool ManagerHasUnappliedChanges() override { return false; }
    void CheckManagerRow(int) override {}
    void DisableManagerApply() override {}
    void OpenLocalFile(const std::filesystem::path& file) override { opened.push_back(file); }
    void OpenUrl(std::string_view url) override { opened.emplace_back(url); }
    void ReportFailure(std::string_view text) override;
    void ReportNotice(std::string_view text) override { notices.emplace_back(text); }

    // Inputs.
    bool trayAvailable = true;
    bool editorOpen = false;
    bool managerOpen = false;
    std::function<void()> onCreateTrayIcon;
    std::function<void()> onFailure;  // runs inside the failure box, as a nested loop

    // What the window shows.
    bool shown = false;
    bool busy = false;
    bool applyEnabled = false;
    MainWindowTexts texts;
    std::string profileCaption;
    std::string profileTooltip;
    MacroMeter meter;
    std::vector<MenuItem> menu;
    std::string trayTooltip;
    int trayIcon = 0;
    std::optional<AboutBoxModel> about;
    std::vector<std::string> failures;
    std::vector<std::string> notices;
    std::vector<std::string> opened;  // files and addresses handed to the desktop

private:
    void Log(std::string call) { log_.push_back(std::move(call)); }

    CallLog& log_;
};

class RecordingShell final : public ShellControl {
public:
    explicit RecordingShell(CallLog& log) : log_(log) {}
    void RunEndingStep(EndingStep step) override;

private:
    CallLog& log_;
};

class FakeFileChooser final : public FileChooser {
public:
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogSpec& spec) override;
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogSpec& spec) override;

    std::optional<std::filesystem::path> next;  // the answer of the next dialog
    std::vector<FileDialogSpec> dialogs;
};

// The keyboard view's side: its EnableApply reaches the presenter, as the window wires it.
class ForwardingAssignmentView final : public profiles::AssignmentView {
public:
    void SetKeyButton(std::size_t, bool, const std::string&) override {}
    void SetGButton(std::size_t, bool, const std::string&) override {}
    void EnableApply() override;
    void Redraw() override { ++redraws; }

    MainWindowPresenter* presenter = nullptr;
    int redraws = 0;
};

class PanelWidgets final : public LightingPanelWidgets {
public:
    void ShowPanel(const LightingPanelLook& look) override { shown.push_back(look); }
    std::vector<LightingPanelLook> shown;
};

using CountingLightingView = qf::testing::RecordingLightingView;

// The core objects are built before the window: they reach the presenter through this, bound
// once it exists.
class LateWindow final : public profiles::SwitchHost, public monitor::DeviceWindowView {
public:
    bool HasUnappliedChanges() override { return presenter->HasUnappliedChanges(); }
    void ClearUnapplied() override { presenter->ClearUnapplied(); }
    bool IsEditorOpen() override { return presenter->IsEditorOpen(); }
    bool ManagerHasUnappliedChanges() override { return presenter->ManagerHasUnappliedChanges(); }
    int RunApply() override { return presenter->RunApply(); }
    bool IsProfileManagerOpen() override { return presenter->IsProfileManagerOpen(); }
    void CheckManagerRow(int profile) override { presenter->CheckManagerRow(profile); }
    void DisableManagerApply() override { presenter->DisableManagerApply(); }
    void ShowProfileMenu(const profiles::ProfileMenuModel& menu) override {
        presenter->ShowProfileMenu(menu);
    }
    void SetGButtonAssigned(std::size_t index, bool assigned) override {
        presenter->SetGButtonAssigned(index, assigned);
    }
    void SelectProfileButton(int profile) override { presenter->SelectProfileButton(profile); }
    void CloseEditors() override { presenter->CloseEditors(); }

    MainWindowPresenter* presenter = nullptr;
};

// The window link as the bridge gives it on the window thread: sends run at once.
class DirectLink final : public app::MainWindowLink {
public:
    int SendMessage(std::uint32_t message, std::uint32_t tag) override {
        return presenter->OnMessage(message, tag);
    }
    void PostMessage(std::uint32_t message, std::uint32_t tag) override {
        posted.emplace_back(message, tag);
    }
    void StartTimer(std::uint32_t, std::uint32_t) override {}
    void SetTrayIcon(int) override {}
    bool IsReady() const override { return presenter->IsReady(); }
    void HideWindow() override { presenter->RequestHide(); }

    MainWindowPresenter* presenter = nullptr;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> posted;
};

using qf::testing::LedBank;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();
    void SetUp() override;

    device::DeviceCommands& commands() { return link.commands(); }
    std::filesystem::path CachePath() const;
    // The keyboard as the presence thread leaves it on arrival, then the full refresh it asks
    // for (the profile cache file is made).
    void ArriveAndRefresh();
    // Start-up up to a hidden window in the notification area, then OPEN.
    void StartAndShow();
    std::uint8_t KeyboardProfile() const;
    void SetKeyboardProfile(std::uint8_t profile);
    std::size_t Received(device::Command command) const;
    // The keymap blocks written since the trace was last cleared, in order, each once.
    std::vector<unsigned> KeymapBlocksWritten() const;
    // The lighting panel switched on, as the settings file keeps it.
    void SwitchPanelOn();
    // The call log entries that start with `prefix`.
    std::vector<std::string> Calls(std::string_view prefix) const;

    TempFolder install;
    TempFolder documents;
    std::filesystem::path profileFolder = documents / "Quillfen_09A";
    std::filesystem::path languageFile = install / "Skins" / "language.ini";
    std::filesystem::path helpPage = install / "Help" / "index.html";
    vkbd::VirtualKeyboard keyboard;
    device::DeviceLink link{keyboard, device::TransactionTiming::Scaled(0.1)};
    profiles::ProfileStore store;
    keys::DefaultKeymap defaultKeymap;
    app::AppState state;
    text::LanguageTable language;
    text::IniFiles iniFiles;
    monitor::LedStatusWord led;
    LedBank bank{led};
    CallLog log;
    WindowPrompter prompter;
    RecordingWindow window{log};
    RecordingShell shell{log};
    FakeFileChooser chooser;
    ForwardingAssignmentView assignmentView;
    CountingLightingView lightingView;
    LateWindow late;
    DirectLink windowLink;

    profiles::ActiveProfile active{link.commands(), state};
    profiles::Assignments assignments{{store, assignmentView, active, bank, language, prompter}};
    profiles::ProfileTransfers transfers;
    profiles::ProfileSwitching switching;
    lighting::LightingModel lighting;
    lighting::UserColourFiles userColours{iniFiles, install.Path()};
    text::IniDocument mainLayout;
    PanelWidgets panelWidgets;
    LightingPanelPresenter panel{{panelWidgets, lighting, lightingView, assignments, switching,
                                  active, userColours, mainLayout, 1}};
    monitor::TransfersKeyboardRefresh keyboardRefresh{transfers};
    monitor::LightingModelRefresh lightingRefresh{lighting,
                                                  [this] { panel.RefreshLightingPanel(); }};
    monitor::CurrentProfileView currentView{late, lighting};
    monitor::DeviceWindowHandlers handlers{
        {windowLink, store, led, currentView, keyboardRefresh, &lightingRefresh, {}}};
    MainWindowPresenter presenter;
};

}  // namespace qf::presenters::testing
