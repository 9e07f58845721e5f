#include "presenters/model_lighting_panel.h"

namespace qf::presenters {

void ModelLightingPanel::SwitchPanelOff() {
    model_.SetPanelOn(false);
    (void)model_.StorePanelOn();
    tints_.ClearAllTints();
    assignments_.RefreshAssignmentViews();
}

void ModelLightingPanel::RefreshPanel() {
    if (refresh_) {
        refresh_();
    }
}

void ModelLightingPanel::RestoreLightingDefaults() {
    (void)model_.RestoreLightingDefaults();
}

}  // namespace qf::presenters
