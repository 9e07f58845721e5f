// The core's view interfaces, bound late to the windows that implement them.
//
// Each bridge is created with the session, before any window exists, and handed to the core;
// the window binds its own implementation with Bind once it is built (GUI thread; null
// unbinds). Every call reaches the bound view on the GUI thread: at once when the caller is the
// GUI thread, queued in call order otherwise; questions (the switch host's) wait for the answer.
// Before a view is bound: calls do nothing and questions answer false, except the bank view,
// which shows the bank last reported as soon as it is bound. Once closing has started, nothing
// is delivered and questions answer false.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "lighting/lighting_model.h"
#include "monitor/monitor_views.h"
#include "profiles/assignments.h"
#include "profiles/switching.h"
#include "ui/bridge/gui_dispatcher.h"

namespace qf::ui {

// The bank indicator and the G button labels, from the monitor's event thread.
class BankViewBridge final : public monitor::BankView {
public:
    explicit BankViewBridge(GuiDispatcher& gui) : gui_(gui) {}
    void Bind(monitor::BankView* view);

    void ShowBankIndicator(bool bankB) override;
    void SetGButtonLabel(std::size_t index, std::string_view text) override;

private:
    GuiDispatcher& gui_;
    // GUI thread only.
    monitor::BankView* view_ = nullptr;
    std::optional<bool> bankB_;
    std::array<std::optional<std::string>, monitor::kGButtonCount> labels_;
};

class AssignmentViewBridge final : public profiles::AssignmentView {
public:
    explicit AssignmentViewBridge(GuiDispatcher& gui) : gui_(gui) {}
    void Bind(profiles::AssignmentView* view) { view_ = view; }

    void SetKeyButton(std::size_t button, bool assigned, const std::string& caption) override;
    void SetGButton(std::size_t g, bool assigned, const std::string& caption) override;
    void EnableApply() override;
    void Redraw() override;

private:
    GuiDispatcher& gui_;
    profiles::AssignmentView* view_ = nullptr;  // GUI thread only
};

class LightingViewBridge final : public lighting::LightingView {
public:
    explicit LightingViewBridge(GuiDispatcher& gui) : gui_(gui) {}
    void Bind(lighting::LightingView* view) { view_ = view; }

    void ClearAllTints() override;
    void TintAllKeys(lighting::Rgb colour) override;
    void TintZone(int zone, std::span<const lighting::KeyButtonId> buttons,
                  lighting::Rgb colour) override;

private:
    GuiDispatcher& gui_;
    lighting::LightingView* view_ = nullptr;  // GUI thread only
};

class DeviceWindowViewBridge final : public monitor::DeviceWindowView {
public:
    explicit DeviceWindowViewBridge(GuiDispatcher& gui) : gui_(gui) {}
    void Bind(monitor::DeviceWindowView* view) { view_ = view; }

    void SetGButtonAssigned(std::size_t index, bool assigned) override;
    void SelectProfileButton(int profile) override;
    void CloseEditors() override;

private:
    GuiDispatcher& gui_;
    monitor::DeviceWindowView* view_ = nullptr;  // GUI thread only
};

class SwitchHostBridge final : public profiles::SwitchHost {
public:
    explicit SwitchHostBridge(GuiDispatcher& gui) : gui_(gui) {}
    void Bind(profiles::SwitchHost* host) { host_ = host; }

    [[nodiscard]] bool HasUnappliedChanges() override;
    void ClearUnapplied() override;
    [[nodiscard]] bool IsEditorOpen() override;
    [[nodiscard]] bool ManagerHasUnappliedChanges() override;
    // The Apply's result; 0 (not applied) without a bound host or once closing has started.
    [[nodiscard]] int RunApply() override;
    [[nodiscard]] bool IsProfileManagerOpen() override;
    void CheckManagerRow(int profile) override;
    void DisableManagerApply() override;
    void ShowProfileMenu(const profiles::ProfileMenuModel& menu) override;

private:
    GuiDispatcher& gui_;
    profiles::SwitchHost* host_ = nullptr;  // GUI thread only
};

}  // namespace qf::ui
