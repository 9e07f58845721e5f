#include "ui/bridge/view_bridges.h"

#include <vector>

namespace qf::ui {

using presenters::WorkKind;

namespace {

// Runs `call` with the view bound when it runs on the GUI thread (nothing when none is).
// `view` is the bridge's own member, read on the GUI thread only.
template <typename View, typename Call>
void Deliver(GuiDispatcher& gui, View* const& view, Call call) {
    gui.dispatcher().Call(WorkKind::Plain, [&view, call = std::move(call)] {
        if (view != nullptr) {
            call(*view);
        }
    });
}

// Asks the view bound and waits for the answer: false when none is bound or when closing.
template <typename View, typename Question>
bool Ask(GuiDispatcher& gui, View* const& view, Question question) {
    return gui.dispatcher().Send<bool>(
        WorkKind::Plain, [&view, question] { return view != nullptr && question(*view); }, false);
}

}  // namespace

// ---- Bank view -------------------------------------------------------------------------------

void BankViewBridge::Bind(monitor::BankView* view) {
    view_ = view;
    if (view_ == nullptr) {
        return;
    }
    if (bankB_) {
        view_->ShowBankIndicator(*bankB_);
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        if (labels_[i]) {
            view_->SetGButtonLabel(i, *labels_[i]);
        }
    }
}

void BankViewBridge::ShowBankIndicator(bool bankB) {
    gui_.dispatcher().Call(WorkKind::Plain, [this, bankB] {
        bankB_ = bankB;
        if (view_ != nullptr) {
            view_->ShowBankIndicator(bankB);
        }
    });
}

void BankViewBridge::SetGButtonLabel(std::size_t index, std::string_view text) {
    if (index >= labels_.size()) {
        return;
    }
    gui_.dispatcher().Call(WorkKind::Plain, [this, index, label = std::string(text)] {
        labels_[index] = label;
        if (view_ != nullptr) {
            view_->SetGButtonLabel(index, label);
        }
    });
}

// ---- Assignment view -------------------------------------------------------------------------

void AssignmentViewBridge::SetKeyButton(std::size_t button, bool assigned,
                                        const std::string& caption) {
    Deliver(gui_, view_,
            [=](profiles::AssignmentView& v) { v.SetKeyButton(button, assigned, caption); });
}

void AssignmentViewBridge::SetGButton(std::size_t g, bool assigned, const std::string& caption) {
    Deliver(gui_, view_, [=](profiles::AssignmentView& v) { v.SetGButton(g, assigned, caption); });
}

void AssignmentViewBridge::EnableApply() {
    Deliver(gui_, view_, [](profiles::AssignmentView& v) { v.EnableApply(); });
}

void AssignmentViewBridge::Redraw() {
    Deliver(gui_, view_, [](profiles::AssignmentView& v) { v.Redraw(); });
}

// ---- Lighting view ---------------------------------------------------------------------------

void LightingViewBridge::ClearAllTints() {
    Deliver(gui_, view_, [](lighting::LightingView& v) { v.ClearAllTints(); });
}

void LightingViewBridge::TintAllKeys(lighting::Rgb colour) {
    Deliver(gui_, view_, [=](lighting::LightingView& v) { v.TintAllKeys(colour); });
}

void LightingViewBridge::TintZone(int zone, std::span<const lighting::KeyButtonId> buttons,
                                  lighting::Rgb colour) {
    Deliver(
        gui_, view_,
        [zone, colour, list = std::vector<lighting::KeyButtonId>(buttons.begin(), buttons.end())](
            lighting::LightingView& v) { v.TintZone(zone, list, colour); });
}

// ---- Device window view ----------------------------------------------------------------------

void DeviceWindowViewBridge::SetGButtonAssigned(std::size_t index, bool assigned) {
    Deliver(gui_, view_,
            [=](monitor::DeviceWindowView& v) { v.SetGButtonAssigned(index, assigned); });
}

void DeviceWindowViewBridge::SelectProfileButton(int profile) {
    Deliver(gui_, view_, [=](monitor::DeviceWindowView& v) { v.SelectProfileButton(profile); });
}

void DeviceWindowViewBridge::CloseEditors() {
    Deliver(gui_, view_, [](monitor::DeviceWindowView& v) { v.CloseEditors(); });
}

// ---- Switch host -----------------------------------------------------------------------------

bool SwitchHostBridge::HasUnappliedChanges() {
    return Ask(gui_, host_, [](profiles::SwitchHost& h) { return h.HasUnappliedChanges(); });
}

void SwitchHostBridge::ClearUnapplied() {
    Deliver(gui_, host_, [](profiles::SwitchHost& h) { h.ClearUnapplied(); });
}

bool SwitchHostBridge::IsEditorOpen() {
    return Ask(gui_, host_, [](profiles::SwitchHost& h) { return h.IsEditorOpen(); });
}

bool SwitchHostBridge::ManagerHasUnappliedChanges() {
    return Ask(gui_, host_, [](profiles::SwitchHost& h) { return h.ManagerHasUnappliedChanges(); });
}

int SwitchHostBridge::RunApply() {
    // The caller waits until the Apply has run.
    return Ask(gui_, host_, [](profiles::SwitchHost& h) { return h.RunApply() == 1; }) ? 1 : 0;
}

bool SwitchHostBridge::IsProfileManagerOpen() {
    return Ask(gui_, host_, [](profiles::SwitchHost& h) { return h.IsProfileManagerOpen(); });
}

void SwitchHostBridge::CheckManagerRow(int profile) {
    Deliver(gui_, host_, [=](profiles::SwitchHost& h) { h.CheckManagerRow(profile); });
}

void SwitchHostBridge::DisableManagerApply() {
    Deliver(gui_, host_, [](profiles::SwitchHost& h) { h.DisableManagerApply(); });
}

void SwitchHostBridge::ShowProfileMenu(const profiles::ProfileMenuModel& menu) {
    Deliver(gui_, host_, [menu](profiles::SwitchHost& h) { h.ShowProfileMenu(menu); });
}

}  // namespace qf::ui
