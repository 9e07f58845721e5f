#include "presenters/lighting_panel_rules.h"

#include <algorithm>

#include "lighting/modes.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"

namespace qf::presenters {

namespace {

namespace skin = text::skin;
using P = PanelPicture;

// clang-format off
constexpr std::array<PanelControl, 28> kControls = {{
    {panel::kSwitch,                    "CONTROL_DengStaPic"},
    {panel::kDengLabel,                 "CONTROL_DengStatic"},
    {panel::kEffectList,                "CONTROL_XGcombox"},
    {panel::kLightLabel,                "CONTROL_LightStatic"},
    {panel::kBrightnessSlider,          "CONTROL_LightSlider"},
    {panel::kSpeedLabel,                "CONTROL_SpeedStatic"},
    {panel::kSpeedSlider,               "CONTROL_SpeedSlider"},
    {panel::kDirectionLabel,            skin::CONTROL_BLFXStatic},
    {panel::kDirectionLeft,             skin::CONTROL_BLFXLStaPic},
    {panel::kDirectionRight,            skin::CONTROL_BLFXRStaPic},
    {panel::kColourLabel,               "CONTROL_HXysStatic"},
    {panel::kColourPicker,              "CONTROL_HXysButton"},
    {panel::kMulticolourLabel,          "CONTROL_HXsjsStatic"},
    {panel::kMulticolourPicture,        "CONTROL_HXsjsStaPic"},
    {panel::kSecondColourLabel,         "CONTROL_FYYSStatic"},
    {panel::kSecondColourPicker,        "CONTROL_FYYSButton"},
    {panel::kSecondMulticolourLabel,    "CONTROL_FYSJSStatic"},
    {panel::kSecondMulticolourPicture,  "CONTROL_FYSJSStaPic"},
    {panel::kFourColourPictures[0],     "CONTROL_HONGPIC"},
    {panel::kFourColourPictures[1],     "CONTROL_HUANGPIC"},
    {panel::kFourColourPictures[2],     "CONTROL_LVPIC"},
    {panel::kFourColourPictures[3],     "CONTROL_LANPIC"},
    {panel::kPaintColourLabel,          "CONTROL_USERysStatic"},
    {panel::kPaintColourPicker,         "CONTROL_USERysButton"},
    {panel::kToolLabel,                 "CONTROL_USERgjStatic"},
    {panel::kToolPicture,               "CONTROL_USERgjStaPic1"},
    {panel::kUserModeList,              "CONTROL_umCombo"},
    {panel::kUsbLabel,                  "CONTROL_UsbStatic"},
}};

constexpr std::array<std::uint32_t, 4> kEffectGroup = {
    panel::kEffectList, panel::kDengLabel, panel::kLightLabel, panel::kBrightnessSlider};
constexpr std::array<std::uint32_t, 2> kSpeedGroup = {panel::kSpeedLabel, panel::kSpeedSlider};
constexpr std::array<std::uint32_t, 3> kDirectionGroup = {
    panel::kDirectionLabel, panel::kDirectionLeft, panel::kDirectionRight};
constexpr std::array<std::uint32_t, 4> kColourGroup = {
    panel::kColourLabel, panel::kColourPicker, panel::kMulticolourLabel,
    panel::kMulticolourPicture};
constexpr std::array<std::uint32_t, 4> kSecondColourGroup = {
    panel::kSecondColourLabel, panel::kSecondColourPicker, panel::kSecondMulticolourLabel,
    panel::kSecondMulticolourPicture};
constexpr std::array<std::uint32_t, 5> kUserColoursGroup = {
    panel::kPaintColourLabel, panel::kPaintColourPicker, panel::kToolLabel, panel::kToolPicture,
    panel::kUserModeList};

constexpr std::array<std::string_view, kPanelPictureCount> kPictureFiles = {
    "Skins/dengup.bmp",   "Skins/dengdown.bmp",   "Skins/leftup.bmp",   "Skins/leftdown.bmp",
    "Skins/rightup.bmp",  "Skins/rightdown.bmp",  "Skins/upup.bmp",     "Skins/updown.bmp",
    "Skins/downup.bmp",   "Skins/downdown.bmp",   "Skins/kuosan.bmp",   "Skins/kuosandown.bmp",
    "Skins/julong.bmp",   "Skins/julongdown.bmp", "Skins/hong.bmp",     "Skins/hongok.bmp",
    "Skins/huang.bmp",    "Skins/huangok.bmp",    "Skins/lv.bmp",       "Skins/lvok.bmp",
    "Skins/lan.bmp",      "Skins/lanok.bmp",      "Skins/sjsup.bmp",    "Skins/sjsdown.bmp",
    "Skins/user1up.bmp",  "Skins/user1down.bmp",
};
// clang-format on

constexpr DirectionPictures kLeftRight{{P::LeftUp, P::LeftDown}, {P::RightUp, P::RightDown}};
constexpr DirectionPictures kUpDown{{P::UpUp, P::UpDown}, {P::DownUp, P::DownDown}};
constexpr DirectionPictures kSpreadGather{{P::Kuosan, P::KuosanDown}, {P::Julong, P::JulongDown}};

const std::string& NoText() {
    static const std::string none;
    return none;
}

}  // namespace

const std::array<PicturePair, 4> kFourColourPictureSet = {{
    {P::Hong, P::HongOk},
    {P::Huang, P::HuangOk},
    {P::Lv, P::LvOk},
    {P::Lan, P::LanOk},
}};

std::span<const PanelControl> PanelControls() {
    return kControls;
}

std::string_view PanelLayoutKeyOf(std::uint32_t id) {
    const auto it = std::find_if(kControls.begin(), kControls.end(),
                                 [id](const PanelControl& c) { return c.id == id; });
    return it == kControls.end() ? std::string_view{} : it->layoutKey;
}

std::span<const std::uint32_t> ControlsOfGroup(PanelGroup group) {
    switch (group) {
        case PanelGroup::Effect:
            return kEffectGroup;
        case PanelGroup::Speed:
            return kSpeedGroup;
        case PanelGroup::Direction:
            return kDirectionGroup;
        case PanelGroup::Colour:
            return kColourGroup;
        case PanelGroup::SecondColour:
            return kSecondColourGroup;
        case PanelGroup::FourColour:
            return panel::kFourColourPictures;
        case PanelGroup::UserColours:
            return kUserColoursGroup;
    }
    return {};
}

std::optional<PanelGroup> GroupOfControl(std::uint32_t id) {
    for (std::size_t g = 0; g < kPanelGroupCount; ++g) {
        const auto group = static_cast<PanelGroup>(g);
        const std::span<const std::uint32_t> controls = ControlsOfGroup(group);
        if (std::find(controls.begin(), controls.end(), id) != controls.end()) {
            return group;
        }
    }
    return std::nullopt;
}

GroupVisibility VisibleGroups(bool panelOn, int mode) {
    GroupVisibility shown{};
    if (!panelOn) {
        return shown;
    }
    const lighting::ModeParameters& p = lighting::ParametersOfMode(mode);
    auto set = [&shown](PanelGroup group, bool on) { shown[static_cast<std::size_t>(group)] = on; };
    set(PanelGroup::Effect, true);
    set(PanelGroup::Speed, p.speed);
    set(PanelGroup::Direction, p.direction != lighting::DirectionKind::None);
    set(PanelGroup::Colour, p.colour == lighting::ColourPlace::First);
    set(PanelGroup::SecondColour, p.colour == lighting::ColourPlace::Second);
    set(PanelGroup::FourColour, p.fourColourChoice);
    set(PanelGroup::UserColours, p.zoneColours);
    return shown;
}

bool ControlVisible(const GroupVisibility& groups, std::uint32_t id) {
    const std::optional<PanelGroup> group = GroupOfControl(id);
    return !group || groups[static_cast<std::size_t>(*group)];
}

std::string_view PictureFile(PanelPicture picture) {
    const auto i = static_cast<std::size_t>(picture);
    return i < kPictureFiles.size() ? kPictureFiles[i] : std::string_view{};
}

DirectionPictures DirectionPicturesOf(int mode) {
    switch (lighting::ParametersOfMode(mode).direction) {
        case lighting::DirectionKind::UpDown:
            return kUpDown;
        case lighting::DirectionKind::Pictures:
            return kSpreadGather;
        default:
            return kLeftRight;
    }
}

std::string ThumbFile(int number) {
    return std::string(skin::kSkinsFolder) + "/" + std::to_string(number) + ".bmp";
}

std::optional<PanelLabels> ReadPanelLabels(const text::IniDocument& mainLayout,
                                           int languageSetting) {
    auto read = [&](std::string_view key) {
        return text::ControlLabel(mainLayout, languageSetting, key);
    };
    if (!read(skin::kLabelDeng)) {
        return std::nullopt;
    }
    PanelLabels labels;
    labels.deng = *read(skin::kLabelDeng);
    labels.light = *read(skin::kLabelLight);
    labels.speed = *read(skin::kLabelSpeed);
    labels.fx = *read(skin::kLabelFx);
    labels.colour = *read(skin::kLabelColor);
    labels.dc = *read(skin::kLabelDc);
    labels.tool = *read(skin::kLabelTool);
    labels.usb = *read(skin::kLabelUsb);
    return labels;
}

const std::string& LabelTextOf(const PanelLabels& labels, std::uint32_t id) {
    switch (id) {
        case panel::kDengLabel:
            return labels.deng;
        case panel::kLightLabel:
            return labels.light;
        case panel::kSpeedLabel:
            return labels.speed;
        case panel::kDirectionLabel:
            return labels.fx;
        case panel::kColourLabel:
        case panel::kSecondColourLabel:
        case panel::kPaintColourLabel:
            return labels.colour;
        case panel::kMulticolourLabel:
        case panel::kSecondMulticolourLabel:
            return labels.dc;
        case panel::kToolLabel:
            return labels.tool;
        case panel::kUsbLabel:
            return labels.usb;
        default:
            return NoText();
    }
}

}  // namespace qf::presenters
