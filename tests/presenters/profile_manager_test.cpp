// The profile manager's model against the virtual keyboard, with a temporary profile folder and
// settings store.
#include "presenters/profile_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "device/commands.h"
#include "presenters/editor_support.h"
#include "profiles/profile_store.h"
#include "text/language_keys.h"

namespace qf::presenters {
namespace {

namespace fs = std::filesystem;
using text::TextId;

class FakeChooser final : public ProfileFileChooser {
public:
    std::optional<fs::path> ChooseNewProfile(const fs::path& initial) override {
        newInitial = initial;
        return newChoice ? newChoice(initial) : std::nullopt;
    }
    std::optional<fs::path> ChooseProfileToLoad(const fs::path& initial) override {
        loadInitial = initial;
        return loadChoice;
    }

    std::function<std::optional<fs::path>(const fs::path&)> newChoice;
    std::optional<fs::path> loadChoice;
    fs::path newInitial;
    fs::path loadInitial;
};

struct FakeManagerView final : ProfileManagerView {
    void ProfileManagerChanged() override { ++changes; }
    int changes = 0;
};

class ProfileManagerTest : public testing::KeyboardRig {
protected:
    void SetUp() override {
        KeyboardRig::SetUp();
        SetKeyboardProfile(1);
        mainWindow.onApply = [this] { return transfers.ApplyChanges(); };
    }
    // Device info writes the keyboard received since the trace was cleared.
    int DeviceInfoWrites() const {
        const auto requests = keyboard.ReceivedRequests();
        return static_cast<int>(
            std::count_if(requests.begin(), requests.end(), [](const auto& request) {
                return request.command ==
                       static_cast<std::uint8_t>(device::Command::WriteDeviceInfo);
            }));
    }
    std::string Setting(int number) const {
        return settings.ReadString(app::Settings::ProfileRowName(number), "(none)");
    }
    std::string Folder() const { return ProfileFolder().string() + "/"; }

    FakeChooser chooser;
    FakeManagerView view;
    ProfileManagerModel manager{{settings, active, transfers, switching, mainWindow, prompter,
                                 language, ProfileFolder(), chooser, view}};
};

TEST_F(ProfileManagerTest, OpeningListsTheThreeOnBoardProfiles) {
    manager.Open();
    EXPECT_TRUE(manager.IsOpen());
    const ProfileRow row{"$Profile0", Folder(), false};
    ProfileRow checked = row;
    checked.checked = true;
    EXPECT_EQ(manager.rows(), (std::vector<ProfileRow>{row, checked, row}));
    EXPECT_FALSE(manager.HasUnappliedChanges());
    EXPECT_GT(view.changes, 0);
    manager.Close();
    EXPECT_FALSE(manager.IsOpen());

    // A profile number the keyboard cannot hold checks nothing.
    SetKeyboardProfile(7);
    manager.Open();
    EXPECT_EQ(manager.CheckedRow(), -1);
}

TEST_F(ProfileManagerTest, ACheckChangeEnablesApplyAndCancelLeavesTheKeyboard) {
    manager.Open();
    manager.SetChecked(2, true);
    EXPECT_EQ(manager.CheckedRow(), 2);
    EXPECT_FALSE(manager.rows()[1].checked);
    EXPECT_TRUE(manager.HasUnappliedChanges());
    keyboard.ClearTrace();
    manager.Cancel();
    EXPECT_FALSE(manager.HasUnappliedChanges());
    EXPECT_EQ(manager.openCount(), 0);
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_EQ(DeviceInfoWrites(), 0);
    EXPECT_EQ(Setting(0), "(none)");
}

TEST_F(ProfileManagerTest, OkMakesTheCheckedProfileActiveAndReloads) {
    {
        auto access = store.Lock();
        ASSERT_TRUE(access->SetBlockRecord(0, 30, keys::KeyRecord{2, 0, 0x30, 0, 0}));
    }
    manager.Open();
    manager.SetChecked(2, true);
    manager.Ok();
    EXPECT_EQ(KeyboardProfile(), 2);
    EXPECT_FALSE(manager.IsOpen());
    // The store was refilled from the keyboard, whose keymaps hold no assignment.
    EXPECT_EQ(Record(0, 30), keys::KeyRecord{});
    EXPECT_EQ(mainWindow.menuShows, 1);
    EXPECT_EQ(mainWindow.menu.checkedPosition, 4);
    EXPECT_EQ(Setting(0), "3");
    EXPECT_EQ(Setting(1), Folder() + "$Profile0.fwc");
}

TEST_F(ProfileManagerTest, NewWritesABlankFileNamedByThePrompt) {
    manager.Open();
    chooser.newChoice = [](const fs::path& initial) { return initial; };
    manager.New();
    // The text of PROFILE_NEW without its leading backslash, in the profile folder.
    std::string name = language.Text(TextId::PROFILE_NEW);
    ASSERT_EQ(name.front(), '\\');
    name.erase(0, 1);
    EXPECT_EQ(chooser.newInitial, ProfileFolder() / name);
    const fs::path file = ProfileFolder() / (name + ".fwc");
    EXPECT_EQ(file.filename(), "The new contextual  mode.fwc");
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), profiles::kMainBlockSize);
    EXPECT_EQ(profiles::ValidateProfileFile(file).result, 1);
    ASSERT_EQ(manager.rows().size(), 4u);
    EXPECT_EQ(manager.rows()[3], (ProfileRow{name, Folder(), false}));
    EXPECT_TRUE(manager.HasUnappliedChanges());
    EXPECT_TRUE(prompter.messages.empty());

    // Cancelled: nothing.
    chooser.newChoice = {};
    manager.New();
    EXPECT_EQ(manager.rows().size(), 4u);
}

TEST_F(ProfileManagerTest, ANewFileThatCannotBeWrittenIsReported) {
    manager.Open();
    const fs::path blocked = ProfileFolder() / "not-a-folder";
    qf::testing::TempFolder::Write(blocked, "x");
    chooser.newChoice = [&](const fs::path&) { return blocked / "mine.fwc"; };
    manager.New();
    EXPECT_EQ(prompter.MessageIds(), std::vector{TextId::PROFILE_NEW_WRITE_ERROR});
    ASSERT_EQ(manager.rows().size(), 4u);
    EXPECT_EQ(manager.rows()[3].name, "mine");
}

TEST_F(ProfileManagerTest, LoadAddsARowWithoutOpeningTheFile) {
    manager.Open();
    chooser.loadChoice = fs::path("/nowhere/else/Race.FWC");
    manager.Load();
    EXPECT_EQ(chooser.loadInitial, ProfileFolder() / "*.fwc");
    ASSERT_EQ(manager.rows().size(), 4u);
    EXPECT_EQ(manager.rows()[3], (ProfileRow{"Race", "/nowhere/else/", false}));
    EXPECT_TRUE(manager.HasUnappliedChanges());
    manager.Apply();
    EXPECT_EQ(Setting(4), "/nowhere/else/Race.fwc");
}

TEST_F(ProfileManagerTest, DeleteThenOkRewritesTheRowsButNotTheOnesAfter) {
    ASSERT_EQ(settings.WriteString("PROFILE03", "from before"), text::IniWriteResult::Written);
    manager.Open();
    chooser.loadChoice = fs::path("/games/third.fwc");
    manager.Delete(std::nullopt);  // no selection: nothing
    EXPECT_FALSE(manager.HasUnappliedChanges());
    manager.Delete(2);
    manager.Load();
    manager.Delete(1);
    EXPECT_TRUE(manager.HasUnappliedChanges());
    manager.Ok();
    EXPECT_EQ(Setting(0), "2");
    EXPECT_EQ(Setting(1), Folder() + "$Profile0.fwc");
    EXPECT_EQ(Setting(2), "/games/third.fwc");
    EXPECT_EQ(Setting(3), "from before");
}

TEST_F(ProfileManagerTest, NoCheckedRowOrARowPastTheThirdNeverReachesTheKeyboard) {
    manager.Open();
    manager.SetChecked(1, false);
    EXPECT_EQ(manager.CheckedRow(), -1);
    keyboard.ClearTrace();
    manager.Ok();
    EXPECT_EQ(DeviceInfoWrites(), 0);
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_EQ(mainWindow.menuShows, 1);  // still reloaded and rebuilt

    manager.Open();
    chooser.loadChoice = fs::path("/games/fourth.fwc");
    manager.Load();
    manager.SetChecked(3, true);
    keyboard.ClearTrace();
    manager.Apply();
    EXPECT_EQ(DeviceInfoWrites(), 0);
    EXPECT_EQ(KeyboardProfile(), 1);
}

TEST_F(ProfileManagerTest, UnappliedEditsOfTheMainWindowAreAskedAbout) {
    manager.Open();
    manager.SetChecked(0, true);
    mainWindow.unapplied = true;
    manager.Apply();  // No: the edits are dropped by the reload
    EXPECT_EQ(prompter.questions, std::vector{TextId::PROFILE_SELECT_PROMPT});
    EXPECT_EQ(std::count(mainWindow.events.begin(), mainWindow.events.end(), "apply"), 0);
    EXPECT_EQ(mainWindow.events.back(), "clear");
    EXPECT_FALSE(mainWindow.unapplied);

    mainWindow.unapplied = true;
    mainWindow.events.clear();
    prompter.answer = true;
    manager.Apply();  // Yes: the main window's Apply runs first
    EXPECT_EQ(prompter.questions.size(), 2u);
    ASSERT_FALSE(mainWindow.events.empty());
    EXPECT_EQ(mainWindow.events.front(), "apply");
    EXPECT_EQ(mainWindow.events.back(), "clear");
    EXPECT_FALSE(mainWindow.unapplied);

    mainWindow.events.clear();
    manager.Apply();  // nothing unapplied: no question
    EXPECT_EQ(prompter.questions.size(), 2u);
}

TEST_F(ProfileManagerTest, AFailedApplyOfTheMainWindowStopsApplyAndOk) {
    manager.Open();
    manager.SetChecked(2, true);
    mainWindow.unapplied = true;
    prompter.answer = true;
    mainWindow.onApply = [] { return 0; };  // the main window said what failed
    keyboard.ClearTrace();
    EXPECT_FALSE(manager.Apply());
    manager.Ok();
    EXPECT_TRUE(manager.IsOpen());
    EXPECT_TRUE(manager.HasUnappliedChanges());
    EXPECT_TRUE(mainWindow.unapplied);
    EXPECT_EQ(std::count(mainWindow.events.begin(), mainWindow.events.end(), "clear"), 0);
    EXPECT_EQ(DeviceInfoWrites(), 0);
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_EQ(Setting(0), "(none)");  // no row recorded
}

TEST_F(ProfileManagerTest, SwitchingWhileOpenChecksTheRowAndDisablesApply) {
    manager.Open();
    manager.SetChecked(0, true);
    manager.CheckRow(2);
    manager.DisableApply();
    EXPECT_EQ(manager.CheckedRow(), 2);
    EXPECT_FALSE(manager.rows()[0].checked);
    EXPECT_FALSE(manager.HasUnappliedChanges());
    manager.CheckRow(-1);
    EXPECT_EQ(manager.CheckedRow(), -1);
}

}  // namespace
}  // namespace qf::presenters
