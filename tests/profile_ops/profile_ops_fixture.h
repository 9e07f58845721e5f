// The profile operations against the virtual keyboard: a fixture that wires the store, the
// transfers, the assignments and the switching to an in-process virtual keyboard, a temporary
// profile folder and the shared recording fakes of the windows and the prompter.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "device/device_link.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "keys/default_keymap.h"
#include "keys/keymap_image.h"
#include "macros/macro_image.h"
#include "macros/macro_record.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "profiles/switching.h"
#include "profiles/transfers.h"
#include "support/profile_fakes.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "text/language.h"

namespace qf::profiles::testing {

using Bytes = std::vector<std::uint8_t>;

using qf::testing::ButtonState;
using FakePrompter = qf::testing::RecordingPrompter;
using FakeView = qf::testing::RecordingAssignmentView;
using FakeBank = qf::testing::FixedBank;
using FakeHost = qf::testing::RecordingSwitchHost;
using qf::testing::ReadBytes;
using qf::testing::TempFolder;
using SentReport = vkbd::ReceivedRequest;

// A macro named `name` with `actions` presses and releases of "A", 20 ms apart.
macros::MacroRecord MakeMacro(std::uint16_t id, std::u16string_view name, std::size_t actions);

// The macro memory image of a list as the keyboard should hold it.
Bytes ImageOf(const std::vector<macros::MacroRecord>& list, bool names);

class ProfileOpsTest : public ::testing::Test {
protected:
    ProfileOpsTest();
    void SetUp() override;
    void TearDown() override;

    device::DeviceCommands& commands() { return link.commands(); }
    std::filesystem::path CachePath() const { return ProfileCachePath(folder.Path(), 0); }

    // The control reports sent since the trace was last cleared, retries included.
    std::vector<SentReport> Sent() const { return keyboard.ReceivedRequests(); }
    std::vector<std::uint8_t> SentCommands() const;
    // The keyboard's keymap of profile b, and its first n bytes of macro memory.
    keys::KeymapImage KeyboardKeymap(unsigned b) const;
    Bytes KeyboardMacroMemory(std::size_t n) const;
    void SetKeyboardKeymap(unsigned b, const keys::KeymapImage& image);
    void SetKeyboardProfile(std::uint8_t profile);
    void SetKeyboardMacroUnits(std::uint8_t units);

    // The keyboard as the presence thread leaves it: its default keymap read, macro memory size
    // in AppState.
    void NoteKeyboardArrival();

    TempFolder folder;
    vkbd::VirtualKeyboard keyboard;
    device::DeviceLink link{keyboard, device::TransactionTiming::Scaled(0.1)};
    ProfileStore store;
    keys::DefaultKeymap defaultKeymap;
    app::AppState state;
    text::LanguageTable language;
    FakePrompter prompter;
    FakeView view;
    FakeBank bank;
    FakeHost host;
    ActiveProfile active{link.commands(), state};
    Assignments assignments{{store, view, active, bank, language, prompter}};
    ProfileTransfers transfers;
    ProfileSwitching switching;
};

}  // namespace qf::profiles::testing
