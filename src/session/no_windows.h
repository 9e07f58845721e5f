// The window side of a session for a run without windows: views that show nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/main_window_link.h"
#include "lighting/lighting_model.h"
#include "monitor/monitor_views.h"
#include "profiles/assignments.h"
#include "profiles/switching.h"

namespace qf::session {

// No main window, keyboard picture, lighting panel, profile manager or Apply button: what the
// core would show goes nowhere, and there are never unapplied changes. For programs that never
// start the monitor (the command-line tool) and for tests of the core without windows: nothing
// is ever ready, so a monitor would wait.
class NoWindows final : public app::MainWindowLink,
                        public monitor::BankView,
                        public monitor::DeviceWindowView,
                        public profiles::AssignmentView,
                        public profiles::SwitchHost {
public:
    // ---- The main window link ----
    int SendMessage(std::uint32_t, std::uint32_t) override { return 0; }
    void PostMessage(std::uint32_t, std::uint32_t) override {}
    void StartTimer(std::uint32_t, std::uint32_t) override {}
    void SetTrayIcon(int) override {}
    bool IsReady() const override { return false; }
    void HideWindow() override {}

    // ---- The keyboard picture ----
    void ShowBankIndicator(bool) override {}
    void SetGButtonLabel(std::size_t, std::string_view) override {}
    void SetGButtonAssigned(std::size_t, bool) override {}
    void SelectProfileButton(int) override {}
    void CloseEditors() override {}
    void SetKeyButton(std::size_t, bool, const std::string&) override {}
    void SetGButton(std::size_t, bool, const std::string&) override {}
    void EnableApply() override {}
    void Redraw() override {}

    // ---- The switch host: nothing open, nothing to apply ----
    bool HasUnappliedChanges() override { return false; }
    void ClearUnapplied() override {}
    bool IsEditorOpen() override { return false; }
    bool ManagerHasUnappliedChanges() override { return false; }
    int RunApply() override { return 1; }
    bool IsProfileManagerOpen() override { return false; }
    void CheckManagerRow(int) override {}
    void DisableManagerApply() override {}
    void ShowProfileMenu(const profiles::ProfileMenuModel&) override {}

    lighting::LightingView& lightingView() { return lighting_; }

private:
    lighting::NoLightingView lighting_;
};

}  // namespace qf::session
