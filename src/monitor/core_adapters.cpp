#include "monitor/core_adapters.h"

namespace qf::monitor {

int TransfersKeyboardRefresh::LoadProfileFromKeyboard(bool quiet) {
    return transfers_.LoadProfileFromKeyboard(quiet);
}

int TransfersKeyboardRefresh::ReadActiveProfile() {
    return transfers_.ReadActiveProfile();
}

lighting::LightingRead LightingModelRefresh::ReadLightingState(bool withZoneColours) {
    return model_.ReadLightingState(withZoneColours);
}

void LightingModelRefresh::RefreshLightingPanel() {
    if (panel_) {
        panel_();
    }
}

void CurrentProfileView::SetGButtonAssigned(std::size_t index, bool assigned) {
    inner_.SetGButtonAssigned(index, assigned);
}

void CurrentProfileView::SelectProfileButton(int profile) {
    // SetCurrentProfile refuses (0) a profile that is not on board.
    if (model_.SetCurrentProfile(profile) == 0) {
        return;
    }
    inner_.SelectProfileButton(profile);
}

void CurrentProfileView::CloseEditors() {
    inner_.CloseEditors();
}

}  // namespace qf::monitor
