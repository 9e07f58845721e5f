// Switching the keyboard's on-board profile: the active profile in the device info, the save
// question and its guard, the editor refusal, and the profile menu model.
#include <gtest/gtest.h>

#include <fstream>

#include "profile_ops/profile_ops_fixture.h"
#include "text/language_keys.h"

namespace qf::profiles::testing {
namespace {

using keys::KeyRecord;
using text::TextId;

constexpr std::size_t kEscRecord = 1;
constexpr std::uint8_t kWriteInfo = 4;
constexpr std::uint8_t kWriteKeymap = 8;

class SwitchingTest : public ProfileOpsTest {
protected:
    std::uint8_t KeyboardProfile() const { return keyboard.Memory(vkbd::Area::DeviceInfo)[10]; }
    std::size_t InfoWrites() const { return keyboard.ReportsReceived(kWriteInfo); }
};

TEST_F(SwitchingTest, ReadAndWriteActiveProfileKeepAppState) {
    SetKeyboardProfile(2);
    EXPECT_EQ(active.ReadActiveProfile(), 2);
    EXPECT_EQ(state.activeProfile.load(), 2);
    EXPECT_EQ(active.WriteActiveProfile(1), qf::device::DeviceResult::Ok);
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_EQ(state.activeProfile.load(), 1);
    // The rest of the device info goes back as it was read.
    const auto info = keyboard.Memory(vkbd::Area::DeviceInfo);
    EXPECT_EQ(info[11], 32);

    EXPECT_EQ(active.WriteActiveProfile(-1), qf::device::DeviceResult::Ok);
    EXPECT_EQ(InfoWrites(), 1u);

    keyboard.Unplug();
    EXPECT_EQ(active.ReadActiveProfile(), -1);
    EXPECT_EQ(state.activeProfile.load(), 1);  // the last value read stays
    EXPECT_NE(active.WriteActiveProfile(2), qf::device::DeviceResult::Ok);
    EXPECT_EQ(state.activeProfile.load(), 1);  // a failed read changes nothing
}

TEST_F(SwitchingTest, IndexesFromThreeUpSwitchToProfileZero) {
    SetKeyboardProfile(2);
    EXPECT_EQ(switching.SwitchProfile(5), 1);
    EXPECT_EQ(KeyboardProfile(), 0);
    EXPECT_EQ(state.activeProfile.load(), 0);
    EXPECT_EQ(host.menu.checkedPosition, 2);
}

TEST_F(SwitchingTest, NegativeIndexWritesNothingButRedrawsAndRebuildsMenu) {
    SetKeyboardProfile(1);
    EXPECT_EQ(switching.SwitchProfile(-1), 1);
    EXPECT_EQ(InfoWrites(), 0u);
    EXPECT_EQ(host.menuShows, 1);
    EXPECT_EQ(host.menu.checkedPosition, 3);  // the keyboard's profile 1
    EXPECT_EQ(view.redraws, 1);
}

TEST_F(SwitchingTest, OpenEditorRefusesTheSwitch) {
    host.editorOpen = true;
    host.unapplied = true;
    EXPECT_EQ(switching.SwitchProfile(1), 0);
    EXPECT_EQ(prompter.MessageIds(), (std::vector<TextId>{TextId::PROFILE_SEELCT_PROMPT2}));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(InfoWrites(), 0u);
    EXPECT_EQ(host.menuShows, 0);
    EXPECT_TRUE(host.unapplied);
}

TEST_F(SwitchingTest, WithoutChangesTheManagerFollowsTheSwitch) {
    host.managerOpen = true;
    EXPECT_EQ(switching.SwitchProfile(2), 1);
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(host.checkedRows, (std::vector<int>{2}));
    EXPECT_EQ(host.events, (std::vector<std::string>{"manager-apply-off"}));
    EXPECT_EQ(KeyboardProfile(), 2);
}

TEST_F(SwitchingTest, AnsweringNoReloadsTheCacheBeforeTheKeyboardIsTold) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);  // cache file with Esc at kind 0
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, {1, 0, 0, 0, 0});
    host.unapplied = true;

    // What the store held when the keyboard was told the new profile.
    std::vector<int> kindsAtProfileWrite;
    keyboard.SetTraceSink([this, &kindsAtProfileWrite](const vkbd::TraceEntry& entry) {
        if (entry.direction == vkbd::Direction::ToKeyboard &&
            entry.interface == vkbd::Interface::Control && entry.bytes.size() > 3 &&
            entry.bytes[3] == kWriteInfo) {
            kindsAtProfileWrite.push_back(store.Lock()->BlockRecord(0, kEscRecord).kind);
        }
    });
    prompter.decide = [](TextId) { return false; };
    keyboard.ClearTrace();
    EXPECT_EQ(switching.SwitchProfile(1), 1);
    keyboard.SetTraceSink({});

    EXPECT_EQ(prompter.questions, (std::vector<TextId>{TextId::PROFILE_SELECT_PROMPT}));
    EXPECT_EQ(kindsAtProfileWrite, (std::vector<int>{0}));
    EXPECT_FALSE(host.unapplied);
    EXPECT_EQ(keyboard.ReportsReceived(kWriteKeymap), 0u);  // nothing downloaded
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_FALSE(switching.asking());
}

// The cache file cannot be loaded: the store is reloaded from the keyboard, which holds what
// was applied, and only then is Apply cleared.
TEST_F(SwitchingTest, AnsweringNoWithADamagedCacheReloadsFromTheKeyboard) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    keys::KeymapImage remapped = KeyboardKeymap(0);
    keys::SetKeymapEntry(remapped, 8, {2, 2, 0x04});  // Esc types "A" on the keyboard
    SetKeyboardKeymap(0, remapped);
    {
        std::ofstream broken(CachePath(), std::ios::binary | std::ios::trunc);
        broken << "not a profile file";
    }
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, {1, 0, 0, 0, 0});
    host.unapplied = true;
    prompter.decide = [](TextId) { return false; };
    EXPECT_EQ(switching.SwitchProfile(1), 1);

    const KeyRecord esc = store.Lock()->BlockRecord(0, kEscRecord);
    EXPECT_EQ(esc.kind, 2);
    EXPECT_EQ(esc.value, 0x1Eu);
    EXPECT_FALSE(host.unapplied);
    StoreContents cached;
    ASSERT_EQ(ReadProfileFile(CachePath(), cached), 1);
    EXPECT_EQ(cached.BlockRecord(0, kEscRecord).kind, 2);
    EXPECT_EQ(KeyboardProfile(), 1);
}

// Neither the cache file nor the keyboard can be loaded: the edits stay, and so does Apply,
// rather than showing changes as if they were on the keyboard.
TEST_F(SwitchingTest, AnsweringNoKeepsEditsAndApplyWhenNothingCanBeReloaded) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    // The cache file's place holds a folder: it neither loads nor can be written.
    std::filesystem::remove(CachePath());
    std::filesystem::create_directories(CachePath() / "inside");
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, {1, 0, 0, 0, 0});
    host.unapplied = true;
    prompter.decide = [](TextId) { return false; };
    EXPECT_EQ(switching.SwitchProfile(1), 1);
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord).kind, 1);
    EXPECT_TRUE(host.unapplied);
    EXPECT_EQ(KeyboardProfile(), 1);  // the switch itself goes on

    // The keyboard goes away in the middle of the reload.
    std::filesystem::remove_all(CachePath());
    keyboard.ClearTrace();
    keyboard.UnplugBeforeReport(3);  // the active profile twice, then the first keymap
    EXPECT_EQ(switching.SwitchProfile(2), 1);
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord).kind, 1);
    EXPECT_TRUE(host.unapplied);
}

TEST_F(SwitchingTest, AnsweringYesAppliesToTheOldProfileFirst) {
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, {1, 0, 0, 0, 0});
    host.unapplied = true;
    host.events.clear();
    prompter.decide = [](TextId) { return true; };
    keyboard.ClearTrace();
    EXPECT_EQ(switching.SwitchProfile(2), 1);

    EXPECT_EQ(host.events, (std::vector<std::string>{"apply", "clear"}));
    // The keymap of profile 0 went out before the device info changed.
    const auto sent = Sent();
    std::size_t lastKeymap = 0;
    std::size_t infoWrite = 0;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        if (sent[i].command == kWriteKeymap) {
            lastKeymap = i;
            EXPECT_LT(sent[i].address, 512) << "only profile 0's keymap";
        }
        if (sent[i].command == kWriteInfo) {
            infoWrite = i;
        }
    }
    EXPECT_GT(lastKeymap, 0u);
    EXPECT_GT(infoWrite, lastKeymap);
    EXPECT_EQ(KeyboardKeymap(0)[8 * 3], 0);
    StoreContents cached;
    ASSERT_EQ(ReadProfileFile(CachePath(), cached), 1);
    EXPECT_EQ(cached.BlockRecord(0, kEscRecord).kind, 1);
    EXPECT_EQ(KeyboardProfile(), 2);
    // The store keeps the applied change.
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord).kind, 1);
}

TEST_F(SwitchingTest, AFailedApplyOfYesKeepsTheEditsAndDoesNotSwitch) {
    SetKeyboardProfile(1);
    ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
    (void)store.Lock()->SetBlockRecord(1, kEscRecord, {1, 0, 0, 0, 0});
    host.unapplied = true;
    host.events.clear();
    prompter.decide = [](TextId) { return true; };
    // The keyboard is gone while the question is on screen: the Apply fails.
    keyboard.Unplug();
    keyboard.ClearTrace();
    EXPECT_EQ(switching.SwitchProfile(2), 0);
    keyboard.Plug();

    EXPECT_EQ(host.events, (std::vector<std::string>{"apply"}));
    EXPECT_TRUE(host.unapplied);
    EXPECT_EQ(InfoWrites(), 0u);
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_EQ(store.Lock()->BlockRecord(1, kEscRecord).kind, 1);
    EXPECT_FALSE(switching.asking());
    // The next request asks again and, with the keyboard back, switches.
    EXPECT_EQ(switching.SwitchProfile(2), 1);
    EXPECT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(KeyboardProfile(), 2);
}

TEST_F(SwitchingTest, ASwitchDuringTheQuestionDoesNotAskAgain) {
    host.unapplied = true;
    int nested = -1;
    prompter.decide = [this, &nested](TextId) {
        EXPECT_TRUE(switching.asking());
        nested = switching.SwitchProfile(2);
        EXPECT_EQ(KeyboardProfile(), 2);  // switched at once
        return false;
    };
    EXPECT_EQ(switching.SwitchProfile(1), 1);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_FALSE(switching.asking());
}

struct MenuCase {
    int active;
    int checked;
    std::string caption;
};

class ProfileMenu : public SwitchingTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(ProfileMenu, ChecksTheActiveProfile) {
    const ProfileMenuModel menu = switching.BuildProfileMenu(GetParam().active);
    ASSERT_EQ(menu.entries.size(), 5u);
    EXPECT_EQ(menu.entries[0],
              (ProfileMenuEntry{9000, "<Default Profile>", false, GetParam().checked == 0}));
    EXPECT_TRUE(menu.entries[1].separator);
    for (int i = 0; i < 3; ++i) {
        const auto& entry = menu.entries[static_cast<std::size_t>(2 + i)];
        EXPECT_EQ(entry.commandId, static_cast<std::uint32_t>(9001 + i));
        EXPECT_EQ(entry.text, "$Profile0");
        EXPECT_EQ(entry.checked, GetParam().checked == 2 + i);
    }
    EXPECT_EQ(menu.checkedPosition, GetParam().checked);
    EXPECT_EQ(menu.buttonCaption, GetParam().caption);
    EXPECT_EQ(menu.buttonTooltip, "The current contextual  mode: " + GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileMenu,
                         ::testing::Values(MenuCase{-1, 0, "<Default Profile>"},
                                           MenuCase{0, 2, "$Profile0"}, MenuCase{2, 4, "$Profile0"},
                                           MenuCase{3, -1, ""}, MenuCase{200, -1, ""}));

}  // namespace
}  // namespace qf::profiles::testing
