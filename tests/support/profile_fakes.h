// Recording fakes of what the profile code drives: the keyboard view's buttons, the key bank,
// the main window as switching sees it (SwitchHost) and the window's Apply command alone.
// Header only: the tests that use them link qf_profiles.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "profiles/assignments.h"
#include "profiles/switching.h"

namespace qf::testing {

struct ButtonState {
    bool assigned = false;
    std::string caption;
    bool operator==(const ButtonState&) const = default;
};

// The last look and caption of each key and G button, and how often Apply was enabled and the
// view redrawn.
class RecordingAssignmentView final : public profiles::AssignmentView {
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

// The key bank the test sets (bank A unless told).
struct FixedBank final : profiles::KeyBankSource {
    bool BankB() const override { return bankB; }
    bool bankB = false;
};

// The main window's Apply command: enabled or not.
class UnappliedFlag final : public profiles::UnappliedChanges {
public:
    bool HasUnappliedChanges() override { return unapplied; }
    void ClearUnapplied() override { unapplied = false; }
    bool unapplied = false;
};

// The main window, the composite editor and the profile manager as switching sees them: their
// state is set by the test, their commands are logged in `events` ("clear", "apply",
// "manager-apply-off"), Apply runs `onApply` (success when unset).
class RecordingSwitchHost final : public profiles::SwitchHost {
public:
    bool HasUnappliedChanges() override { return unapplied; }
    void ClearUnapplied() override {
        unapplied = false;
        events.emplace_back("clear");
    }
    bool IsEditorOpen() override { return editorOpen; }
    bool ManagerHasUnappliedChanges() override { return managerUnapplied; }
    int RunApply() override {
        events.emplace_back("apply");
        return onApply ? onApply() : 1;
    }
    bool IsProfileManagerOpen() override { return managerOpen; }
    void CheckManagerRow(int profile) override { checkedRows.push_back(profile); }
    void DisableManagerApply() override { events.emplace_back("manager-apply-off"); }
    void ShowProfileMenu(const profiles::ProfileMenuModel& model) override {
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
    profiles::ProfileMenuModel menu;
    int menuShows = 0;
};

}  // namespace qf::testing
