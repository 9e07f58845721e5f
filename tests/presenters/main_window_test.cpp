// The main window's rules against the virtual keyboard: start-up and the notification area,
// OPEN, Apply and its failures, the profile buttons and their menu, restore, import, export,
// the busy scope, the About box, the key filter and the ending.
#include <gtest/gtest.h>

#include <algorithm>

#include "presenters/main_window_support.h"
#include "text/language_keys.h"

namespace qf::presenters::testing {
namespace {

using device::Command;
using text::TextId;

constexpr std::size_t kEscRecord = 1;
const keys::KeyRecord kDisabled{1, 0, 0, 0, 0};

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// ---- Start-up and the notification area ----

TEST_F(MainWindowTest, InitCreatesTheIconBeforeTheReadyFlagThenHides) {
    bool readyWhenCreated = true;
    window.onCreateTrayIcon = [this, &readyWhenCreated] { readyWhenCreated = presenter.IsReady(); };
    presenter.OnWindowCreated();
    EXPECT_FALSE(window.applyEnabled);
    EXPECT_EQ(presenter.eventNames().size(), 210u);
    EXPECT_EQ(window.texts.title, "Gaming Keyboard Settings");
    EXPECT_FALSE(presenter.IsReady());

    // A wrong tag is ignored.
    EXPECT_EQ(presenter.OnMessage(app::kMsgInit, app::kTagOpen), 0);
    EXPECT_TRUE(log.empty());

    EXPECT_EQ(presenter.OnMessage(app::kMsgInit, app::kTagInit), 1);
    EXPECT_FALSE(readyWhenCreated);
    EXPECT_TRUE(presenter.IsReady());
    EXPECT_EQ(window.trayTooltip, "Halvorne");
    EXPECT_EQ(window.trayIcon, 128);
    EXPECT_EQ(window.profileCaption, "$Profile0");  // the profile menu was built
    EXPECT_EQ(window.profileTooltip, "The current contextual  mode: $Profile0");
    EXPECT_EQ(Calls("hide").size(), 1u);
    EXPECT_FALSE(window.shown);
    EXPECT_TRUE(window.notices.empty());

    // INIT runs once.
    EXPECT_EQ(presenter.OnMessage(app::kMsgInit, app::kTagInit), 1);
    EXPECT_EQ(Calls("tray").size(), 1u);
}

TEST_F(MainWindowTest, WithoutANotificationAreaTheWindowIsNeverHidden) {
    window.trayAvailable = false;
    presenter.OnWindowCreated();
    ASSERT_EQ(presenter.OnMessage(app::kMsgInit, app::kTagInit), 1);
    // INIT's hide shows the window as an application window instead, and says why once.
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(Calls("hide").size(), 0u);
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(window.notices[0], kNoNotificationAreaNotice);

    EXPECT_TRUE(presenter.OnCommand(kCtlCancel));
    EXPECT_TRUE(presenter.OnCommand(kCtlOk));
    presenter.RequestHide();  // the keyboard went away
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(Calls("hide").size(), 0u);
    EXPECT_EQ(window.notices.size(), 1u);

    // Closing the window from the window manager ends the program: there is nowhere to hide.
    presenter.OnCloseRequested();
    EXPECT_TRUE(presenter.ending());
    EXPECT_EQ(Calls("step:quit event loop").size(), 1u);
}

TEST_F(MainWindowTest, ANotificationAreaThatGoesAwayShowsTheHiddenWindow) {
    presenter.OnWindowCreated();
    ASSERT_EQ(presenter.OnMessage(app::kMsgInit, app::kTagInit), 1);
    ASSERT_FALSE(window.shown);
    presenter.OnTrayAvailabilityChanged(false);
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(window.notices.size(), 1u);
    // Back again: Cancel hides once more, and a close request only hides.
    presenter.OnTrayAvailabilityChanged(true);
    presenter.OnCloseRequested();
    EXPECT_FALSE(window.shown);
    EXPECT_FALSE(presenter.ending());
}

TEST_F(MainWindowTest, OpenShowsTheWindowOnlyWithAKeyboard) {
    presenter.OnWindowCreated();
    ASSERT_EQ(presenter.OnMessage(app::kMsgInit, app::kTagInit), 1);
    log.clear();

    // No keyboard: the no-device message, the window stays hidden.
    EXPECT_EQ(presenter.OnMessage(app::kMsgOpen, app::kTagOpen), 1);
    EXPECT_EQ(prompter.MessageIds(), (std::vector<TextId>{TextId::MAIN_NO_DEVICE_PROMPT}));
    EXPECT_FALSE(window.shown);
    // The tray menu's Open is the same command.
    EXPECT_TRUE(presenter.OnCommand(kCmdOpen));
    EXPECT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(presenter.OnMessage(app::kMsgOpen, app::kTagKill), 0);
    EXPECT_EQ(prompter.messages.size(), 2u);

    state.lastDeviceCount.store(1);
    EXPECT_EQ(presenter.OnMessage(app::kMsgOpen, app::kTagOpen), 1);
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(Calls("show").size(), 1u);
    EXPECT_EQ(prompter.messages.size(), 2u);
}

// ---- Apply, OK, Cancel ----

TEST_F(MainWindowTest, ApplyWritesOnlyWhenThereAreUnappliedChanges) {
    StartAndShow();
    keyboard.ClearTrace();
    EXPECT_EQ(presenter.Apply(), ApplyOutcome::NothingToApply);
    EXPECT_TRUE(keyboard.Trace().empty());

    (void)store.Lock()->SetBlockRecord(0, kEscRecord, kDisabled);
    presenter.MarkUnapplied();
    EXPECT_TRUE(window.applyEnabled);
    EXPECT_TRUE(presenter.OnCommand(kCtlApply));
    EXPECT_FALSE(window.applyEnabled);
    EXPECT_FALSE(presenter.unappliedChanges());
    EXPECT_EQ(KeymapBlocksWritten(), (std::vector<unsigned>{0}));
    EXPECT_TRUE(window.failures.empty());
    // The busy pointer was up for the transfer.
    EXPECT_EQ(Calls("busy").size(), 1u);
    EXPECT_EQ(Calls("idle").size(), 1u);
}

TEST_F(MainWindowTest, AFailedDownloadIsSaidKeepsApplyAndOkDoesNotHide) {
    StartAndShow();
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, kDisabled);
    presenter.MarkUnapplied();
    keyboard.Unplug();

    EXPECT_TRUE(presenter.OnCommand(kCtlOk));
    ASSERT_EQ(window.failures.size(), 1u);
    EXPECT_TRUE(Contains(window.failures[0], "not written to the keyboard")) << window.failures[0];
    EXPECT_TRUE(Contains(window.failures[0], "Apply stays enabled"));
    EXPECT_TRUE(window.applyEnabled);
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(Calls("hide").size(), 0u);

    // With the keyboard back, OK applies and hides.
    keyboard.Plug();
    EXPECT_TRUE(presenter.OnCommand(kCtlOk));
    EXPECT_EQ(window.failures.size(), 1u);
    EXPECT_FALSE(window.applyEnabled);
    EXPECT_FALSE(window.shown);
}

TEST_F(MainWindowTest, AMissingCacheFileIsSaidThoughTheKeyboardIsWritten) {
    presenter.OnWindowCreated();
    ASSERT_EQ(presenter.OnMessage(app::kMsgInit, app::kTagInit), 1);
    // The keyboard's read at arrival failed: no cache file.
    state.lastDeviceCount.store(1);
    ASSERT_FALSE(std::filesystem::exists(CachePath()));
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, kDisabled);
    presenter.MarkUnapplied();
    keyboard.ClearTrace();

    EXPECT_EQ(presenter.Apply(), ApplyOutcome::Failed);
    EXPECT_EQ(KeymapBlocksWritten(), (std::vector<unsigned>{0}));
    ASSERT_EQ(window.failures.size(), 1u);
    const std::string& text = window.failures[0];
    EXPECT_TRUE(Contains(text, "written to the keyboard, but the profile cache file was not saved"))
        << text;
    EXPECT_TRUE(Contains(text, "no profile cache file " + CachePath().string())) << text;
    EXPECT_TRUE(window.applyEnabled);
}

TEST_F(MainWindowTest, CancelOnlyHides) {
    StartAndShow();
    presenter.MarkUnapplied();
    keyboard.ClearTrace();
    EXPECT_TRUE(presenter.OnCommand(kCtlCancel));
    EXPECT_FALSE(window.shown);
    EXPECT_TRUE(window.applyEnabled);
    EXPECT_TRUE(keyboard.Trace().empty());
}

// ---- Profile buttons and the profile menu ----

TEST_F(MainWindowTest, TheActiveProfilesButtonRereadsTheLightingButDoesNotSwitch) {
    StartAndShow();
    SwitchPanelOn();
    const std::size_t reads = Received(Command::ReadSettings);
    const std::size_t infoWrites = Received(Command::WriteDeviceInfo);

    EXPECT_TRUE(presenter.OnCommand(kCtlProfile1));  // profile 0 is active
    EXPECT_GT(Received(Command::ReadSettings), reads);
    EXPECT_FALSE(lighting.state().panelOn);
    ASSERT_FALSE(panelWidgets.shown.empty());
    EXPECT_FALSE(panelWidgets.shown.back().panelOn);
    EXPECT_EQ(lightingView.Clears(), 1);
    EXPECT_EQ(Received(Command::WriteDeviceInfo), infoWrites);
    EXPECT_TRUE(Calls("select").empty());
}

TEST_F(MainWindowTest, AnotherProfilesButtonSwitchesAndSelectsIt) {
    StartAndShow();
    EXPECT_TRUE(presenter.OnCommand(kCtlProfile1 + 2));
    EXPECT_EQ(KeyboardProfile(), 2);
    EXPECT_EQ(lighting.state().currentProfile, 2);
    EXPECT_EQ(Calls("select"), (std::vector<std::string>{"select:2"}));
    EXPECT_EQ(Calls("redraw").size(), 1u);

    // With the editor open the switch is refused: the buttons stay, the lighting shows p.
    window.editorOpen = true;
    log.clear();
    EXPECT_TRUE(presenter.OnCommand(kCtlProfile1 + 1));
    EXPECT_EQ(KeyboardProfile(), 2);
    EXPECT_TRUE(Calls("select").empty());
    EXPECT_EQ(lighting.state().currentProfile, 1);
    EXPECT_EQ(prompter.MessageIds().back(), TextId::PROFILE_SEELCT_PROMPT2);
}

TEST_F(MainWindowTest, TheProfileContextMenuRunsTheProfileButtonsSteps) {
    StartAndShow();
    presenter.OnProfileButtonContextMenu();
    ASSERT_EQ(window.menu.size(), 3u);  // no "<Default Profile>"
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(window.menu[i].commandId, 9001 + i);
        EXPECT_EQ(window.menu[i].text, "$Profile0");
        EXPECT_EQ(window.menu[i].checked, i == 0);
    }

    SwitchPanelOn();
    EXPECT_TRUE(presenter.OnCommand(9002));
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_FALSE(lighting.state().panelOn);  // the button's steps, not the switch alone
    EXPECT_EQ(Calls("select"), (std::vector<std::string>{"select:1"}));
    presenter.OnProfileButtonContextMenu();
    EXPECT_TRUE(window.menu[1].checked);
    EXPECT_FALSE(window.menu[0].checked);

    // 9000 asks for profile -1: nothing is written, the menu is rebuilt.
    const std::size_t infoWrites = Received(Command::WriteDeviceInfo);
    EXPECT_TRUE(presenter.OnCommand(9000));
    EXPECT_EQ(Received(Command::WriteDeviceInfo), infoWrites);
    EXPECT_EQ(KeyboardProfile(), 1);
}

TEST_F(MainWindowTest, AFailedApplyBeforeASwitchKeepsTheProfile) {
    StartAndShow();
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, kDisabled);
    presenter.MarkUnapplied();
    prompter.answer = true;  // save first
    // Every report is answered with status 0xFF: the Apply of "Yes" fails.
    keyboard.InjectStatus(0xFF, 1000);
    EXPECT_TRUE(presenter.OnCommand(kCtlProfile1 + 1));
    keyboard.ClearFaults();
    EXPECT_EQ(prompter.questions, (std::vector<TextId>{TextId::PROFILE_SELECT_PROMPT}));
    EXPECT_EQ(window.failures.size(), 1u);
    EXPECT_TRUE(window.applyEnabled);
    EXPECT_EQ(KeyboardProfile(), 0);
    EXPECT_TRUE(Calls("select").empty());
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord), kDisabled);
}

// ---- Restore defaults ----

TEST_F(MainWindowTest, RestoreAnsweredNoChangesNothing) {
    StartAndShow();
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, kDisabled);
    keyboard.ClearTrace();
    EXPECT_TRUE(presenter.OnCommand(kCtlDefault));
    EXPECT_EQ(prompter.questions, (std::vector<TextId>{TextId::MAIN_PROMPT_DEFAULT}));
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord), kDisabled);
    EXPECT_TRUE(keyboard.Trace().empty());
    EXPECT_FALSE(window.applyEnabled);
}

TEST_F(MainWindowTest, RestoreAnsweredYesZeroesAndDownloadsAnUnchangedStore) {
    StartAndShow();
    prompter.answer = true;
    keyboard.ClearTrace();
    EXPECT_TRUE(presenter.OnCommand(kCtlDefault));
    EXPECT_EQ(KeymapBlocksWritten(), (std::vector<unsigned>{0}));
    EXPECT_FALSE(window.applyEnabled);
    EXPECT_TRUE(window.failures.empty());

    // With the panel on, the lighting defaults are restored too (mode 1 written).
    SwitchPanelOn();
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, kDisabled);
    const std::size_t settings = Received(Command::WriteSettings);
    EXPECT_TRUE(presenter.OnCommand(kCtlDefault));
    EXPECT_GT(Received(Command::WriteSettings), settings);
    EXPECT_EQ(lighting.state().mode, 1);
    EXPECT_EQ(store.Lock()->BlockRecord(0, kEscRecord), keys::KeyRecord{});
}

// ---- Import and export ----

class MainWindowFiles : public MainWindowTest {
protected:
    // A valid profile file whose profile 2 disables Esc.
    std::filesystem::path ValidFile() {
        const auto path = documents.Path() / "valid.fwc";
        profiles::ProfileStore other;
        (void)other.Lock()->SetBlockRecord(2, kEscRecord, kDisabled);
        EXPECT_EQ(profiles::ExportProfileFile(other, path), 1);
        return path;
    }
};

TEST_F(MainWindowFiles, ImportOfAnInvalidFileChangesNothing) {
    StartAndShow();
    presenter.MarkUnapplied();
    const auto path = documents.Path() / "bad.fwc";
    TempFolder::Write(path, std::string(40000, 'x'));
    chooser.next = path;
    EXPECT_TRUE(presenter.OnCommand(kCmdImport));
    EXPECT_EQ(chooser.dialogs.back(), ProfileOpenDialog());
    EXPECT_EQ(prompter.MessageIds(),
              (std::vector<TextId>{TextId::PROFILE_FORMAT_ERROR, TextId::MAIN_PROMPT_INPORT}));
    EXPECT_TRUE(window.applyEnabled);  // as it was
    EXPECT_TRUE(window.failures.empty());

    // A cancelled dialog does nothing.
    EXPECT_TRUE(presenter.OnCommand(kCmdImport));
    EXPECT_EQ(prompter.messages.size(), 2u);
}

TEST_F(MainWindowFiles, ImportOfAValidFileWritesItAndDisablesApply) {
    StartAndShow();
    presenter.MarkUnapplied();
    chooser.next = ValidFile();
    EXPECT_TRUE(presenter.OnCommand(kCmdImport));
    EXPECT_FALSE(window.applyEnabled);
    EXPECT_FALSE(presenter.fullDownloadPending());
    EXPECT_EQ(store.Lock()->BlockRecord(2, kEscRecord), kDisabled);
    EXPECT_TRUE(window.failures.empty());
}

TEST_F(MainWindowFiles, AnImportWhoseDownloadFailsKeepsApplyForAllProfiles) {
    StartAndShow();
    chooser.next = ValidFile();
    keyboard.Unplug();
    EXPECT_TRUE(presenter.OnCommand(kCmdImport));
    EXPECT_EQ(store.Lock()->BlockRecord(2, kEscRecord), kDisabled);
    ASSERT_EQ(window.failures.size(), 1u);
    EXPECT_TRUE(Contains(window.failures[0], "loaded, but writing it to the keyboard failed"));
    EXPECT_TRUE(window.applyEnabled);
    EXPECT_TRUE(presenter.fullDownloadPending());

    // The retry writes all three keymaps, though only profile 0 is active.
    keyboard.Plug();
    keyboard.ClearTrace();
    EXPECT_EQ(presenter.Apply(), ApplyOutcome::Applied);
    EXPECT_EQ(KeymapBlocksWritten(), (std::vector<unsigned>{0, 1, 2}));
    EXPECT_FALSE(presenter.fullDownloadPending());
    EXPECT_FALSE(window.applyEnabled);
}

TEST_F(MainWindowFiles, ExportWritesTheStoreAndSaysWhyItFailed) {
    StartAndShow();
    (void)store.Lock()->SetBlockRecord(1, kEscRecord, kDisabled);
    const auto good = documents.Path() / "out.fwc";
    chooser.next = good;
    EXPECT_TRUE(presenter.OnCommand(kCmdExport));
    EXPECT_EQ(chooser.dialogs.back(), ProfileSaveDialog());
    EXPECT_TRUE(chooser.dialogs.back().confirmOverwrite);
    profiles::StoreContents written;
    ASSERT_EQ(profiles::ReadProfileFile(good, written), 1);
    EXPECT_EQ(written.BlockRecord(1, kEscRecord), kDisabled);

    const auto bad = documents.Path() / "missing-folder" / "out.fwc";
    chooser.next = bad;
    EXPECT_TRUE(presenter.OnCommand(kCmdExport));
    ASSERT_EQ(window.failures.size(), 1u);
    // The path and, after it, the reason the save gave.
    EXPECT_TRUE(Contains(window.failures[0], "not exported to " + bad.string() + ": "))
        << window.failures[0];
    EXPECT_FALSE(std::filesystem::exists(bad));
}

// ---- Busy scope ----

TEST_F(MainWindowTest, DeviceMessagesAndTheEndWaitForARunningTransfer) {
    StartAndShow();
    (void)store.Lock()->SetBlockRecord(0, kEscRecord, kDisabled);
    presenter.MarkUnapplied();
    keyboard.Unplug();
    // While the failure box is open (a nested event loop), the keyboard comes back and reports a
    // profile change, the user chooses Exit from the tray and clicks Apply again.
    bool applyRefused = false;
    window.onFailure = [&] {
        window.onFailure = nullptr;
        keyboard.Plug();
        SetKeyboardProfile(2);
        EXPECT_EQ(presenter.OnMessage(app::kMsgProf, app::kTagProf), 1);
        EXPECT_EQ(presenter.OnMessage(app::kMsgProf, app::kTagProf), 1);
        EXPECT_TRUE(presenter.OnCommand(kCmdExit));
        applyRefused = !presenter.OnCommand(kCtlApply);
        EXPECT_TRUE(Calls("select").empty());  // nothing ran yet
        EXPECT_FALSE(presenter.ending());
    };
    EXPECT_EQ(presenter.Apply(), ApplyOutcome::Failed);
    EXPECT_TRUE(applyRefused);
    // After the transfer: the refresh ran once (selecting profile 2), then the ending.
    EXPECT_EQ(Calls("select"), (std::vector<std::string>{"select:2"}));
    EXPECT_TRUE(presenter.ending());
    const auto select = std::find(log.begin(), log.end(), "select:2");
    const auto quit = std::find(log.begin(), log.end(), "step:quit event loop");
    EXPECT_LT(select, quit);
    EXPECT_FALSE(window.busy);
}

TEST_F(MainWindowTest, DeviceMessagesReachTheHandlersWithTheirOwnTag) {
    StartAndShow();
    presenter.About();
    window.managerOpen = true;
    EXPECT_EQ(presenter.OnMessage(app::kMsgRemoved, 1), 0);
    EXPECT_TRUE(window.about.has_value());
    EXPECT_EQ(presenter.OnMessage(app::kMsgRemoved, app::kTagRemoved), 1);
    EXPECT_FALSE(window.about.has_value());
    EXPECT_FALSE(presenter.aboutOpen());
    EXPECT_FALSE(window.managerOpen);

    EXPECT_EQ(presenter.OnMessage(app::kMsgLed, app::kTagProf), 0);
    EXPECT_TRUE(Calls("g").empty());
    EXPECT_EQ(presenter.OnMessage(app::kMsgLed, app::kTagLed), 1);
    EXPECT_EQ(Calls("g").size(), 9u);
    EXPECT_EQ(presenter.OnMessage(0x1234, 0), 0);

    // Timer 1053 re-reads the keyboard through PROF.
    SetKeyboardProfile(1);
    EXPECT_TRUE(presenter.OnTimer(app::kTimerRereadKeyboard));
    EXPECT_EQ(Calls("select"), (std::vector<std::string>{"select:1"}));
    EXPECT_EQ(lighting.state().currentProfile, 1);
    EXPECT_FALSE(presenter.OnTimer(999));
}

// ---- The ending ----

TEST_F(MainWindowTest, TheEndingRunsItsStepsInOrderOnce) {
    StartAndShow();
    presenter.About();
    presenter.MarkUnapplied();
    log.clear();
    EXPECT_EQ(presenter.OnMessage(app::kMsgKill, app::kTagOpen), 0);
    EXPECT_FALSE(presenter.ending());
    EXPECT_EQ(presenter.OnMessage(app::kMsgKill, app::kTagKill), 1);

    EXPECT_EQ(log,
              (CallLog{"step:begin closing", "hide", "close about", "close editors",
                       "step:release instance", "remove tray", "step:stop monitor",
                       "step:clear device listener", "step:free stores", "step:quit event loop"}));
    EXPECT_TRUE(presenter.eventNames().empty());
    EXPECT_FALSE(window.applyEnabled);

    // Nothing runs after it.
    log.clear();
    EXPECT_FALSE(presenter.OnCommand(kCtlClose));
    EXPECT_EQ(presenter.OnMessage(app::kMsgProf, app::kTagProf), 0);
    EXPECT_EQ(presenter.OnMessage(app::kMsgOpen, app::kTagOpen), 1);
    presenter.End();
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(window.shown);
}

TEST_F(MainWindowTest, EveryEndingCommandEnds) {
    for (const std::uint32_t command : {kCtlClose, kCmdClose, kCmdExit}) {
        CallLog steps;
        RecordingWindow view(steps);
        RecordingShell endShell(steps);
        MainWindowPresenter other({view, endShell, chooser, panel, prompter, language, languageFile,
                                   state, store, transfers, switching, assignments, lighting,
                                   handlers, helpPage, "x"});
        EXPECT_TRUE(other.OnCommand(command));
        EXPECT_TRUE(other.ending()) << command;
        EXPECT_EQ(steps.back(), "step:quit event loop");
    }
}

// ---- About, help, link, menus, texts ----

TEST_F(MainWindowTest, TheAboutBoxOpensOnceWithFreshTexts) {
    TempFolder::Write(languageFile,
                      "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nGUANYU_JIESHAO=Intro one\n"
                      "GUANYU_BANQUAN=(c) one\n");
    EXPECT_TRUE(presenter.OnCommand(kCmdAbout));
    ASSERT_TRUE(window.about.has_value());
    EXPECT_EQ(*window.about,
              (AboutBoxModel{"Intro one", "(c) one", "https://example.org/keyboard"}));
    EXPECT_TRUE(presenter.OnCommand(kCmdAbout));
    EXPECT_EQ(Calls("about").size(), 1u);
    EXPECT_EQ(Calls("raise about").size(), 1u);

    presenter.OnAboutBoxClosed();
    TempFolder::Write(languageFile,
                      "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nGUANYU_JIESHAO=Intro two\n");
    presenter.About();
    EXPECT_EQ(Calls("about").size(), 2u);
    EXPECT_EQ(window.about->introduction, "Intro two");
    EXPECT_EQ(window.about->copyright, "");  // a missing key shows empty
}

TEST_F(MainWindowTest, HelpLinkMinimiseAndThePopupMenu) {
    TempFolder::Write(languageFile,
                      "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nMENU_1=Imp\nMENU_2=Exp\nMENU_3=Abt\n");
    EXPECT_TRUE(presenter.OnCommand(kCtlHelp));
    EXPECT_TRUE(presenter.OnCommand(kCtlLink));
    EXPECT_EQ(window.opened,
              (std::vector<std::string>{helpPage.string(), "https://example.org/keyboard"}));
    EXPECT_TRUE(presenter.OnCommand(kCtlMinimize));
    EXPECT_EQ(Calls("minimise").size(), 1u);

    EXPECT_TRUE(presenter.OnCommand(kCtlMenu));
    EXPECT_EQ(window.menu, (std::vector<MenuItem>{{kCmdImport, "Imp", false, false},
                                                  {kCmdExport, "Exp", false, false},
                                                  {kCmdAbout, "Abt", false, false},
                                                  {kCmdClose, "", false, false}}));
    EXPECT_FALSE(presenter.OnCommand(4242));
}

TEST_F(MainWindowTest, TheKeyFilter) {
    EXPECT_TRUE(presenter.OnKey(WindowKey::Enter, true, false));
    EXPECT_TRUE(presenter.OnKey(WindowKey::Escape, false, false));
    EXPECT_FALSE(presenter.OnKey(WindowKey::Up, true, false));
    EXPECT_TRUE(presenter.OnKey(WindowKey::Up, true, true));
    EXPECT_TRUE(presenter.OnKey(WindowKey::Right, false, true));
    EXPECT_FALSE(presenter.OnKey(WindowKey::Other, true, true));
    EXPECT_TRUE(window.opened.empty());
    // F1 opens the help page on its press only.
    EXPECT_TRUE(presenter.OnKey(WindowKey::F1, true, false));
    EXPECT_TRUE(presenter.OnKey(WindowKey::F1, false, false));
    EXPECT_EQ(window.opened, (std::vector<std::string>{helpPage.string()}));

    EXPECT_TRUE(SwallowWheel(true, false));
    EXPECT_FALSE(SwallowWheel(true, true));
    EXPECT_FALSE(SwallowWheel(false, false));
}

TEST_F(MainWindowTest, TheLabelsComeFromTheLanguageFile) {
    TempFolder::Write(languageFile,
                      "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nPROFILE_OK=Fine\nPROFILE_1=One\n"
                      "MAIN_MINIMIZE_PROMPT=Smaller\n");
    presenter.OnWindowCreated();
    const auto caption = [this](std::uint32_t id) {
        for (const auto& text : window.texts.captions) {
            if (text.controlId == id) {
                return text.text;
            }
        }
        return std::string("<none>");
    };
    EXPECT_EQ(caption(kCtlOk), "Fine");
    EXPECT_EQ(caption(kCtlProfile1), "One");
    EXPECT_EQ(caption(kCtlCancel), "");  // loaded: a missing key is empty
    EXPECT_EQ(caption(kCtlVersion), "");
    EXPECT_EQ(std::count(window.texts.tooltips.begin(), window.texts.tooltips.end(),
                         ControlText{kCtlMinimize, "Smaller"}),
              1);
    EXPECT_EQ(std::count(window.texts.tooltips.begin(), window.texts.tooltips.end(),
                         ControlText{kCtlLink, "https://example.org/keyboard"}),
              1);
}

TEST_F(MainWindowTest, TheMacroMeterFollowsTheMacrosAndTheCapacity) {
    StartAndShow();
    const std::uint32_t capacity = state.macroMemorySize.load();
    ASSERT_GT(capacity, 0u);
    EXPECT_EQ(window.meter.text, "macro memory: 16 / " + std::to_string(capacity) + " bytes");

    macros::MacroRecord macro;
    macro.id = 1;
    macro.SetName(u"Burst");
    (void)macro.AppendAction({20, 0x01E, macros::kActionPress});
    std::vector<macros::MacroRecord> list{macro};
    (void)profiles::CommitMacroList(store, list);
    presenter.MarkUnapplied();
    const macros::ImageSizes sizes = macros::MacroImageSizes(list);
    EXPECT_EQ(window.meter.used, sizes.withNames);
    EXPECT_FALSE(window.meter.namesDropped);
}

}  // namespace
}  // namespace qf::presenters::testing
