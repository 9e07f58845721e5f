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
#include "support/profile_fakes.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "text/ini_file.h"
#include "text/language.h"

namespace qf::presenters::testing {

using qf::testing::ButtonState;
using FakePrompter = qf::testing::RecordingPrompter;
using FakeKeyboardView = qf::testing::RecordingAssignmentView;
using FakeBank = qf::testing::FixedBank;
// The main window as switching and the profile manager see it.
using FakeMainWindow = qf::testing::RecordingSwitchHost;

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
