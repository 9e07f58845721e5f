#include "presenters/keyboard_view.h"

#include <utility>

#include "presenters/editor_model.h"
#include "text/skin_keys.h"

namespace qf::presenters {

namespace {

namespace skin = text::skin;

constexpr std::size_t kFirstUnpaintedG = 6;  // G7..G9 always open the editor
constexpr std::size_t kG9 = 8;

bool IsClickable(ViewButton button) {
    return IsKeyboardKey(button) || button.group == ButtonGroup::TopRow;
}

const ButtonLook& NoLook() {
    static const ButtonLook look;
    return look;
}

}  // namespace

EditorOpening OpeningFor(const EditorRequest& request) {
    return {request.record, request.isG9};
}

KeyboardViewPresenter::KeyboardViewPresenter(KeyboardViewDependencies deps)
    : deps_(std::move(deps)) {
    for (const ViewButton& button : AllViewButtons()) {
        ButtonState& state = buttons_[button];
        state.look.accessibleName = AccessibleNameOf(button);
    }
    arrows_ = {ArrowLookFor(ArrowSide::Left), ArrowLookFor(ArrowSide::Right)};
}

KeyboardViewPresenter::ButtonState& KeyboardViewPresenter::StateOf(ViewButton button) {
    return buttons_.at(button);
}

const ButtonLook& KeyboardViewPresenter::LookOf(ViewButton button) const {
    const auto it = buttons_.find(button);
    return it == buttons_.end() ? NoLook() : it->second.look;
}

const ArrowLook& KeyboardViewPresenter::ArrowOf(ArrowSide side) const {
    return arrows_[static_cast<std::size_t>(side)];
}

const ButtonPlacement* KeyboardViewPresenter::PlacementOf(ViewButton button) const {
    const auto it = placements_.find(button);
    return it == placements_.end() ? nullptr : &it->second;
}

void KeyboardViewPresenter::Update(ViewButton button, ButtonLook look) {
    ButtonState& state = StateOf(button);
    if (state.look == look) {
        return;
    }
    state.look = std::move(look);
    deps_.widgets.ShowButton(button, state.look);
}

bool KeyboardViewPresenter::EnabledByVariant(ViewButton button) const {
    if (IsVariantKeyButton(button)) {
        return topRowVariant_ == 0;
    }
    if (button.group == ButtonGroup::TopRow) {
        return topRowVariant_ != 0;
    }
    return true;
}

void KeyboardViewPresenter::LayoutKeyButtons(const text::IniDocument& mainLayout) {
    topRowVariant_ = deps_.settings.ReadFlip();
    const bool bankB = deps_.bank.BankB();
    for (const ViewButton& button : AllViewButtons()) {
        ButtonPlacement placement;
        placement.button = button;
        placement.commandId = CommandIdOf(button);
        placement.layoutKey = LayoutKeyOf(button);
        placement.rect = text::ReadSkinRect(mainLayout, skin::kButtonSection, placement.layoutKey);
        // The D buttons are our skins' own: a skin made without them shows none.
        placement.inSkin = button.group != ButtonGroup::TopRow ||
                           mainLayout.Find(skin::kButtonSection, placement.layoutKey).has_value();
        deps_.widgets.PlaceButton(placement);
        placements_[button] = placement;

        ButtonState& state = StateOf(button);
        state.placedEnabled = !placement.rect.DisablesButton();
        ButtonLook& look = state.look;
        look.visible = placement.inSkin;
        look.enabled = state.placedEnabled && placement.inSkin && EnabledByVariant(button);
        look.faces = kStandardFaces;
        if (button.group == ButtonGroup::G) {
            look.label = keys::GButtonLabel(bankB, button.index);
        }
        if (button == ViewButton::Lock(LockIndicator::Bank)) {
            look.faces = bankB ? kAllOverFaces : kStandardFaces;
        }
        if (button == ViewButton::Flip(0)) {
            look.selected = topRowVariant_ != 0;
        }
        deps_.widgets.ShowButton(button, look);
    }
    for (std::size_t side = 0; side < arrows_.size(); ++side) {
        arrows_[side] = ArrowLookFor(static_cast<ArrowSide>(side));
        deps_.widgets.ShowArrow(static_cast<ArrowSide>(side), arrows_[side]);
    }
}

void KeyboardViewPresenter::ApplyTopRowVariant() {
    topRowVariant_ = deps_.settings.ReadFlip();
    ShowTopRow();
}

void KeyboardViewPresenter::ToggleTopRowVariant() {
    topRowVariant_ = topRowVariant_ == 0 ? 1 : 0;
    (void)deps_.settings.WriteFlip(topRowVariant_);
    ShowTopRow();
}

void KeyboardViewPresenter::ShowTopRow() {
    for (const ViewButton& button : AllViewButtons()) {
        if (!IsVariantKeyButton(button) && button.group != ButtonGroup::TopRow) {
            continue;
        }
        const ButtonState& state = StateOf(button);
        ButtonLook look = state.look;
        look.enabled = state.placedEnabled && look.visible && EnabledByVariant(button);
        Update(button, std::move(look));
    }
    ButtonLook indicator = LookOf(ViewButton::Flip(0));
    indicator.selected = topRowVariant_ != 0;
    Update(ViewButton::Flip(0), std::move(indicator));
    ShowArrows();
}

void KeyboardViewPresenter::OnFlipButtonHot(std::size_t flip, bool hot) {
    if (flip != 1 && flip != 2) {
        return;
    }
    arrowHot_[flip - 1] = hot;
    ShowArrows();
}

ArrowLook KeyboardViewPresenter::ArrowLookFor(ArrowSide side) const {
    const bool set = topRowVariant_ != 0;
    const bool left = side == ArrowSide::Left;
    const std::string_view prefix = left ? (set ? skin::UP_ARROW_LEFT : skin::DOWN_ARROW_LEFT)
                                         : (set ? skin::UP_ARROW_RIGHT : skin::DOWN_ARROW_RIGHT);
    const bool hot = arrowHot_[static_cast<std::size_t>(side)];
    return {left ? skin::LEFT_ARROW : skin::RIGHT_ARROW,
            text::ArrowPictureKey(prefix, hot ? 2 : 1)};
}

void KeyboardViewPresenter::ShowArrows() {
    for (std::size_t side = 0; side < arrows_.size(); ++side) {
        ArrowLook look = ArrowLookFor(static_cast<ArrowSide>(side));
        if (look != arrows_[side]) {
            arrows_[side] = std::move(look);
            deps_.widgets.ShowArrow(static_cast<ArrowSide>(side), arrows_[side]);
        }
    }
}

ClickOutcome KeyboardViewPresenter::OnKeyButtonClicked(std::uint32_t commandId) {
    const std::optional<ViewButton> button = ButtonOfCommand(commandId);
    if (!button || !IsClickable(*button) || !LookOf(*button).enabled) {
        return ClickOutcome::Ignored;
    }
    const bool alwaysEdits = button->group == ButtonGroup::G && button->index >= kFirstUnpaintedG;
    if (deps_.lighting.state().panelOn && !alwaysEdits) {
        if (!deps_.lighting.PaintsZones()) {
            return ClickOutcome::Ignored;
        }
        const std::optional<lighting::KeyButtonId> id = LightingIdOf(*button);
        if (!id || lighting::ZoneOf(*id) == lighting::kNoZone) {
            return ClickOutcome::Ignored;
        }
        (void)deps_.lighting.PaintZone(*id);
        return ClickOutcome::Painted;
    }
    const std::optional<std::size_t> record = RecordOf(*button, deps_.bank.BankB());
    if (!record) {
        return ClickOutcome::Ignored;
    }
    RunEditor(*button, *record);
    return ClickOutcome::EditorOpened;
}

void KeyboardViewPresenter::OnButtonClicked(std::uint32_t commandId) {
    if (commandId == kFlipButtonIds[1] || commandId == kFlipButtonIds[2]) {
        ToggleTopRowVariant();
        return;
    }
    (void)OnKeyButtonClicked(commandId);
}

void KeyboardViewPresenter::OpenMacroEditor() {
    const ViewButton g9 = ViewButton::G(kG9);
    RunEditor(g9, *RecordOf(g9, deps_.bank.BankB()));
}

void KeyboardViewPresenter::RunEditor(ViewButton button, std::size_t record) {
    ButtonLook highlighted = LookOf(button);
    highlighted.faces = kHighlightFaces;
    Update(button, std::move(highlighted));

    deps_.editor.OpenAssignmentEditor({record, CommandIdOf(button), button == ViewButton::G(kG9)});

    // The editor may have changed the button's assignment meanwhile: only the faces go back.
    ButtonLook restored = LookOf(button);
    restored.faces = kStandardFaces;
    Update(button, std::move(restored));
}

void KeyboardViewPresenter::SetAssigned(ViewButton button, bool assigned,
                                        const std::string* caption) {
    ButtonLook look = LookOf(button);
    look.selected = assigned;
    if (caption != nullptr) {
        look.tooltip = *caption;
    }
    Update(button, std::move(look));
}

void KeyboardViewPresenter::SetTint(ViewButton button, std::optional<lighting::Rgb> tint) {
    ButtonLook look = LookOf(button);
    look.tint = tint;
    Update(button, std::move(look));
}

void KeyboardViewPresenter::SetKeyButton(std::size_t button, bool assigned,
                                         const std::string& caption) {
    if (button < kKeyButtons.size()) {
        SetAssigned(ViewButton::Key(button), assigned, &caption);
    }
}

void KeyboardViewPresenter::SetGButton(std::size_t g, bool assigned, const std::string& caption) {
    if (g < kGButtonCount) {
        SetAssigned(ViewButton::G(g), assigned, &caption);
    }
}

void KeyboardViewPresenter::SetGButtonAssigned(std::size_t index, bool assigned) {
    if (index < kGButtonCount) {
        SetAssigned(ViewButton::G(index), assigned, nullptr);
    }
}

void KeyboardViewPresenter::EnableApply() {
    if (deps_.enableApply) {
        deps_.enableApply();
    }
}

void KeyboardViewPresenter::ClearAllTints() {
    for (const ViewButton& button : AllViewButtons()) {
        if (IsKeyboardKey(button)) {
            ButtonLook look = LookOf(button);
            look.tint.reset();
            look.selected = false;
            Update(button, std::move(look));
        }
    }
}

void KeyboardViewPresenter::TintAllKeys(lighting::Rgb colour) {
    for (const ViewButton& button : AllViewButtons()) {
        if (IsKeyboardKey(button)) {
            SetTint(button, colour);
        }
    }
}

void KeyboardViewPresenter::TintZone(int /*zone*/, std::span<const lighting::KeyButtonId> buttons,
                                     lighting::Rgb colour) {
    for (const lighting::KeyButtonId& id : buttons) {
        if (const std::optional<ViewButton> button = ButtonOfLightingId(id)) {
            SetTint(*button, colour);
        }
    }
}

void KeyboardViewPresenter::ShowBankIndicator(bool bankB) {
    const ViewButton indicator = ViewButton::Lock(LockIndicator::Bank);
    ButtonLook look = LookOf(indicator);
    look.faces = bankB ? kAllOverFaces : kStandardFaces;
    Update(indicator, std::move(look));
}

void KeyboardViewPresenter::SetGButtonLabel(std::size_t index, std::string_view text) {
    if (index >= kGButtonCount) {
        return;
    }
    ButtonLook look = LookOf(ViewButton::G(index));
    look.label = std::string(text);
    Update(ViewButton::G(index), std::move(look));
}

}  // namespace qf::presenters
