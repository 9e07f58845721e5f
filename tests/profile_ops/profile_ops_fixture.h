// The profile operations against the virtual keyboard: recording fakes of the windows and the
// prompter, and a fixture that wires the store, the transfers, the assignments and the
// switching to an in-process virtual keyboard and a temporary profile folder.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
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
#include "text/language.h"
#include "text/prompter.h"

namespace qf::profiles::testing {

using Bytes = std::vector<std::uint8_t>;

class FakePrompter final : public text::Prompter {
public:
    void ShowMessage(text::TextId id, std::string_view text) override {
        messages.emplace_back(id, std::string(text));
    }
    bool AskYesNo(text::TextId id, std::string_view /*text*/) override {
        questions.push_back(id);
        return answer ? answer(id) : false;
    }
    std::vector<text::TextId> MessageIds() const {
        std::vector<text::TextId> ids;
        for (const auto& [id, text] : messages) {
            ids.push_back(id);
        }
        return ids;
    }

    std::vector<std::pair<text::TextId, std::string>> messages;
    std::vector<text::TextId> questions;
    std::function<bool(text::TextId)> answer;
};

struct ButtonState {
    bool assigned = false;
    std::string caption;
    bool operator==(const ButtonState&) const = default;
};

class FakeView final : public AssignmentView {
public:
    void SetKeyButton(std::size_t button, bool assigned, const std::string& caption) override {
        keys[button] = {assigned, caption};
    }
    void SetGButton(std::size_t g, bool assigned, const std::string& caption) override {
        gKeys[g] = {assigned, caption};
    }
    void EnableApply() override { ++applyEnabled; }
    void Redraw() override { ++redraws; }

    std::map<std::size_t, ButtonState> keys;
    std::map<std::size_t, ButtonState> gKeys;
    int applyEnabled = 0;
    int redraws = 0;
};

struct FakeBank final : KeyBankSource {
    bool BankB() const override { return bankB; }
    bool bankB = false;
};

// The main window, the composite editor and the profile manager as switching sees them.
class FakeHost final : public SwitchHost {
public:
    bool HasUnappliedChanges() override { return unapplied; }
    void ClearUnapplied() override {
        unapplied = false;
        events.push_back("clear");
    }
    bool IsEditorOpen() override { return editorOpen; }
    bool ManagerHasUnappliedChanges() override { return managerUnapplied; }
    int RunApply() override {
        events.push_back("apply");
        return onApply ? onApply() : 1;
    }
    bool IsProfileManagerOpen() override { return managerOpen; }
    void CheckManagerRow(int profile) override { checkedRows.push_back(profile); }
    void DisableManagerApply() override { events.push_back("manager-apply-off"); }
    void ShowProfileMenu(const ProfileMenuModel& model) override {
        menu = model;
        ++menuShows;
    }

    bool unapplied = false;
    bool editorOpen = false;
    bool managerUnapplied = false;
    bool managerOpen = false;
    std::function<int()> onApply;
    std::vector<std::string> events;
    std::vector<int> checkedRows;
    ProfileMenuModel menu;
    int menuShows = 0;
};

// One control report sent to the keyboard.
struct SentReport {
    std::uint8_t command = 0;
    std::uint8_t length = 0;
    std::uint16_t address = 0;
};

// A temporary folder removed with its contents.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

Bytes ReadFile(const std::filesystem::path& path);

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
    std::filesystem::path CachePath() const { return ProfileCachePath(folder.path(), 0); }

    // The control reports sent since the trace was last cleared, retries included.
    std::vector<SentReport> Sent() const;
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

    ScratchFolder folder;
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
