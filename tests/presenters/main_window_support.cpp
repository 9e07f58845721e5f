#include "presenters/main_window_support.h"

#include "support/keyboard_setup.h"
#include "text/language_keys.h"

namespace qf::presenters::testing {

// ---- RecordingWindow ----

bool RecordingWindow::CreateTrayIcon(std::string_view tooltip, int iconId) {
    if (onCreateTrayIcon) {
        onCreateTrayIcon();
    }
    Log("tray");
    trayTooltip = tooltip;
    trayIcon = iconId;
    return trayAvailable;
}

void RecordingWindow::ReportFailure(std::string_view text) {
    Log("failure");
    failures.emplace_back(text);
    if (onFailure) {
        onFailure();
    }
}

// ---- Shell, chooser, views ----

void RecordingShell::RunEndingStep(EndingStep step) {
    log_.push_back("step:" + std::string(EndingStepName(step)));
}

std::optional<std::filesystem::path> FakeFileChooser::ChooseOpenFile(const FileDialogSpec& spec) {
    dialogs.push_back(spec);
    return std::exchange(next, std::nullopt);
}

std::optional<std::filesystem::path> FakeFileChooser::ChooseSaveFile(const FileDialogSpec& spec) {
    dialogs.push_back(spec);
    return std::exchange(next, std::nullopt);
}

void ForwardingAssignmentView::EnableApply() {
    if (presenter != nullptr) {
        presenter->MarkUnapplied();
    }
}

// ---- The fixture ----

MainWindowTest::MainWindowTest()
    : transfers({link.commands(), store, defaultKeymap, state, prompter, language, profileFolder,
                 active, assignments, late}),
      switching({store, active, assignments, late, prompter, language, profileFolder, transfers}),
      lighting(link.commands(), lightingView, iniFiles, profileFolder / "mrgo.ini"),
      presenter({window, shell, chooser, panel, prompter, language, languageFile, state, store,
                 transfers, switching, assignments, lighting, handlers, helpPage,
                 "https://example.org/keyboard"}) {
    late.presenter = &presenter;
    windowLink.presenter = &presenter;
    assignmentView.presenter = &presenter;
}

void MainWindowTest::SetUp() {
    ASSERT_EQ(link.IssueReadRequests(), 1);
}

std::filesystem::path MainWindowTest::CachePath() const {
    return profiles::ProfileCachePath(profileFolder, 0);
}

void MainWindowTest::ArriveAndRefresh() {
    keys::KeymapImage defaults{};
    ASSERT_EQ(commands().ReadDefaultKeymap(defaults), qf::device::DeviceResult::Ok);
    defaultKeymap.Set(defaults);
    device::DeviceInfoBlock info;
    ASSERT_EQ(commands().ReadDeviceInfo(info), qf::device::DeviceResult::Ok);
    state.macroMemorySize.store(info.macroMemoryBytes());
    state.lastDeviceCount.store(1);
    ASSERT_EQ(presenter.OnMessage(app::kMsgProf, app::kTagProf), 1);
    ASSERT_TRUE(std::filesystem::exists(CachePath()));
}

void MainWindowTest::StartAndShow() {
    presenter.OnWindowCreated();
    ASSERT_EQ(presenter.OnMessage(app::kMsgInit, app::kTagInit), 1);
    ArriveAndRefresh();
    ASSERT_EQ(presenter.OnMessage(app::kMsgOpen, app::kTagOpen), 1);
    ASSERT_TRUE(window.shown);
    log.clear();
}

std::uint8_t MainWindowTest::KeyboardProfile() const {
    return keyboard.Memory(vkbd::Area::DeviceInfo)[10];
}

void MainWindowTest::SetKeyboardProfile(std::uint8_t profile) {
    qf::testing::SetKeyboardProfile(keyboard, profile);
}

std::size_t MainWindowTest::Received(device::Command command) const {
    return keyboard.ReportsReceived(static_cast<std::uint8_t>(command));
}

std::vector<unsigned> MainWindowTest::KeymapBlocksWritten() const {
    std::vector<unsigned> blocks;
    for (const vkbd::ReceivedRequest& request : keyboard.ReceivedRequests()) {
        if (request.command != static_cast<std::uint8_t>(device::Command::WriteKeymapBlock)) {
            continue;
        }
        const unsigned block = request.address / 512u;
        if (blocks.empty() || blocks.back() != block) {
            blocks.push_back(block);
        }
    }
    return blocks;
}

void MainWindowTest::SwitchPanelOn() {
    lighting.SetPanelOn(true);
    ASSERT_EQ(lighting.StorePanelOn(), text::IniWriteResult::Written);
}

std::vector<std::string> MainWindowTest::Calls(std::string_view prefix) const {
    std::vector<std::string> calls;
    for (const auto& call : log) {
        if (call.starts_with(prefix)) {
            calls.push_back(call);
        }
    }
    return calls;
}

}  // namespace qf::presenters::testing
