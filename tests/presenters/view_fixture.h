// The keyboard view and lighting panel presenters over the virtual keyboard, wired as the
// program wires them: the lighting model, the assignments, the profile switching and the user
// colour files are the real ones; the widgets, the editor, the windows' switch host and the
// prompter are recording fakes. Files go to a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/settings.h"
#include "device/commands.h"
#include "device/device_link.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "lighting/lighting_model.h"
#include "lighting/user_colour_file.h"
#include "monitor/led_status.h"
#include "presenters/keyboard_view.h"
#include "presenters/lighting_panel.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "profiles/switching.h"
#include "support/monitor_fakes.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "text/ini_file.h"
#include "text/language.h"

namespace qf::presenters::test {

using Bytes = std::vector<std::uint8_t>;
using device::Command;

// One control report as the keyboard received it.
struct Request {
    Command command{};
    std::uint8_t length = 0;
    std::uint16_t address = 0;
    Bytes data;  // the written bytes, for writes

    friend bool operator==(const Request&, const Request&) = default;
};

// Records what the presenter shows, and passes it on to `also` when set (real widgets).
class RecordingKeyboardWidgets final : public KeyboardViewWidgets {
public:
    void PlaceButton(const ButtonPlacement& placement) override {
        placements[placement.button] = placement;
        if (also != nullptr) {
            also->PlaceButton(placement);
        }
    }
    void ShowButton(ViewButton button, const ButtonLook& look) override {
        shown[button] = look;
        ++shows;
        if (also != nullptr) {
            also->ShowButton(button, look);
        }
    }
    void ShowArrow(ArrowSide side, const ArrowLook& look) override {
        arrows[side] = look;
        if (also != nullptr) {
            also->ShowArrow(side, look);
        }
    }

    std::map<ViewButton, ButtonPlacement> placements;
    std::map<ViewButton, ButtonLook> shown;
    std::map<ArrowSide, ArrowLook> arrows;
    int shows = 0;
    KeyboardViewWidgets* also = nullptr;
};

// The assignment editor: records what it was opened on; `whileOpen` runs as if the user worked
// in it.
class RecordingEditor final : public AssignmentEditorHost {
public:
    void OpenAssignmentEditor(const EditorRequest& request) override {
        requests.push_back(request);
        open = true;
        if (whileOpen) {
            whileOpen(request);
        }
        open = false;
    }

    std::vector<EditorRequest> requests;
    std::function<void(const EditorRequest&)> whileOpen;
    // The editor is open (also while a test pretends one is).
    bool open = false;
};

class RecordingPanelWidgets final : public LightingPanelWidgets {
public:
    void ShowPanel(const LightingPanelLook& look) override {
        shown.push_back(look);
        if (also != nullptr) {
            also->ShowPanel(look);
        }
    }
    std::vector<LightingPanelLook> shown;
    LightingPanelWidgets* also = nullptr;
};

// The window bridge's part: the lighting model is built before the keyboard view and reaches it
// through this view.
class ForwardingLightingView final : public lighting::LightingView {
public:
    void ClearAllTints() override { target->ClearAllTints(); }
    void TintAllKeys(lighting::Rgb c) override { target->TintAllKeys(c); }
    void TintZone(int zone, std::span<const lighting::KeyButtonId> buttons,
                  lighting::Rgb c) override {
        target->TintZone(zone, buttons, c);
    }
    lighting::LightingView* target = nullptr;
};

using qf::testing::LedBank;
using FakePrompter = qf::testing::RecordingPrompter;

// Switching's fall-back reload, which the view tests never reach: it reads nothing.
struct NoKeyboardReload final : profiles::KeyboardReload {
    int ReloadStoreFromKeyboard() override { return 0; }
};

class FakeSwitchHost final : public profiles::SwitchHost {
public:
    explicit FakeSwitchHost(const RecordingEditor& editor) : editor_(editor) {}
    bool HasUnappliedChanges() override { return false; }
    void ClearUnapplied() override {}
    bool IsEditorOpen() override { return editor_.open; }
    bool ManagerHasUnappliedChanges() override { return false; }
    int RunApply() override { return 1; }
    bool IsProfileManagerOpen() override { return false; }
    void CheckManagerRow(int) override {}
    void DisableManagerApply() override {}
    void ShowProfileMenu(const profiles::ProfileMenuModel&) override {}

private:
    const RecordingEditor& editor_;
};

// A main skin with every button of the keyboard view placed (each at its own place) but the
// layout keys in `omit`, the D buttons only when `withTopRow`, mode names and label texts.
std::string MainSkinText(const std::set<std::string>& omit = {}, bool withTopRow = true);

class ViewTest : public ::testing::Test {
protected:
    ViewTest();
    void SetUp() override;

    std::vector<Request> Requests() const;
    std::vector<Command> Commands() const;
    // Requests that change the keyboard's memory.
    std::vector<Request> Writes() const;
    void ClearTrace() { vk.ClearTrace(); }

    void SetKeyboardModes(std::initializer_list<std::uint8_t> codes);
    void SetKeyboardRecord(int profile, const Bytes& record);
    Bytes KeyboardRecord(int profile) const;
    void SetActiveProfile(std::uint8_t profile);
    // The panel switch as the settings file holds it (nothing when absent).
    std::optional<std::string> StoredPanelSwitch() const;
    // Reads the lighting state and refreshes the panel, as the window does on a full refresh.
    void ReadAndRefresh(bool withZoneColours = true);

    // The bank switch as the device monitor makes it: the LED word flips, then the bank view
    // (forwarded to the window thread) shows the indicator and the labels.
    void SwitchBank();

    const ButtonLook& Look(ViewButton button) const { return keyboard.LookOf(button); }

    qf::testing::TempFolder folder;
    vkbd::VirtualKeyboard vk;
    device::DeviceLink link{vk, device::TransactionTiming::Scaled(0.1)};
    app::AppState appState;
    text::IniFiles files;
    text::LanguageTable language;
    app::Settings settings{files, folder / "config/Quillfen_Orvanti/Quillfen.conf"};
    std::filesystem::path panelSwitchFile = folder / "Quillfen_09A/mrgo.ini";
    profiles::ProfileStore store;
    monitor::LedStatusWord led;
    LedBank bank{led};
    FakePrompter prompter;
    RecordingKeyboardWidgets keyWidgets;
    RecordingEditor editor;
    ForwardingLightingView lightingView;
    lighting::LightingModel model{link.commands(), lightingView, files, panelSwitchFile};
    int applyEnabled = 0;
    KeyboardViewPresenter keyboard;
    profiles::ActiveProfile active{link.commands(), appState};
    profiles::Assignments assignments{{store, keyboard, active, bank, language, prompter}};
    FakeSwitchHost host{editor};
    NoKeyboardReload reload;
    profiles::ProfileSwitching switching;
    lighting::UserColourFiles userColours{files, folder.Path()};
    text::IniDocument mainLayout = text::IniDocument::Parse(MainSkinText());
    RecordingPanelWidgets panelWidgets;
    LightingPanelPresenter panel;
};

}  // namespace qf::presenters::test
