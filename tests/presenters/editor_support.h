// Recording fakes and a fixture for the presenter tests of the assignment editor, the hook
// owner and the profile manager: the store, the assignments, the switching and the transfers
// wired to an in-process virtual keyboard, with temporary folders for the profile folder and
// the settings store.
#pragma once

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/settings.h"
#include "device/device_link.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "keys/default_keymap.h"
#include "macros/recorder.h"
#include "presenters/editor_model.h"
#include "presenters/hook_owner.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "profiles/switching.h"
#include "profiles/transfers.h"
#include "support/temp_folder.h"
#include "text/ini_file.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::presenters::testing {

class FakePrompter final : public text::Prompter {
public:
    void ShowMessage(text::TextId id, std::string_view text) override {
        messages.emplace_back(id, std::string(text));
    }
    bool AskYesNo(text::TextId id, std::string_view /*text*/) override {
        questions.push_back(id);
        return answer;
    }
    std::vector<text::TextId> MessageIds() const;

    std::vector<std::pair<text::TextId, std::string>> messages;
    std::vector<text::TextId> questions;
    bool answer = false;
};

struct ButtonState {
    bool assigned = false;
    std::string caption;
};

class FakeKeyboardView final : public profiles::AssignmentView {
public:
    void SetKeyButton(std::size_t button, bool assigned, const std::string& caption) override {
        keys[button] = {assigned, caption};
    }
    void SetGButton(std::size_t g, bool assigned, const std::string& caption) override {
        gKeys[g] = {assigned, caption};
    }
    void EnableApply() override { ++applyEnabled; }
    void Redraw() override {}

    std::map<std::size_t, ButtonState> keys;
    std::map<std::size_t, ButtonState> gKeys;
    int applyEnabled = 0;
};

struct FakeBank final : profiles::KeyBankSource {
    bool BankB() const override { return bankB; }
    bool bankB = false;
};

// The main window as switching and the profile manager see it.
class FakeMainWindow final : public profiles::SwitchHost {
public:
    bool HasUnappliedChanges() override { return unapplied; }
    void ClearUnapplied() override {
        unapplied = false;
        events.emplace_back("clear");
    }
    bool IsEditorOpen() override { return isEditorOpen ? isEditorOpen() : false; }
    bool ManagerHasUnappliedChanges() override { return false; }
    int RunApply() override {
        events.emplace_back("apply");
        return onApply ? onApply() : 1;
    }
    bool IsProfileManagerOpen() override { return false; }
    void CheckManagerRow(int /*profile*/) override {}
    void DisableManagerApply() override {}
    void ShowProfileMenu(const profiles::ProfileMenuModel& menu) override {
        lastMenu = menu;
        ++menuShows;
    }

    bool unapplied = false;
    std::function<bool()> isEditorOpen;
    std::function<int()> onApply;
    std::vector<std::string> events;
    profiles::ProfileMenuModel lastMenu;
    int menuShows = 0;
};

// The window side of the hooks: whether the event filter and the grab are held.
class FakeGrab final : public KeyboardGrab {
public:
    bool Take() override {
        ++takes;
        held = works;
        return works;
    }
    void Release() override {
        ++releases;
        held = false;
    }

    bool works = true;
    bool held = false;
    int takes = 0;
    int releases = 0;
};

class FakeEditorView final : public EditorView {
public:
    void EditorChanged(std::uint32_t changes) override {
        all |= changes;
        calls.push_back(changes);
    }
    bool Saw(std::uint32_t change) const { return (all & change) != 0; }
    void Forget() {
        all = 0;
        calls.clear();
    }

    std::uint32_t all = 0;
    std::vector<std::uint32_t> calls;
};

// A key event as the X11 event filter delivers it: native code evdev + 8, Num Lock on.
NativeKeyEvent NativeKey(std::uint16_t evdev, bool pressed, bool autoRepeat = false,
                         std::uint32_t modifiers = kX11Mod2Mask);

// A stored macro with `actions` presses and releases of "A", 20 ms apart.
macros::MacroRecord StoredMacro(std::uint16_t id, std::u16string_view name, std::size_t actions);

// The store, the keyboard and the window-side fakes every presenter test uses.
class KeyboardRig : public ::testing::Test {
protected:
    KeyboardRig();
    void SetUp() override;

    // The keyboard's active on-board profile (device info byte 10), as it reports it.
    void SetKeyboardProfile(std::uint8_t profile);
    [[nodiscard]] std::uint8_t KeyboardProfile() const;
    [[nodiscard]] std::filesystem::path ProfileFolder() const { return docs / "Quillfen_09A"; }

    // Record `k` of key block `block`, and setting it.
    [[nodiscard]] keys::KeyRecord Record(std::size_t block, std::size_t k);
    void SetRecord(std::size_t block, std::size_t k, const keys::KeyRecord& record);
    void SetMacros(std::vector<macros::MacroRecord> list);
    [[nodiscard]] std::vector<macros::MacroRecord> StoreMacros();

    qf::testing::TempFolder docs;
    qf::testing::TempFolder config;
    vkbd::VirtualKeyboard keyboard;
    device::DeviceLink link{keyboard, device::TransactionTiming::Scaled(0.1)};
    profiles::ProfileStore store;
    keys::DefaultKeymap defaultKeymap;
    app::AppState state;
    text::LanguageTable language;
    text::IniFiles iniFiles;
    app::Settings settings{iniFiles, config / "Quillfen_Orvanti" / "Quillfen.conf"};
    FakePrompter prompter;
    FakeKeyboardView keyboardView;
    FakeBank bank;
    FakeMainWindow mainWindow;
    profiles::ActiveProfile active{link.commands(), state};
    profiles::Assignments assignments{{store, keyboardView, active, bank, language, prompter}};
    profiles::ProfileTransfers transfers;
    profiles::ProfileSwitching switching;

    // The hooks and the recorder, with a clock the test moves.
    std::uint32_t now = 5000;
    FakeGrab grab;
    HookOwner hooks{grab};
    macros::MacroRecorder recorder{[this] { return now; }, settings, language, &hooks};
};

}  // namespace qf::presenters::testing
