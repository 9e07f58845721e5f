#include "presenters/lighting_panel.h"

#include <algorithm>
#include <utility>

#include "lighting/modes.h"

namespace qf::presenters {

namespace {

constexpr int kMaxPosition = kSliderPositions - 1;
constexpr int kReportRates = static_cast<int>(panel::kReportButtons.size());
constexpr int kFourColourChoices = static_cast<int>(panel::kFourColourPictures.size());

int Clamp(int value, int high) {
    return std::clamp(value, 0, high);
}

std::string SwitchAccessibleName(bool on, const LightingPanelLook& look) {
    if (!on) {
        return "Lighting off";
    }
    if (look.selectedEffect < 0) {
        return "Lighting on";
    }
    return "Lighting on: " + look.effects[static_cast<std::size_t>(look.selectedEffect)].name;
}

}  // namespace

LightingPanelPresenter::LightingPanelPresenter(LightingPanelDependencies deps)
    : deps_(std::move(deps)) {
    labels_ = ReadPanelLabels(deps_.mainLayout, deps_.languageSetting).value_or(PanelLabels{});
    look_ = Compose();
}

LightingPanelLook LightingPanelPresenter::Compose() const {
    const lighting::LightingState& s = deps_.model.state();
    LightingPanelLook look;

    look.panelOn = s.panelOn;
    look.switchPicture = kSwitchPictures.Of(s.panelOn);

    for (const lighting::ModeEntry& entry : s.modeEntries) {
        look.effects.push_back(
            {entry.code,
             lighting::ModeDisplayName(deps_.mainLayout, deps_.languageSetting, entry.code)});
    }
    if (s.mode >= lighting::kFirstKnownMode && s.mode <= lighting::kLastKnownMode) {
        const auto it = std::find_if(look.effects.begin(), look.effects.end(),
                                     [&](const EffectItem& e) { return e.code == s.mode; });
        if (it != look.effects.end()) {
            look.selectedEffect = static_cast<int>(it - look.effects.begin());
        }
    }
    look.switchAccessibleName = SwitchAccessibleName(s.panelOn, look);

    look.groups = VisibleGroups(s.panelOn, s.mode);
    look.directionKeys = text::DirectionKeysForMode(s.mode);

    if (followsState_) {
        look.brightnessPosition = Clamp(s.brightness, kMaxPosition);
        look.speedPosition = Clamp(lighting::kMaxLevel - s.speed, kMaxPosition);
    }
    look.brightnessThumb = BrightnessThumb(look.brightnessPosition);
    look.speedThumb = SpeedThumb(look.speedPosition);

    const DirectionPictures direction = DirectionPicturesOf(s.mode);
    look.directionLeft = direction.left.Of(s.direction == 1);
    look.directionRight = direction.right.Of(s.direction == 0);

    look.colour = s.colour;
    look.multicolourPicture = kMulticolourPictures.Of(s.multicolour);

    const int choice =
        s.fourColourChoice >= 0 && s.fourColourChoice < kFourColourChoices ? s.fourColourChoice : 0;
    for (int i = 0; i < kFourColourChoices; ++i) {
        look.fourColour[static_cast<std::size_t>(i)] =
            kFourColourPictureSet[static_cast<std::size_t>(i)].Of(i == choice);
    }

    look.reportRate = Clamp(s.reportRate, kReportRates - 1);
    for (int i = 0; i < kReportRates; ++i) {
        look.reportAccessibleNames[static_cast<std::size_t>(i)] =
            "Report rate " + std::to_string(i + 1) + (i == look.reportRate ? ", selected" : "");
    }

    look.paintColour = s.paintColour;
    look.toolPicture = kToolPictures.Of(toolSelected_);
    look.userModes = userModes_;
    look.selectedUserMode = userMode_ < static_cast<int>(userModes_.size()) ? userMode_ : -1;

    look.labels = labels_;
    return look;
}

void LightingPanelPresenter::Publish() {
    LightingPanelLook look = Compose();
    if (shown_ && look == look_) {
        return;
    }
    look_ = std::move(look);
    shown_ = true;
    deps_.widgets.ShowPanel(look_);
}

void LightingPanelPresenter::Show() {
    look_ = Compose();
    shown_ = true;
    deps_.widgets.ShowPanel(look_);
}

void LightingPanelPresenter::RefreshLightingPanel() {
    followsState_ = true;
    deps_.model.ResetPaintColour();
    toolSelected_ = true;
    if (deps_.model.PaintsZones()) {
        deps_.model.TintZones();
    }
    Publish();
}

void LightingPanelPresenter::RefreshUserColourControls() {
    deps_.model.ResetPaintColour();
    toolSelected_ = true;
    Publish();
}

void LightingPanelPresenter::OnPanelSwitchClicked() {
    if (deps_.model.state().panelOn) {
        SwitchPanelOff();
    } else {
        (void)SwitchPanelOn();
    }
}

int LightingPanelPresenter::SwitchPanelOn() {
    deps_.model.SetPanelOn(true);
    const int switched =
        static_cast<int>(deps_.switching.SwitchProfile(deps_.activeProfile.ReadActiveProfile()));
    if (switched == 1) {
        (void)deps_.model.StorePanelOn();
        if (deps_.model.PaintsZones()) {
            deps_.model.TintZones();
        }
    } else {
        // Refused (an editor is open): a panel that looks off must not paint on key clicks.
        deps_.model.SetPanelOn(false);
    }
    Publish();
    return switched;
}

void LightingPanelPresenter::SwitchPanelOff() {
    deps_.model.SetPanelOn(false);
    (void)deps_.model.StorePanelOn();
    deps_.keyboard.ClearAllTints();
    deps_.assignments.RefreshAssignmentViews();
    Publish();
}

void LightingPanelPresenter::OnEffectChosen(int row) {
    if (row < 0 || row >= static_cast<int>(look_.effects.size())) {
        return;
    }
    followsState_ = true;
    (void)deps_.model.SelectMode(look_.effects[static_cast<std::size_t>(row)].code);
    Publish();
}

void LightingPanelPresenter::OnBrightnessMoved(int position) {
    followsState_ = true;
    (void)deps_.model.SetBrightness(position);
    Publish();
}

void LightingPanelPresenter::OnSpeedMoved(int position) {
    followsState_ = true;
    (void)deps_.model.SetSpeedFromSlider(position);
    Publish();
}

void LightingPanelPresenter::OnDirectionClicked(DirectionSide side) {
    (void)deps_.model.SetDirection(side == DirectionSide::Left ? 1 : 0);
    Publish();
}

void LightingPanelPresenter::OnColourChosen(ColourChoice choice) {
    (void)deps_.model.SetColour(choice.Resolve());
    Publish();
}

void LightingPanelPresenter::OnMulticolourClicked() {
    (void)deps_.model.ToggleMulticolour();
    Publish();
}

void LightingPanelPresenter::OnFourColourClicked(int index) {
    if (index < 0 || index >= kFourColourChoices) {
        return;
    }
    (void)deps_.model.SetFourColourChoice(index);
    Publish();
}

void LightingPanelPresenter::OnReportRateClicked(int index) {
    if (index < 0 || index >= kReportRates) {
        return;
    }
    (void)deps_.model.SetReportRate(index);
    Publish();
}

void LightingPanelPresenter::WriteTools() {
    const lighting::LightingState& s = deps_.model.state();
    (void)deps_.userColours.WriteUserModeTools(s.currentProfile, userMode_,
                                               {0, lighting::kBlack, s.paintColour});
}

void LightingPanelPresenter::OnPaintColourChosen(ColourChoice choice) {
    deps_.model.SetPaintColour(choice.Resolve());
    WriteTools();
    Publish();
}

void LightingPanelPresenter::OnToolClicked() {
    toolSelected_ = true;
    WriteTools();
    Publish();
}

void LightingPanelPresenter::OnUserModeSelected(int row) {
    if (row < 0 || row >= static_cast<int>(userModes_.size())) {
        return;
    }
    userMode_ = row;
    deps_.model.ResetPaintColour();
    toolSelected_ = true;
    if (deps_.model.PaintsZones()) {
        deps_.model.TintZones();
    }
    Publish();
}

void LightingPanelPresenter::OnUserModeEdited(std::string_view text) {
    // The edited text replaces the entry of the current user mode; an empty list gets its first
    // entry this way.
    if (userMode_ < static_cast<int>(userModes_.size())) {
        userModes_[static_cast<std::size_t>(userMode_)] = std::string(text);
    } else {
        userMode_ = static_cast<int>(userModes_.size());
        userModes_.emplace_back(text);
    }
    (void)deps_.userColours.WriteUserModeName(deps_.model.state().currentProfile, userMode_, text);
    Publish();
}

void LightingPanelPresenter::RestoreLightingDefaults() {
    followsState_ = true;
    (void)deps_.model.RestoreLightingDefaults();
    if (deps_.model.state().OffersMode(lighting::kZoneColourMode)) {
        deps_.model.ResetPaintColour();
        toolSelected_ = true;
    }
    Publish();
}

void LightingPanelPresenter::ApplyLanguage(int languageSetting) {
    deps_.languageSetting = languageSetting;
    if (std::optional<PanelLabels> labels = ReadPanelLabels(deps_.mainLayout, languageSetting)) {
        labels_ = std::move(*labels);
    }
    Publish();
}

}  // namespace qf::presenters
