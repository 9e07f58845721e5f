// The skin's files, sections and keys, spelled exactly as they stand in the skin files
// (misspellings included: MARCO_NAME_SETTING, CONTROL_FYggcfStatc). Paths are relative to the
// install folder and use '/'.
#pragma once

#include <array>
#include <string_view>

namespace qf::text::skin {

// ---- Files --------------------------------------------------------------------------------
inline constexpr std::string_view kSkinsFolder = "Skins";
inline constexpr std::string_view kMainLayoutFile = "Skins/Main.ini";
inline constexpr std::string_view kCompositeLayoutFile = "Skins/Composite.ini";
inline constexpr std::string_view kProfileLayoutFile = "Skins/Profile.ini";
inline constexpr std::string_view kLanguageFile = "Skins/language.ini";
// User colour files: this prefix, the profile number, then kUserColourSuffix ("%s%d%s").
inline constexpr std::string_view kUserColourPrefix = "Skins/UserDengColor_";
inline constexpr std::string_view kUserColourSuffix = ".userd";

// Picture sets, in the order normal, hover, pressed, disabled.
inline constexpr std::array<std::string_view, 4> kMainPictures = {
    "Skins/main_normal.jpg", "Skins/main_over.jpg", "Skins/main_down.jpg",
    "Skins/main_disable.jpg"};
inline constexpr std::string_view kArrowPicture = "Skins/Arrow.jpg";
inline constexpr std::array<std::string_view, 4> kProfilePictures = {
    "Skins/Profile_normal.jpg", "Skins/Profile_over.jpg", "Skins/Profile_down.jpg",
    "Skins/Profile_down.jpg"};
inline constexpr std::array<std::string_view, 4> kCompositeKeyPictures = {
    "Skins/key_normal.jpg", "Skins/key_over.jpg", "Skins/key_down.jpg", "Skins/key_normal.jpg"};
inline constexpr std::array<std::string_view, 4> kCompositeMacroPictures = {
    "Skins/macro_normal.jpg", "Skins/macro_over.jpg", "Skins/macro_down.jpg",
    "Skins/macro_disable.jpg"};
inline constexpr std::array<std::string_view, 4> kCompositeMacro2Pictures = {
    "Skins/macro2_normal.jpg", "Skins/macro2_over.jpg", "Skins/macro2_down.jpg",
    "Skins/macro2_disable.jpg"};
inline constexpr std::array<std::string_view, 4> kCompositeMediaPictures = {
    "Skins/media_normal.jpg", "Skins/media_over.jpg", "Skins/media_down.jpg",
    "Skins/media_normal.jpg"};
inline constexpr std::array<std::string_view, 4> kCompositeFunctionPictures = {
    "Skins/function_normal.jpg", "Skins/function_over.jpg", "Skins/function_down.jpg",
    "Skins/function_normal.jpg"};

// The main window's two colour-display pictures.
inline constexpr std::array<std::string_view, 2> kMainColourPictures = {"Skins/main_color0.jpg",
                                                                        "Skins/main_color1.jpg"};

// ---- Sections -----------------------------------------------------------------------------
inline constexpr std::string_view kScreenSection = "SCREEN";
inline constexpr std::string_view kButtonSection = "BUTTONINFO";
inline constexpr std::string_view kArrowPictureSection = "BUTTONINFO2";
inline constexpr std::string_view kControlNameSection = "Control_Name";    // language setting 0
inline constexpr std::string_view kControlNameSection1 = "Control_Name1";  // language setting 1
inline constexpr std::string_view kModeNameSection = "Mode";               // language setting 0
inline constexpr std::string_view kModeNameSection1 = "Mode1";             // language setting 1

// ---- SCREEN -------------------------------------------------------------------------------
inline constexpr std::string_view kScreenMain = "Main";
inline constexpr std::string_view kScreenMask = "Mask";
inline constexpr std::string_view kScreenLink = "Link";
// The link button's address when "Link" is absent.
inline constexpr std::string_view kDefaultLinkTarget = "https://quillfen.example.org/";

// ---- Records ------------------------------------------------------------------------------
// What a missing rectangle record reads as.
inline constexpr std::string_view kMissingRecord = "1,1,1,1,x";
// A missing mode name reads as this.
inline constexpr std::string_view kMissingModeName = "1";

// ---- Main.ini, BUTTONINFO -----------------------------------------------------------------
inline constexpr std::string_view ZORVAT_LINK = "ZORVAT_LINK";
inline constexpr std::string_view ZORVAT_VER = "ZORVAT_VER";
inline constexpr std::string_view FUNC_PROFILES = "FUNC_PROFILES";
inline constexpr std::string_view FUNC_MACRO = "FUNC_MACRO";
inline constexpr std::string_view CONTROL_OK = "CONTROL_OK";
inline constexpr std::string_view CONTROL_CANCEL = "CONTROL_CANCEL";
inline constexpr std::string_view CONTROL_HELP = "CONTROL_HELP";
inline constexpr std::string_view CONTROL_CLOSE = "CONTROL_CLOSE";
inline constexpr std::string_view CONTROL_MINIMIZE = "CONTROL_MINIMIZE";
inline constexpr std::string_view CONTROL_MENU = "CONTROL_MENU";
inline constexpr std::string_view CONTROL2_APPLY = "CONTROL2_APPLY";
inline constexpr std::string_view LOCK_CAPS = "LOCK_CAPS";
inline constexpr std::string_view LOCK_NUM = "LOCK_NUM";
inline constexpr std::string_view LOCK_SCROLL = "LOCK_SCROLL";
inline constexpr std::string_view LOCK_AB = "LOCK_AB";
inline constexpr std::string_view FLIP_0 = "FLIP_0";
inline constexpr std::string_view FLIP_1 = "FLIP_1";
inline constexpr std::string_view FLIP_2 = "FLIP_2";
inline constexpr std::string_view FUNC_PROFILE1 = "FUNC_PROFILE1";
inline constexpr std::string_view FUNC_PROFILE2 = "FUNC_PROFILE2";
inline constexpr std::string_view FUNC_PROFILE3 = "FUNC_PROFILE3";
inline constexpr std::string_view FUNC_DEFAULT = "FUNC_DEFAULT";
inline constexpr std::string_view FUNC_SWITCH = "FUNC_SWITCH";
inline constexpr std::string_view FUNC_REPORT1 = "FUNC_REPORT1";
inline constexpr std::string_view FUNC_REPORT2 = "FUNC_REPORT2";
inline constexpr std::string_view FUNC_REPORT3 = "FUNC_REPORT3";
inline constexpr std::string_view FUNC_REPORT4 = "FUNC_REPORT4";
inline constexpr std::string_view KEY_FN = "KEY_FN";
inline constexpr std::string_view LEFT_ARROW = "LEFT_ARROW";
inline constexpr std::string_view RIGHT_ARROW = "RIGHT_ARROW";
// Formats of the keyboard view's keys: see SkinKeyForKeyIndex and SkinKeyForGKey.
inline constexpr std::string_view kKeyIndexFormat = "KEY_%03X";
inline constexpr std::string_view kGKeyFormat = "FUNC_G%d";
inline constexpr int kGKeyCount = 9;
// Our skins' own optional keys of the top-row variant buttons D1 to D6 ("%d" of 1..6); a skin
// without them shows no D buttons.
inline constexpr std::string_view kTopRowKeyFormat = "KEY_D%d";

// Main.ini, BUTTONINFO2: arrow picture keys are one of these prefixes and 1 or 2 ("%s%d").
inline constexpr std::string_view UP_ARROW_LEFT = "UP_ARROW_LEFT";
inline constexpr std::string_view DOWN_ARROW_LEFT = "DOWN_ARROW_LEFT";
inline constexpr std::string_view UP_ARROW_RIGHT = "UP_ARROW_RIGHT";
inline constexpr std::string_view DOWN_ARROW_RIGHT = "DOWN_ARROW_RIGHT";

// Main.ini, the direction controls (moved, not resized) in their three sets.
inline constexpr std::string_view CONTROL_BLFXStatic = "CONTROL_BLFXStatic";
inline constexpr std::string_view CONTROL_BLFXLStaPic = "CONTROL_BLFXLStaPic";
inline constexpr std::string_view CONTROL_BLFXRStaPic = "CONTROL_BLFXRStaPic";
inline constexpr std::string_view CONTROL_BLFXStatic2 = "CONTROL_BLFXStatic2";
inline constexpr std::string_view CONTROL_BLFXLStaPic2 = "CONTROL_BLFXLStaPic2";
inline constexpr std::string_view CONTROL_BLFXRStaPic2 = "CONTROL_BLFXRStaPic2";
inline constexpr std::string_view CONTROL_BLFXStatic3 = "CONTROL_BLFXStatic3";
inline constexpr std::string_view CONTROL_BLFXLStaPic3 = "CONTROL_BLFXLStaPic3";
inline constexpr std::string_view CONTROL_BLFXRStaPic3 = "CONTROL_BLFXRStaPic3";

// Main.ini, the lighting panel's controls (placed with their record's rectangle), in reading
// order.
inline constexpr std::array<std::string_view, 48> kLightingPanelControls = {
    "CONTROL_UsbStatic",    "CONTROL_DengStatic",    "CONTROL_DengStaPic",
    "CONTROL_XGcombox",     "CONTROL_JDTStatic",     "CONTROL_LightStatic",
    "CONTROL_LightSlider",  "CONTROL_SpeedStatic",   "CONTROL_SpeedSlider",
    "CONTROL_BLFXStatic",   "CONTROL_BLFXLStaPic",   "CONTROL_BLFXRStaPic",
    "CONTROL_FYYSStatic",   "CONTROL_FYYSButton",    "CONTROL_FYSJSStaPic",
    "CONTROL_FYSJSStatic",  "CONTROL_FYCFStatic",    "CONTROL_FYdjcfStatic",
    "CONTROL_FYggcfStatc",  "CONTROL_FYdjcfStaPic",  "CONTROL_FYggcfStaPic",
    "CONTROL_HONGPIC",      "CONTROL_HUANGPIC",      "CONTROL_LVPIC",
    "CONTROL_LANPIC",       "CONTROL_HXysStatic",    "CONTROL_HXysButton",
    "CONTROL_HXsjsStatic",  "CONTROL_HXsjsStaPic",   "CONTROL_JTysStatic",
    "CONTROL_JTysButton",   "CONTROL_USERysStatic",  "CONTROL_USERysButton",
    "CONTROL_USERjsStatic", "CONTROL_USERjsButton",  "CONTROL_USERgjStatic",
    "CONTROL_USERgyStatic", "CONTROL_USERgjStaPic1", "CONTROL_USERgjStaPic2",
    "CONTROL_TSysStatic",   "CONTROL_TSysButton",    "CONTROL_TSsjsStatic",
    "CONTROL_TSsjsStaPic",  "CONTROL_CDysStatic",    "CONTROL_CDysButton",
    "CONTROL_CDsjsStatic",  "CONTROL_CDsjsStaPic",   "CONTROL_umCombo",
};

// Main.ini, Control_Name / Control_Name1: the lighting panel's label texts. "Color" feeds all
// three colour labels, "DC" both multicolour labels.
inline constexpr std::string_view kLabelDeng = "Deng";
inline constexpr std::string_view kLabelLight = "Light";
inline constexpr std::string_view kLabelSpeed = "Speed";
inline constexpr std::string_view kLabelFx = "FX";
inline constexpr std::string_view kLabelColor = "Color";
inline constexpr std::string_view kLabelDc = "DC";
inline constexpr std::string_view kLabelTool = "Tool";
inline constexpr std::string_view kLabelUsb = "Usb";

// ---- Keys of our own skin, read when present -------------------------------------------------
// Main.ini: kTopRowKeyFormat above places the buttons D1 to D6.
// Main.ini and Composite.ini: the place where the program writes the macro memory meter.
inline constexpr std::string_view MACRO_METER = "MACRO_METER";
// Composite.ini also places the editor's Apply button under CONTROL2_APPLY, as the other two
// files do.

// ---- Composite.ini, BUTTONINFO ------------------------------------------------------------
inline constexpr std::string_view CONTROL_MASK = "CONTROL_MASK";
inline constexpr std::string_view CONTROL_TITLE = "CONTROL_TITLE";
inline constexpr std::string_view CONTROL_OSK = "CONTROL_OSK";
inline constexpr std::string_view CONTROL_CLEAR = "CONTROL_CLEAR";
inline constexpr std::string_view CONTROL_MEDIA = "CONTROL_MEDIA";
inline constexpr std::string_view CONTROL_MACRO = "CONTROL_MACRO";
inline constexpr std::string_view CONTROL_KEY = "CONTROL_KEY";
inline constexpr std::string_view CONTROL_FUNCTION = "CONTROL_FUNCTION";
// CONTROL_OK and CONTROL_CANCEL as in Main.ini.
inline constexpr std::string_view FUNC_MACRO_DELETE = "FUNC_MACRO_DELETE";
inline constexpr std::string_view FUNC_MACRO_ADD = "FUNC_MACRO_ADD";
inline constexpr std::string_view FUNC_MACRO_UP_TOP = "FUNC_MACRO_UP_TOP";
inline constexpr std::string_view FUNC_MACRO_UP = "FUNC_MACRO_UP";
inline constexpr std::string_view FUNC_MACRO_DOWN = "FUNC_MACRO_DOWN";
inline constexpr std::string_view FUNC_MACRO_DOWN_BOTTOM = "FUNC_MACRO_DOWN_BOTTOM";
inline constexpr std::string_view FUNC_MACRO_DELETE2 = "FUNC_MACRO_DELETE2";
inline constexpr std::string_view FUNC_MACRO_CLEAR = "FUNC_MACRO_CLEAR";
inline constexpr std::string_view FUNC_MACRO_RECORD = "FUNC_MACRO_RECORD";
inline constexpr std::string_view FUNC_MACRO_RECORD_DELAY = "FUNC_MACRO_RECORD_DELAY";
inline constexpr std::string_view FUNC_MACRO_LIST2 = "FUNC_MACRO_LIST2";
inline constexpr std::string_view FUNC_MACRO_CYCLES = "FUNC_MACRO_CYCLES";
inline constexpr std::string_view FUNC_MACRO_CYCLES_PROMPT = "FUNC_MACRO_CYCLES_PROMPT";
inline constexpr std::string_view TISHI_SINGLE_STATIC = "TISHI_SINGLE_STATIC";
inline constexpr std::string_view MARCO_NAME_SETTING = "MARCO_NAME_SETTING";
inline constexpr std::string_view KEY_SETTING = "KEY_SETTING";
inline constexpr std::string_view MEDIA_SETTING_TISHI = "MEDIA_SETTING_TISHI";
inline constexpr std::string_view FUNCTION_KEY_SETTING_TISHI = "FUNCTION_KEY_SETTING_TISHI";
inline constexpr std::string_view FUNC_MACRO_RECORD_DELAY2 = "FUNC_MACRO_RECORD_DELAY2";
inline constexpr std::string_view FUNC_KEY_INPUT = "FUNC_KEY_INPUT";
inline constexpr std::string_view FUNC_MEDIA_SELECT = "FUNC_MEDIA_SELECT";
inline constexpr std::string_view FUNC_MACRO_LIST = "FUNC_MACRO_LIST";
inline constexpr std::string_view FUNC_FUNCTION_SELECT = "FUNC_FUNCTION_SELECT";

// ---- Profile.ini, BUTTONINFO --------------------------------------------------------------
// CONTROL_OK, CONTROL_CANCEL and CONTROL2_APPLY as in Main.ini.
inline constexpr std::string_view FUNC_ADD = "FUNC_ADD";
inline constexpr std::string_view FUNC_LOAD = "FUNC_LOAD";
inline constexpr std::string_view FUNC_DELETE = "FUNC_DELETE";
inline constexpr std::string_view PROGRAM_LIST = "PROGRAM_LIST";

}  // namespace qf::text::skin
