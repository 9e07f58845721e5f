// The session over the virtual keyboard, a window thread and temporary install and home folders:
// what building it reads and touches, the refresh path through the objects it wires, the late
// bindings, and the stop order.
#include "session/session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>

#include "app/window_messages.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "monitor/fake_window.h"
#include "support/profile_fakes.h"
#include "support/recording_prompter.h"
#include "text/skin_layout.h"
#include "text/temp_folder.h"

namespace qf::session {
namespace {

using monitor::test::FakeWindow;
using monitor::test::WindowEvent;
using qf::testing::TempFolder;
namespace fs = std::filesystem;

// The views: only what reaches them is counted.
class CountingViews final : public monitor::BankView,
                            public profiles::AssignmentView,
                            public lighting::LightingView,
                            public monitor::DeviceWindowView {
public:
    void ShowBankIndicator(bool) override { ++bankIndicators; }
    void SetGButtonLabel(std::size_t, std::string_view) override {}
    void SetKeyButton(std::size_t, bool, const std::string&) override { ++keyButtons; }
    void SetGButton(std::size_t, bool, const std::string&) override {}
    void EnableApply() override {}
    void Redraw() override {}
    void ClearAllTints() override {}
    void TintAllKeys(lighting::Rgb) override {}
    void TintZone(int, std::span<const lighting::KeyButtonId>, lighting::Rgb) override {}
    void SetGButtonAssigned(std::size_t, bool) override {}
    void SelectProfileButton(int profile) override { selected = profile; }
    void CloseEditors() override {}

    std::atomic<int> bankIndicators{0};
    std::atomic<int> keyButtons{0};
    std::atomic<int> selected{-2};
};

class CountingHooks final : public macros::KeyboardHooks {
public:
    bool Install() override {
        ++installs;
        return true;
    }
    void Remove() override { ++removes; }
    int installs = 0;
    int removes = 0;
};

class EmptyEditor final : public macros::RecordingEditor {
public:
    std::size_t ActionCount() const override { return 0; }
    std::optional<std::size_t> SelectedAction() const override { return std::nullopt; }
    std::int32_t ActionDelay(std::size_t) const override { return 0; }
    void SetActionDelay(std::size_t, std::int32_t) override {}
    void InsertAction(std::size_t, const macros::MacroAction&) override {}
};

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        TempFolder::Write(install / "quillfen", "");
        TempFolder::Write(install / "Skins" / "language.ini",
                          "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nKEYBOARD_TRAY_DESC=Tray words\n");
        TempFolder::Write(install / "Skins" / "Main.ini",
                          "[SCREEN]\nMain=main_bg.bmp\nLink=https://example.org/kb\n");
        variables["HOME"] = home.Path().string();
        variables["XDG_CONFIG_HOME"] = (home / "config").string();
    }

    // The monitor stops while the window still answers, then the window closes, then the
    // session goes: nothing the window thread runs reaches a session that is gone.
    ~SessionTest() override {
        if (session) {
            session->StopMonitor();
        }
        window.Close();
        session.reset();
    }

    void Build(bool makeUserFolders = true) {
        app::Environment env;
        env.variable = [this](std::string_view name) -> std::optional<std::string> {
            const auto it = variables.find(std::string(name));
            if (it == variables.end()) {
                return std::nullopt;
            }
            return it->second;
        };
        env.executable = install / "quillfen";
        SessionSource source{keyboard, env};
        source.timing = device::TransactionTiming::Scaled(0.05);
        source.monitorTiming.readyPoll = std::chrono::milliseconds(1);
        source.makeUserFolders = makeUserFolders;
        session = std::make_unique<Session>(
            source, SessionWindows{prompter, window, views, views, views, views, host});
        window.SetHandlers(
            [this](std::uint32_t message, std::uint32_t tag) {
                return monitor::DeviceWindowHandlers::Handles(message)
                           ? session->handlers().OnMessage(message, tag)
                           : 1;
            },
            [this](std::uint32_t timer) { (void)session->handlers().OnTimer(timer); });
    }

    // The window ready and the monitor started: waits until the keyboard's arrival has been
    // handled (the full refresh) and everything it queued has run. `keyboards`: the number the
    // monitor found.
    void StartAndArrive(std::uint32_t* keyboards = nullptr) {
        window.SetReady(true);
        const std::uint32_t found = session->StartMonitor();
        if (keyboards != nullptr) {
            *keyboards = found;
        }
        ASSERT_TRUE(window.WaitUntil(
            [&] { return window.CountHandled(WindowEvent::Kind::Message, app::kMsgProf) == 1; }));
        Settle();
    }

    void Settle() {
        keyboard.WaitIdle();
        session->monitor().WaitIdle();
        window.RunOnWindowThread([] {});
        session->monitor().WaitIdle();
        window.RunOnWindowThread([] {});
    }

    TempFolder install;
    TempFolder home;
    std::map<std::string, std::string> variables;
    vkbd::VirtualKeyboard keyboard;
    FakeWindow window;
    qf::testing::RecordingPrompter prompter;
    CountingViews views;
    qf::testing::RecordingSwitchHost host;
    std::unique_ptr<Session> session;
};

TEST_F(SessionTest, BuildingReadsTheFilesAndTouchesNoKeyboard) {
    // A save a crashed run left behind, and one of a process still running: only the first goes.
    const fs::path profileFolder = home / "Documents" / "Quillfen_09A";
    const fs::path stale = profileFolder / "$Profile0.tmp-999999999-0123abcd";
    const fs::path live =
        profileFolder / ("$Profile0.tmp-" + std::to_string(::getpid()) + "-89abcdef");
    TempFolder::Write(stale, "half");
    TempFolder::Write(live, "half");

    Build();

    EXPECT_EQ(session->install().installFolder, install.Path());
    ASSERT_TRUE(session->user().has_value());
    EXPECT_EQ(session->ProfileFolder(), profileFolder);
    EXPECT_TRUE(fs::is_directory(profileFolder));
    EXPECT_EQ(session->UserSettingsFile(), profileFolder / "mrgo.ini");
    EXPECT_EQ(session->settings().StoreFile(),
              home / "config" / "Quillfen_Orvanti" / "Quillfen.conf");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));

    // The language file's setting and message texts; the main layout as read at start.
    EXPECT_TRUE(session->languageLoaded());
    EXPECT_EQ(session->languageSetting(), 1);
    EXPECT_EQ(session->language().Text(text::TextId::KEYBOARD_TRAY_DESC), "Tray words");
    EXPECT_EQ(text::ReadSkinScreen(session->mainLayout()).link, "https://example.org/kb");

    // The user colour files go to the user's data folder, not beside the program (which may be
    // read-only once installed).
    EXPECT_EQ(session->userColours().FileOf(1),
              home / ".local" / "share" / "quillfen" / "Skins" / "UserDengColor_1.userd");
    EXPECT_EQ(session->userColours().WriteUserModeName(1, 0, "Mine"),
              lighting::UserColourResult::Written);
    EXPECT_FALSE(fs::exists(install / "Skins" / "UserDengColor_1.userd"));

    // Nothing was asked of the keyboard, no thread runs.
    EXPECT_TRUE(keyboard.Trace().empty());
    EXPECT_FALSE(session->monitorRunning());
}

TEST_F(SessionTest, ARunThatMakesNoFoldersKeepsThePathsAndCreatesNothing) {
    const fs::path profileFolder = home / "Documents" / "Quillfen_09A";
    Build(false);
    EXPECT_EQ(session->ProfileFolder(), profileFolder);
    EXPECT_EQ(session->UserSettingsFile(), profileFolder / "mrgo.ini");
    EXPECT_EQ(session->userColours().FileOf(1),
              home / ".local" / "share" / "quillfen" / "Skins" / "UserDengColor_1.userd");
    EXPECT_TRUE(fs::is_empty(home.Path()));

    // The folders the windowed program made are used, with their stale saves cleared.
    session.reset();
    const fs::path stale = profileFolder / "$Profile0.tmp-999999999-0123abcd";
    TempFolder::Write(stale, "half");
    Build(false);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(keyboard.Trace().empty());

    // Without a language file the built-in wordings stand, and the run is told so.
    session.reset();
    fs::remove(install / "Skins" / "language.ini");
    Build(false);
    EXPECT_FALSE(session->languageLoaded());
    EXPECT_EQ(session->languageSetting(), 0);
    EXPECT_EQ(session->language().Text(text::TextId::KEYBOARD_TRAY_DESC),
              text::LanguageTable().Text(text::TextId::KEYBOARD_TRAY_DESC));
}

TEST_F(SessionTest, WithoutAHomeFolderTheProgramStillRunsWithoutProfileFiles) {
    variables.clear();
    Build();
    EXPECT_FALSE(session->user().has_value());
    EXPECT_TRUE(session->ProfileFolder().empty());
    ASSERT_GE(session->StartMonitor(), 0u);
    session->StopMonitor();
}

TEST_F(SessionTest, AnArrivalRunsTheFullRefreshThroughTheWiredObjects) {
    Build();
    int panelRefreshes = 0;
    session->SetPanelRefresh([&] { ++panelRefreshes; });
    std::uint32_t keyboards = 0;
    ASSERT_NO_FATAL_FAILURE(StartAndArrive(&keyboards));
    EXPECT_EQ(keyboards, 1u);

    // The store was loaded from the keyboard and cached in the profile folder; the lighting
    // model read the keyboard and asked the panel to follow; the views were filled.
    EXPECT_TRUE(fs::exists(profiles::ProfileCachePath(session->ProfileFolder(), 0)));
    EXPECT_TRUE(session->store().Lock()->HasMainBlock());
    EXPECT_EQ(panelRefreshes, 1);
    EXPECT_GT(views.keyButtons.load(), 0);
    EXPECT_EQ(session->appState().lastDeviceCount.load(), 1u);
    EXPECT_EQ(window.Icons(), std::vector<int>{app::kIconKeyboardPresent});

    // A bank switch on the keyboard reaches the bank view through the monitor.
    keyboard.PressConsumerCode(monitor::kCodeBankSwitch);
    Settle();
    EXPECT_EQ(views.bankIndicators.load(), 1);
    EXPECT_TRUE(session->bank().BankB());
}

TEST_F(SessionTest, TheKeyboardIsCheckedAgainstWhatApplyWrites) {
    Build();
    ASSERT_NO_FATAL_FAILURE(StartAndArrive());
    // Right after an Apply of the loaded store the keyboard holds it byte for byte.
    ASSERT_EQ(session->transfers().ApplyStoreToKeyboard(true), 1);
    profiles::VerifyReport report;
    EXPECT_EQ(session->VerifyKeyboard(true, report), 1) << report.where;
    // A key changed in the store but not applied: the keyboard does not hold it yet.
    ASSERT_TRUE(session->store().Lock()->SetBlockRecord(0, 1, {2, 0, 0x30, 0, 0}));
    EXPECT_EQ(session->VerifyKeyboard(false, report), 0);
    EXPECT_EQ(report.where, "the keymap of profile 0");
}

TEST_F(SessionTest, StoppingEndsTheThreadsAndFreeingEmptiesBothStores) {
    Build();
    ASSERT_NO_FATAL_FAILURE(StartAndArrive());
    {
        auto staging = session->store().staging().Lock();
        staging->mainBlock.assign(16, 1);
    }

    session->StopMonitor();
    session->StopMonitor();  // a second stop does nothing
    EXPECT_FALSE(session->monitorRunning());
    keyboard.PressConsumerCode(monitor::kCodeBankSwitch);
    keyboard.WaitIdle();
    EXPECT_EQ(views.bankIndicators.load(), 0);  // nobody listens any more

    session->FreeStores();
    EXPECT_FALSE(session->store().Lock()->HasMainBlock());
    EXPECT_TRUE(session->store().staging().Lock()->mainBlock.empty());
}

TEST_F(SessionTest, TheRecorderUsesTheWindowsHooksOnceBound) {
    Build();
    EmptyEditor editor;
    // Unbound: recording stands, but no keystroke can arrive.
    EXPECT_EQ(session->recorder().StartRecording(editor), macros::RecordResult::HooksFailed);
    session->recorder().StopRecording(editor);

    CountingHooks hooks;
    session->BindKeyboardHooks(&hooks);
    EXPECT_EQ(session->recorder().StartRecording(editor), macros::RecordResult::Started);
    session->recorder().StopRecording(editor);
    EXPECT_EQ(hooks.installs, 1);
    EXPECT_EQ(hooks.removes, 1);
    session->BindKeyboardHooks(nullptr);
}

TEST_F(SessionTest, DestroyingARunningSessionStopsTheMonitorFirst) {
    Build();
    ASSERT_NO_FATAL_FAILURE(StartAndArrive());
    // The window closes first, as the program's link does (its sends return at once), with key
    // events still arriving; no Stop: the destructor joins the threads before the objects they
    // use go (the sanitizer builds catch a thread that outlives them).
    window.Close();
    keyboard.PressConsumerCode(monitor::kCodeBankSwitch);
    session.reset();
    const int shown = views.bankIndicators.load();
    keyboard.PressConsumerCode(monitor::kCodeBankSwitch);
    keyboard.WaitIdle();
    EXPECT_EQ(views.bankIndicators.load(), shown);
}

}  // namespace
}  // namespace qf::session
