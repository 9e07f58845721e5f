#include "presenters/keyboard_buttons.h"

#include "keys/key_record.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"
#include "text/text_format.h"

namespace qf::presenters {

namespace {

namespace skin = text::skin;

constexpr std::array<std::string_view, kLockIndicatorIds.size()> kLockKeys = {
    skin::LOCK_CAPS, skin::LOCK_NUM, skin::LOCK_SCROLL, skin::LOCK_AB};
constexpr std::array<std::string_view, kLockIndicatorIds.size()> kLockNames = {
    "Caps Lock indicator", "Num Lock indicator", "Scroll Lock indicator", "Key bank indicator"};
constexpr std::array<std::string_view, kFlipButtonIds.size()> kFlipKeys = {
    skin::FLIP_0, skin::FLIP_1, skin::FLIP_2};
constexpr std::array<std::string_view, kFlipButtonIds.size()> kFlipNames = {
    "Top row variant", "Switch the top row (left)", "Switch the top row (right)"};

constexpr std::string_view kFnName = "Fn";

bool InGroup(ViewButton button) {
    return button.index < GroupSize(button.group);
}

std::vector<ViewButton> BuildAllButtons() {
    std::vector<ViewButton> all;
    for (ButtonGroup group : {ButtonGroup::G, ButtonGroup::Key, ButtonGroup::Fn,
                              ButtonGroup::TopRow, ButtonGroup::Lock, ButtonGroup::Flip}) {
        for (std::size_t i = 0; i < GroupSize(group); ++i) {
            all.push_back({group, static_cast<std::uint8_t>(i)});
        }
    }
    return all;
}

}  // namespace

std::size_t GroupSize(ButtonGroup group) {
    switch (group) {
        case ButtonGroup::Key:
            return kKeyButtons.size();
        case ButtonGroup::G:
            return kGButtonCount;
        case ButtonGroup::Fn:
            return 1;
        case ButtonGroup::TopRow:
            return kTopRowButtonIds.size();
        case ButtonGroup::Lock:
            return kLockIndicatorIds.size();
        case ButtonGroup::Flip:
            return kFlipButtonIds.size();
    }
    return 0;
}

const std::vector<ViewButton>& AllViewButtons() {
    static const std::vector<ViewButton> all = BuildAllButtons();
    return all;
}

std::uint32_t CommandIdOf(ViewButton button) {
    if (!InGroup(button)) {
        return 0;
    }
    switch (button.group) {
        case ButtonGroup::Key:
            return kKeyButtons[button.index].commandId;
        case ButtonGroup::G:
            return kGButtonControlIds[button.index];
        case ButtonGroup::Fn:
            return kFnButtonId;
        case ButtonGroup::TopRow:
            return kTopRowButtonIds[button.index];
        case ButtonGroup::Lock:
            return kLockIndicatorIds[button.index];
        case ButtonGroup::Flip:
            return kFlipButtonIds[button.index];
    }
    return 0;
}

std::optional<ViewButton> ButtonOfCommand(std::uint32_t commandId) {
    if (commandId == 0) {
        return std::nullopt;
    }
    for (const ViewButton& button : AllViewButtons()) {
        if (CommandIdOf(button) == commandId) {
            return button;
        }
    }
    return std::nullopt;
}

std::string LayoutKeyOf(ViewButton button) {
    if (!InGroup(button)) {
        return {};
    }
    switch (button.group) {
        case ButtonGroup::Key:
            return text::SkinKeyForKeyIndex(keys::ScanToKeyIndex(kKeyButtons[button.index].scan));
        case ButtonGroup::G:
            return text::SkinKeyForGKey(button.index + 1);
        case ButtonGroup::Fn:
            return std::string(skin::KEY_FN);
        case ButtonGroup::TopRow:
            return text::Format(skin::kTopRowKeyFormat, button.index + 1);
        case ButtonGroup::Lock:
            return std::string(kLockKeys[button.index]);
        case ButtonGroup::Flip:
            return std::string(kFlipKeys[button.index]);
    }
    return {};
}

std::string AccessibleNameOf(ViewButton button) {
    if (!InGroup(button)) {
        return {};
    }
    switch (button.group) {
        case ButtonGroup::Key:
            return std::string(kKeyButtons[button.index].accessibleName);
        case ButtonGroup::G:
            return "G" + std::to_string(button.index + 1);
        case ButtonGroup::Fn:
            return std::string(kFnName);
        case ButtonGroup::TopRow:
            return "D" + std::to_string(button.index + 1);
        case ButtonGroup::Lock:
            return std::string(kLockNames[button.index]);
        case ButtonGroup::Flip:
            return std::string(kFlipNames[button.index]);
    }
    return {};
}

std::optional<lighting::KeyButtonId> LightingIdOf(ViewButton button) {
    if (!InGroup(button)) {
        return std::nullopt;
    }
    switch (button.group) {
        case ButtonGroup::Key:
            return lighting::KeyButtonId::Key(kKeyButtons[button.index].scan);
        case ButtonGroup::G:
            return lighting::KeyButtonId::GKey(button.index + 1);
        case ButtonGroup::Fn:
            return lighting::KeyButtonId::Fn();
        default:
            return std::nullopt;
    }
}

std::optional<ViewButton> ButtonOfLightingId(lighting::KeyButtonId id) {
    switch (id.kind) {
        case lighting::KeyButtonId::Kind::Key:
            for (std::size_t n = 0; n < kKeyButtons.size(); ++n) {
                if (kKeyButtons[n].scan == id.value) {
                    return ViewButton::Key(n);
                }
            }
            return std::nullopt;
        case lighting::KeyButtonId::Kind::GKey:
            if (id.value >= 1 && id.value <= kGButtonCount) {
                return ViewButton::G(id.value - 1u);
            }
            return std::nullopt;
        case lighting::KeyButtonId::Kind::Fn:
            return ViewButton::Fn();
    }
    return std::nullopt;
}

std::optional<std::size_t> RecordOf(ViewButton button, bool bankB) {
    if (!InGroup(button)) {
        return std::nullopt;
    }
    switch (button.group) {
        case ButtonGroup::Key:
            return keys::ScanToKeyIndex(kKeyButtons[button.index].scan);
        case ButtonGroup::G:
            return keys::GRecordIndex(bankB ? 1 : 0, button.index + 1u);
        default:
            return std::nullopt;
    }
}

}  // namespace qf::presenters
