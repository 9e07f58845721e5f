// What the shipped skin holds: the three dialogs, every control with its rectangle and its look,
// and the keyboard drawn from one description of its geometry. The painter draws from this and the
// writer writes the layout files from it, so a rectangle is stated once.
//
// Rectangles are where a control appears over the dialog's background. A picture button shows,
// in each state, the same rectangle of that state's picture one pixel up and left; the writer
// takes care of that shift.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qf::skingen {

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;

    [[nodiscard]] int right() const { return x + w; }
    [[nodiscard]] int bottom() const { return y + h; }
    [[nodiscard]] bool Intersects(const Rect& o) const {
        return x < o.right() && o.x < right() && y < o.bottom() && o.y < bottom();
    }
    [[nodiscard]] bool Contains(const Rect& o) const {
        return o.x >= x && o.y >= y && o.right() <= right() && o.bottom() <= bottom();
    }
};

// The pictures of a picture set, in the order normal, hover, pressed, disabled.
enum class Picture : std::uint8_t { Normal, Over, Down, Disable };
inline constexpr std::array kAllPictures = {Picture::Normal, Picture::Over, Picture::Down,
                                            Picture::Disable};

// What a control's face shows in one picture.
enum class FaceState : std::uint8_t { Normal, Hover, Pressed, Selected, Disabled };

// How a control is drawn. Blank controls are drawn by the program (lists, labels, fields): the
// pictures show the panel beneath them.
enum class Look : std::uint8_t {
    Blank,
    Keycap,         // a key with its legend painted
    MacroKey,       // a G key: a corner mark, the bank label is the program's caption
    Button,         // a button whose caption the program draws
    IconButton,     // a button with an icon and no caption
    HeaderIcon,     // an icon of the title bar: no frame until the pointer is over it
    CloseButton,    // the close icon, red under the pointer
    RateButton,     // a report rate, its number painted
    Link,           // the logo, which opens our web page
    Version,        // the field the program writes the version into
    ProfileField,   // the field the program writes the profile name into
    Indicator,      // a lock indicator: a glyph in a frame, never lit
    BankIndicator,  // bank A in the normal look, bank B in the selected look
    Lamp,           // a small lamp: dark, lit when selected
    Tab,            // a page button of the editor: an icon at its left, the caption the program's
    Title,          // the editor's title: the same in every picture
    LabelButton,    // a button with an icon and a painted label in both languages
};

enum class Icon : std::uint8_t {
    None,
    Menu,
    Help,
    Minimise,
    Close,
    Swap,
    Plus,
    Minus,
    Trash,
    Top,
    Up,
    Down,
    Bottom,
    Record,
    Restore,
    Keyboard,
    Check,
    Cross,
    NewFile,
    Folder,
    Apply,
    Macro,
    Media,
    Function,
    Bulb,
};

// The editor's pages; a control that belongs to one shows only in that page's picture set.
enum class Page : std::uint8_t { None, Key, Macro, Media, Function };

struct Control {
    std::string key;  // layout key in section BUTTONINFO
    Rect rect;
    Look look = Look::Blank;
    // What the face shows in the normal, hover, pressed and disabled picture.
    std::array<FaceState, 4> states = {FaceState::Normal, FaceState::Hover, FaceState::Pressed,
                                       FaceState::Selected};
    std::string legend;   // painted text: the key legend, the English label
    std::string legend2;  // the shifted symbol of a key, the Chinese label
    Icon icon = Icon::None;
    Page page = Page::None;
    // Whether the background picture shows the face. Controls the program may hide show plain
    // panel there, so that nothing looks clickable where nothing is.
    bool inBackground = true;
    // Whether the program places a picture button here (rather than a plain control).
    bool pictureButton = false;
    int zone = 0;  // the key's lighting zone (1..6), for the colour displays; 0 for none
};

// A control placed only for its position (MoveSkinControl), or a record with no control: written
// to the layout file, drawn as nothing.
struct Placement {
    std::string key;
    Rect rect;
};

// One entry of section BUTTONINFO2 of Main.ini: where a face is cut from Arrow.jpg.
struct ArrowFace {
    std::string key;    // e.g. UP_ARROW_LEFT1
    bool left = false;  // the arrow beside FLIP_1 (LEFT_ARROW), or beside FLIP_2
    bool up = false;
    bool highlighted = false;  // number 2
    Rect rect;                 // the face's record: cut at (x - 1, y - 1)
};

// A lighting panel picture, drawn at its control's size.
enum class PanelArt : std::uint8_t {
    SwitchOff,
    SwitchOn,
    Left,
    Right,
    Up,
    Down,
    Spread,
    Gather,
    Red,
    Yellow,
    Green,
    Blue,
    Multicolour,
    PaintTool,
};
struct PanelBitmapSpec {
    std::string file;  // relative to Skins/
    PanelArt art;
    bool selected = false;
    int w = 0;
    int h = 0;
};

struct DialogSpec {
    std::string layoutFile;  // relative to Skins/
    std::string background;  // [SCREEN] Main
    std::string mask;        // [SCREEN] Mask
    int width = 0;
    int height = 0;
    std::vector<Control> controls;
    std::vector<Placement> placements;
};

// ---- The main window ----------------------------------------------------------------------
inline constexpr int kMainWidth = 1000;
inline constexpr int kMainHeight = 560;
inline constexpr Rect kMainPlate{16, 56, 968, 282};      // the keyboard's plate
inline constexpr Rect kLightingCard{16, 348, 588, 198};  // the lighting panel
inline constexpr Rect kProfileCard{616, 348, 368, 198};  // profiles, report rate, apply

// One key unit in pixels; keys are placed on a grid of quarter units and leave a gap between
// them.
inline constexpr int kKeyUnit = 36;
inline constexpr int kKeyGap = 3;

[[nodiscard]] DialogSpec MainDialog();
[[nodiscard]] std::vector<ArrowFace> ArrowFaces();
// The size of Arrow.jpg.
[[nodiscard]] Rect ArrowPictureSize();
// Where the arrows sit over the main window: LEFT_ARROW, RIGHT_ARROW.
[[nodiscard]] const Control& FindControl(const DialogSpec& dialog, std::string_view key);
[[nodiscard]] std::vector<PanelBitmapSpec> PanelBitmaps();
// The size of the slider thumbs 0.bmp .. 25.bmp.
[[nodiscard]] Rect ThumbSize();

// ---- The composite assignment editor --------------------------------------------------------
inline constexpr int kCompositeWidth = 640;
inline constexpr int kCompositeHeight = 416;
inline constexpr Rect kCompositeSidebar{12, 52, 208, 312};  // page buttons and their prompts
inline constexpr Rect kCompositePage{228, 52, 400, 312};    // CONTROL_MASK: the page area
[[nodiscard]] DialogSpec CompositeDialog();

// The editor's picture sets: file stem, the page drawn in the page area, and whether the set has a
// disabled picture of its own.
struct PictureSet {
    std::string stem;  // "key" for key_normal.jpg, ...
    Page page;
    bool hasDisable;
};
[[nodiscard]] std::vector<PictureSet> CompositeSets();

// ---- The profile manager ------------------------------------------------------------------
inline constexpr int kProfileWidth = 560;
inline constexpr int kProfileHeight = 356;
[[nodiscard]] DialogSpec ProfileDialog();

// ---- Texts of Main.ini --------------------------------------------------------------------
struct NamePair {
    std::string_view key;
    std::string_view chinese;  // section for language setting 0
    std::string_view english;  // section for language setting 1
};
// Control_Name / Control_Name1.
[[nodiscard]] std::vector<NamePair> ControlNames();
// Mode / Mode1, keys "1" to "18".
[[nodiscard]] std::vector<NamePair> ModeNames();

// The web address of the link button.
inline constexpr std::string_view kLinkTarget = "https://quillfen.example.org/";

}  // namespace qf::skingen
