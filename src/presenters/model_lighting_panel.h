// The lighting panel's part in the main window's commands, on the lighting model alone, for a
// window whose panel has no widgets yet (and for tests). A panel with widgets implements
// LightingPanelControl itself and also shows and hides its controls.
#pragma once

#include <functional>
#include <utility>

#include "lighting/lighting_model.h"
#include "presenters/main_window_view.h"
#include "profiles/assignments.h"

namespace qf::presenters {

class ModelLightingPanel final : public LightingPanelControl {
public:
    // `tints` is the keyboard view's LightingView; `refresh`, when given, redraws the panel.
    ModelLightingPanel(lighting::LightingModel& model, lighting::LightingView& tints,
                       profiles::Assignments& assignments, std::function<void()> refresh = {})
        : model_(model), tints_(tints), assignments_(assignments), refresh_(std::move(refresh)) {}

    [[nodiscard]] bool IsPanelOn() override { return model_.state().panelOn; }
    // "0" to the settings file, the tints cleared, the assignments' looks back.
    void SwitchPanelOff() override;
    void RefreshPanel() override;
    void RestoreLightingDefaults() override;

private:
    lighting::LightingModel& model_;
    lighting::LightingView& tints_;
    profiles::Assignments& assignments_;
    std::function<void()> refresh_;
};

}  // namespace qf::presenters
