// The profile operations against the virtual keyboard: a fixture that builds a session over an
// in-process virtual keyboard, a temporary home folder and the shared recording fakes of the
// windows and the prompter, and names the session's store, transfers, assignments and switching.
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
#include "session/no_windows.h"
#include "session/session.h"
#include "support/profile_fakes.h"
#include "support/recording_prompter.h"
#include "support/session_setup.h"
#include "support/temp_folder.h"
#include "text/language.h"

namespace qf::profiles::testing {

using Bytes = std::vector<std::uint8_t>;

using qf::testing::ButtonState;
using FakePrompter = qf::testing::RecordingPrompter;
using FakeView = qf::testing::RecordingAssignmentView;
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
    ProfileOpsTest() : ProfileOpsTest(true) {}
    // Without a home folder the session has no profile folder.
    explicit ProfileOpsTest(bool withHome);
    void SetUp() override;
    void TearDown() override;

    device::DeviceCommands& commands() { return link.commands(); }
    // The session's profile folder, where the cache file and the user's profile files go.
    std::filesystem::path ProfileFolder() const { return session.ProfileFolder(); }
    std::filesystem::path CachePath() const { return ProfileCachePath(ProfileFolder(), 0); }
    // The key bank as the LED word reports it.
    void SetBankB(bool bankB) { qf::testing::SetBankB(session.ledStatus(), bankB); }

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

    qf::testing::TempHome home;
    vkbd::VirtualKeyboard keyboard;
    FakePrompter prompter;
    FakeView view;
    FakeHost host;
    session::NoWindows window;
    session::Session session;
    device::DeviceLink& link = session.link();
    ProfileStore& store = session.store();
    keys::DefaultKeymap& defaultKeymap = session.defaultKeymap();
    app::AppState& state = session.appState();
    text::LanguageTable& language = session.language();
    ActiveProfile& active = session.activeProfile();
    Assignments& assignments = session.assignments();
    ProfileTransfers& transfers = session.transfers();
    ProfileSwitching& switching = session.switching();
};

}  // namespace qf::profiles::testing
