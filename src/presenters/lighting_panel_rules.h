// The lighting panel's fixed facts: its controls and where the main skin places them, the groups
// of controls each lighting mode shows, the pictures of the clickable controls and the sliders'
// thumb pictures, and the label texts of the main skin.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "text/ini_file.h"

namespace qf::presenters {

// Command ids of the lighting panel's controls.
namespace panel {
inline constexpr std::uint32_t kSwitch = 1167;  // the on/off picture
inline constexpr std::uint32_t kDengLabel = 1171;
inline constexpr std::uint32_t kEffectList = 1146;
inline constexpr std::uint32_t kLightLabel = 1172;
inline constexpr std::uint32_t kBrightnessSlider = 1178;
inline constexpr std::uint32_t kSpeedLabel = 1166;
inline constexpr std::uint32_t kSpeedSlider = 1179;
inline constexpr std::uint32_t kDirectionLabel = 1148;
inline constexpr std::uint32_t kDirectionLeft = 1149;   // direction 1
inline constexpr std::uint32_t kDirectionRight = 1150;  // direction 0
inline constexpr std::uint32_t kColourLabel = 1154;
inline constexpr std::uint32_t kColourPicker = 1155;
inline constexpr std::uint32_t kMulticolourLabel = 1173;
inline constexpr std::uint32_t kMulticolourPicture = 1156;
inline constexpr std::uint32_t kSecondColourLabel = 1151;
inline constexpr std::uint32_t kSecondColourPicker = 1152;
inline constexpr std::uint32_t kSecondMulticolourLabel = 1176;
inline constexpr std::uint32_t kSecondMulticolourPicture = 1175;
inline constexpr std::array<std::uint32_t, 4> kFourColourPictures = {1194, 1195, 1196, 1197};
inline constexpr std::uint32_t kPaintColourLabel = 1159;
inline constexpr std::uint32_t kPaintColourPicker = 1160;
inline constexpr std::uint32_t kToolLabel = 1163;
inline constexpr std::uint32_t kToolPicture = 1164;
inline constexpr std::uint32_t kUserModeList = 1198;
inline constexpr std::uint32_t kUsbLabel = 1204;
// Report rate 0..3; placed as skinned buttons by the main window (FUNC_REPORT1..4).
inline constexpr std::array<std::uint32_t, 4> kReportButtons = {1147, 1168, 1169, 1170};
}  // namespace panel

// One control of the panel and its key in section "BUTTONINFO" of the main skin. The direction
// controls' keys are those of the plain set; the mode's set moves them (DirectionKeysForMode).
struct PanelControl {
    std::uint32_t id = 0;
    std::string_view layoutKey;
};
// Every control placed with its rectangle (the report buttons are the main window's).
std::span<const PanelControl> PanelControls();
// The layout key of a control; empty for an id outside the panel.
std::string_view PanelLayoutKeyOf(std::uint32_t id);

// The groups of controls the panel shows or hides together.
enum class PanelGroup : std::uint8_t {
    Effect,        // effect list, "Deng" and the brightness label and slider: every mode
    Speed,         // speed label and slider
    Direction,     // direction label and pictures
    Colour,        // colour picker and multicolour picture
    SecondColour,  // the same in their second place (mode 16)
    FourColour,    // the four-colour choice (mode 17)
    UserColours,   // paint colour, paint tool and the user mode list (mode 8)
};
inline constexpr std::size_t kPanelGroupCount = 7;
using GroupVisibility = std::array<bool, kPanelGroupCount>;

std::span<const std::uint32_t> ControlsOfGroup(PanelGroup group);
// The group of a control; none for the switch, the report buttons and the "Usb" label, which
// are always shown.
std::optional<PanelGroup> GroupOfControl(std::uint32_t id);

// The groups shown for a mode code: none while the panel is off; the effect group and the
// groups of the mode's parameters while it is on (only the effect group for a code outside
// 1..18).
GroupVisibility VisibleGroups(bool panelOn, int mode);
// Whether a control is shown under a group visibility.
bool ControlVisible(const GroupVisibility& groups, std::uint32_t id);

// The pictures of the panel's clickable controls (files in the Skins folder).
enum class PanelPicture : std::uint8_t {
    DengUp,
    DengDown,
    LeftUp,
    LeftDown,
    RightUp,
    RightDown,
    UpUp,
    UpDown,
    DownUp,
    DownDown,
    Kuosan,
    KuosanDown,
    Julong,
    JulongDown,
    Hong,
    HongOk,
    Huang,
    HuangOk,
    Lv,
    LvOk,
    Lan,
    LanOk,
    SjsUp,
    SjsDown,
    User1Up,
    User1Down,
};
inline constexpr std::size_t kPanelPictureCount = 26;

// "Skins/dengup.bmp" and so on, relative to the install folder.
std::string_view PictureFile(PanelPicture picture);

// A picture in its unselected and selected image.
struct PicturePair {
    PanelPicture plain;
    PanelPicture selected;
    constexpr PanelPicture Of(bool isSelected) const { return isSelected ? selected : plain; }
};
// The direction pictures of a mode: left/right (1, 2, 7 and modes without a direction),
// up/down (12), "kuosan"/"julong" (18).
struct DirectionPictures {
    PicturePair left;   // direction 1
    PicturePair right;  // direction 0
};
DirectionPictures DirectionPicturesOf(int mode);
// The four-colour choice 0..3.
extern const std::array<PicturePair, 4> kFourColourPictureSet;
inline constexpr PicturePair kSwitchPictures{PanelPicture::DengUp, PanelPicture::DengDown};
inline constexpr PicturePair kMulticolourPictures{PanelPicture::SjsUp, PanelPicture::SjsDown};
inline constexpr PicturePair kToolPictures{PanelPicture::User1Up, PanelPicture::User1Down};

// Slider thumbs: picture k is "Skins/<k>.bmp", k = 0..25. Both sliders have positions 0..4;
// the brightness thumb is its position, the speed thumb 6 + its position (speed 4 - position),
// on a drag and on a refresh alike.
inline constexpr int kSliderPositions = 5;
inline constexpr int kThumbPictureCount = 26;
inline constexpr int kSpeedThumbBase = 6;
std::string ThumbFile(int number);
constexpr int BrightnessThumb(int position) {
    return position;
}
constexpr int SpeedThumb(int position) {
    return kSpeedThumbBase + position;
}

// The label texts, from the main skin's "Control_Name" (language setting 0) or
// "Control_Name1" (1).
struct PanelLabels {
    std::string deng;
    std::string light;
    std::string speed;
    std::string fx;
    std::string colour;  // all three colour labels
    std::string dc;      // both multicolour labels
    std::string tool;
    std::string usb;

    friend bool operator==(const PanelLabels&, const PanelLabels&) = default;
};
// The labels for a language setting; a missing key gives an empty text; nothing for a setting
// other than 0 and 1 (the labels keep their texts).
std::optional<PanelLabels> ReadPanelLabels(const text::IniDocument& mainLayout,
                                           int languageSetting);
// The text a label control shows; empty for an id that is no label.
const std::string& LabelTextOf(const PanelLabels& labels, std::uint32_t id);

}  // namespace qf::presenters
