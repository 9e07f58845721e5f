// The pictures the windows name: they load, have their dialog's size (or their control's), cut the
// window's outline cleanly, and show each button's looks where the windows cut them.
#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "presenters/lighting_panel_rules.h"
#include "skin_files.h"
#include "skin_spec.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"

namespace qf::skintest {
namespace {

namespace skin = text::skin;
using skingen::Control;
using skingen::DialogSpec;
using skingen::FaceState;
using skingen::Look;
using text::SkinRect;

bool IsWhite(QRgb p) {
    return qRed(p) == 255 && qGreen(p) == 255 && qBlue(p) == 255;
}

// Mean absolute difference of the luma of two equally sized areas. JPEG keeps luma at full
// resolution but halves the colour resolution, so only luma can be compared pixel for pixel.
double MeanLumaDifference(const QImage& a, QPoint atA, const QImage& b, QPoint atB, QSize size) {
    auto luma = [](QRgb p) { return 0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p); };
    double sum = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            sum += std::abs(luma(a.pixel(atA.x() + x, atA.y() + y)) -
                            luma(b.pixel(atB.x() + x, atB.y() + y)));
        }
    }
    return sum / (size.width() * size.height());
}

// Mean absolute difference per channel between two equally sized areas.
double MeanDifference(const QImage& a, QPoint atA, const QImage& b, QPoint atB, QSize size) {
    double sum = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb p = a.pixel(atA.x() + x, atA.y() + y);
            const QRgb q = b.pixel(atB.x() + x, atB.y() + y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * size.width() * size.height());
}

struct DialogPictures {
    const char* layout;
    std::vector<std::string_view> pictures;  // relative to the install folder
};

std::vector<DialogPictures> AllDialogPictures() {
    std::vector<std::string_view> main(skin::kMainPictures.begin(), skin::kMainPictures.end());
    main.insert(main.end(), skin::kMainColourPictures.begin(), skin::kMainColourPictures.end());
    std::vector<std::string_view> composite;
    for (const auto& set : {skin::kCompositeKeyPictures, skin::kCompositeMacroPictures,
                            skin::kCompositeMacro2Pictures, skin::kCompositeMediaPictures,
                            skin::kCompositeFunctionPictures}) {
        composite.insert(composite.end(), set.begin(), set.end());
    }
    std::vector<std::string_view> profile(skin::kProfilePictures.begin(),
                                          skin::kProfilePictures.end());
    return {{"Main.ini", main}, {"Composite.ini", composite}, {"Profile.ini", profile}};
}

TEST(SkinPictures, EveryPictureOfADialogHasItsBackgroundsSize) {
    for (const DialogPictures& dialog : AllDialogPictures()) {
        const text::SkinScreen screen = text::ReadSkinScreen(LoadLayout(dialog.layout));
        const QImage background = LoadSkinPicture(screen.main);
        ASSERT_FALSE(background.isNull()) << dialog.layout;
        // A main window of about 1000 x 560 at most keeps the pictures in the memory budget.
        EXPECT_LE(background.width() * background.height(), 1000 * 560) << dialog.layout;
        for (std::string_view name : dialog.pictures) {
            const QImage picture = LoadInstalledPicture(name);
            ASSERT_FALSE(picture.isNull()) << name;
            EXPECT_EQ(picture.size(), background.size()) << name;
        }
    }
}

// A shape picture is white outside one connected outline and never white inside it; no picture
// of the dialog is pure white inside the outline, so a missing Mask cannot punch holes either.
TEST(SkinPictures, ShapesHaveNoWhiteInsideTheOutline) {
    for (const DialogPictures& dialog : AllDialogPictures()) {
        SCOPED_TRACE(dialog.layout);
        const text::SkinScreen screen = text::ReadSkinScreen(LoadLayout(dialog.layout));
        const QImage mask = LoadSkinPicture(screen.mask);
        ASSERT_FALSE(mask.isNull());
        const int w = mask.width();
        const int h = mask.height();

        // Flood the white from the border: every white pixel must be reached.
        std::vector<char> outside(static_cast<std::size_t>(w * h), 0);
        std::vector<QPoint> stack;
        auto push = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= w || y >= h) {
                return;
            }
            const auto i = static_cast<std::size_t>(y * w + x);
            if (outside[i] == 0 && IsWhite(mask.pixel(x, y))) {
                outside[i] = 1;
                stack.emplace_back(x, y);
            }
        };
        for (int x = 0; x < w; ++x) {
            push(x, 0);
            push(x, h - 1);
        }
        for (int y = 0; y < h; ++y) {
            push(0, y);
            push(w - 1, y);
        }
        while (!stack.empty()) {
            const QPoint p = stack.back();
            stack.pop_back();
            push(p.x() + 1, p.y());
            push(p.x() - 1, p.y());
            push(p.x(), p.y() + 1);
            push(p.x(), p.y() - 1);
        }
        long white = 0;
        long reached = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                white += IsWhite(mask.pixel(x, y)) ? 1 : 0;
                reached += outside[static_cast<std::size_t>(y * w + x)];
            }
        }
        EXPECT_EQ(white, reached) << "white pixels inside the outline";
        EXPECT_GT(white, 0) << "the corners should be rounded off";
        EXPECT_LT(white, w * h / 100) << "the outline should cover nearly the whole window";

        std::vector<std::string_view> pictures = dialog.pictures;
        std::vector<QImage> images = {LoadSkinPicture(screen.main)};
        for (std::string_view name : pictures) {
            images.push_back(LoadInstalledPicture(name));
        }
        for (const QImage& image : images) {
            ASSERT_EQ(image.size(), mask.size());
            long holes = 0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    if (outside[static_cast<std::size_t>(y * w + x)] == 0 &&
                        IsWhite(image.pixel(x, y))) {
                        ++holes;
                    }
                }
            }
            EXPECT_EQ(holes, 0);
        }
    }
}

struct DialogCase {
    const char* layout;
    DialogSpec spec;
    std::array<std::string_view, 4> pictures;  // normal, hover, pressed, disabled
    skingen::Page page;                        // the page the pictures show
};

std::vector<DialogCase> DialogCases() {
    // The editor's key set has no disabled picture of its own; the second macro set shows the
    // same chrome with the disabled looks.
    const std::array<std::string_view, 4> editor = {
        skin::kCompositeKeyPictures[0], skin::kCompositeKeyPictures[1],
        skin::kCompositeKeyPictures[2], skin::kCompositeMacro2Pictures[3]};
    return {
        {"Main.ini", skingen::MainDialog(), skin::kMainPictures, skingen::Page::None},
        {"Composite.ini", skingen::CompositeDialog(), editor, skingen::Page::Key},
        {"Composite.ini", skingen::CompositeDialog(), skin::kCompositeMacroPictures,
         skingen::Page::Macro},
        {"Profile.ini", skingen::ProfileDialog(), skin::kProfilePictures, skingen::Page::None},
    };
}

bool ShownOn(const Control& c, skingen::Page page) {
    return c.page == skingen::Page::None || c.page == page;
}

// A button's face in a state picture sits one pixel up and left of where the button stands;
// drawn anywhere else, the face would jump by a pixel between the background and the button.
TEST(SkinPictures, FacesInTheNormalPictureMatchTheBackgroundOnePixelLower) {
    for (const DialogCase& dialog : DialogCases()) {
        if (dialog.page == skingen::Page::Macro) {
            continue;  // the background shows the key page
        }
        const text::IniDocument layout = LoadLayout(dialog.layout);
        const QImage background = LoadSkinPicture(text::ReadSkinScreen(layout).main);
        const QImage normal = LoadInstalledPicture(dialog.pictures[0]);
        ASSERT_FALSE(background.isNull());
        ASSERT_FALSE(normal.isNull());
        int checked = 0;
        double alignedSum = 0;
        double unshiftedSum = 0;
        for (const Control& c : dialog.spec.controls) {
            if (!c.pictureButton || !c.inBackground || c.look == Look::Blank ||
                c.page != skingen::Page::None) {
                continue;
            }
            const SkinRect r = text::ReadSkinRect(layout, skin::kButtonSection, c.key);
            const QSize size(r.w, r.h);
            const double aligned = MeanLumaDifference(background, QPoint(r.x, r.y), normal,
                                                      QPoint(r.PictureX(), r.PictureY()), size);
            EXPECT_LT(aligned, 3.0) << dialog.layout << " " << c.key;
            alignedSum += aligned;
            unshiftedSum +=
                MeanLumaDifference(background, QPoint(r.x, r.y), normal, QPoint(r.x, r.y), size);
            ++checked;
        }
        EXPECT_GT(checked, 5) << dialog.layout;
        // The comparison does see a face one pixel off.
        EXPECT_GT(unshiftedSum, 2 * alignedSum) << dialog.layout;
    }
}

// Each picture shows what the windows make it mean for each button: a look that should change
// changes clearly, one that should not stays put.
TEST(SkinPictures, ButtonsChangeLookOnlyWhereTheirStateChanges) {
    for (const DialogCase& dialog : DialogCases()) {
        const text::IniDocument layout = LoadLayout(dialog.layout);
        std::array<QImage, 4> pictures;
        for (std::size_t i = 0; i < 4; ++i) {
            pictures[i] = LoadInstalledPicture(dialog.pictures[i]);
            ASSERT_FALSE(pictures[i].isNull()) << dialog.pictures[i];
        }
        for (const Control& c : dialog.spec.controls) {
            if (!c.pictureButton || c.look == Look::Blank || !ShownOn(c, dialog.page)) {
                continue;
            }
            const SkinRect r = text::ReadSkinRect(layout, skin::kButtonSection, c.key);
            const QPoint at(r.PictureX(), r.PictureY());
            for (std::size_t i = 1; i < 4; ++i) {
                const double change =
                    MeanDifference(pictures[0], at, pictures[i], at, QSize(r.w, r.h));
                if (c.states[i] == c.states[0]) {
                    EXPECT_LT(change, 3.0) << dialog.pictures[i] << " " << c.key;
                } else {
                    EXPECT_GT(change, 6.0) << dialog.pictures[i] << " " << c.key;
                }
            }
        }
    }
}

// The assigned look of a key carries the accent: clearly more colourful than the normal look.
TEST(SkinPictures, AssignedKeysStandOutInColour) {
    const text::IniDocument layout = LoadLayout("Main.ini");
    const QImage normal = LoadInstalledPicture(skin::kMainPictures[0]);
    const QImage assigned = LoadInstalledPicture(skin::kMainPictures[3]);
    auto saturation = [](const QImage& image, const SkinRect& r) {
        double sum = 0;
        for (int y = 0; y < r.h; ++y) {
            for (int x = 0; x < r.w; ++x) {
                sum += QColor(image.pixel(r.PictureX() + x, r.PictureY() + y)).hsvSaturationF();
            }
        }
        return sum / (r.w * r.h);
    };
    for (const Control& c : skingen::MainDialog().controls) {
        if (c.look != Look::Keycap && c.look != Look::MacroKey) {
            continue;
        }
        const SkinRect r = text::ReadSkinRect(layout, skin::kButtonSection, c.key);
        EXPECT_GT(saturation(assigned, r), saturation(normal, r) + 0.25) << c.key;
    }
}

TEST(SkinPictures, TheMaskShowsTheEditorsPageSetInItsPageArea) {
    // The page area looks different per page (the key page's frame is not on the media page),
    // while the chrome around it stays the same in every set.
    const text::IniDocument layout = LoadLayout("Composite.ini");
    const SkinRect page = text::ReadSkinRect(layout, skin::kButtonSection, skin::CONTROL_MASK);
    const SkinRect ok = text::ReadSkinRect(layout, skin::kButtonSection, skin::CONTROL_OK);
    const QImage key = LoadInstalledPicture(skin::kCompositeKeyPictures[0]);
    const QImage media = LoadInstalledPicture(skin::kCompositeMediaPictures[0]);
    const QImage function = LoadInstalledPicture(skin::kCompositeFunctionPictures[0]);
    const QImage macro = LoadInstalledPicture(skin::kCompositeMacroPictures[0]);
    const QPoint pageAt(page.PictureX(), page.PictureY());
    const QSize pageSize(page.w, page.h);
    EXPECT_GT(MeanDifference(key, pageAt, media, pageAt, pageSize), 0.5);
    EXPECT_GT(MeanDifference(key, pageAt, macro, pageAt, pageSize), 0.5);
    const QPoint okAt(ok.PictureX(), ok.PictureY());
    for (const QImage* other : {&media, &function, &macro}) {
        EXPECT_LT(MeanDifference(key, okAt, *other, okAt, QSize(ok.w, ok.h)), 3.0);
    }
}

// ---- The lighting panel's bitmaps -----------------------------------------------------------

TEST(SkinPictures, PanelBitmapsHaveTheSizeOfTheirControls) {
    const text::IniDocument layout = LoadLayout("Main.ini");
    auto rect = [&](std::string_view key) {
        return text::ReadSkinRect(layout, skin::kButtonSection, key);
    };
    using presenters::DirectionPicturesOf;
    struct Expectation {
        presenters::PicturePair pictures;
        std::vector<std::string_view> controls;
    };
    const std::vector<Expectation> expectations = {
        {presenters::kSwitchPictures, {"CONTROL_DengStaPic"}},
        {DirectionPicturesOf(1).left, {skin::CONTROL_BLFXLStaPic}},
        {DirectionPicturesOf(12).left, {skin::CONTROL_BLFXLStaPic}},
        {DirectionPicturesOf(18).left, {skin::CONTROL_BLFXLStaPic}},
        {DirectionPicturesOf(1).right, {skin::CONTROL_BLFXRStaPic}},
        {DirectionPicturesOf(12).right, {skin::CONTROL_BLFXRStaPic}},
        {DirectionPicturesOf(18).right, {skin::CONTROL_BLFXRStaPic}},
        {presenters::kFourColourPictureSet[0], {"CONTROL_HONGPIC"}},
        {presenters::kFourColourPictureSet[1], {"CONTROL_HUANGPIC"}},
        {presenters::kFourColourPictureSet[2], {"CONTROL_LVPIC"}},
        {presenters::kFourColourPictureSet[3], {"CONTROL_LANPIC"}},
        {presenters::kMulticolourPictures, {"CONTROL_HXsjsStaPic", "CONTROL_FYSJSStaPic"}},
        {presenters::kToolPictures, {"CONTROL_USERgjStaPic1"}},
    };
    for (const Expectation& e : expectations) {
        const std::string_view plainFile = presenters::PictureFile(e.pictures.plain);
        const std::string_view selectedFile = presenters::PictureFile(e.pictures.selected);
        const QImage plain = LoadInstalledPicture(plainFile);
        const QImage selected = LoadInstalledPicture(selectedFile);
        ASSERT_FALSE(plain.isNull()) << plainFile;
        ASSERT_FALSE(selected.isNull()) << selectedFile;
        EXPECT_NE(plain, selected) << plainFile << " and its selected picture look alike";
        for (std::string_view control : e.controls) {
            const SkinRect r = rect(control);
            EXPECT_EQ(plain.size(), QSize(r.w, r.h)) << plainFile << " for " << control;
            EXPECT_EQ(selected.size(), QSize(r.w, r.h)) << selectedFile << " for " << control;
        }
    }
}

TEST(SkinPictures, EverySliderThumbExistsAtTheSlidersHeight) {
    const text::IniDocument layout = LoadLayout("Main.ini");
    const int lightHeight =
        text::ReadSkinRect(layout, skin::kButtonSection, "CONTROL_LightSlider").h;
    const int speedHeight =
        text::ReadSkinRect(layout, skin::kButtonSection, "CONTROL_SpeedSlider").h;
    ASSERT_EQ(lightHeight, speedHeight);
    std::vector<QImage> thumbs;
    for (int k = 0; k < presenters::kThumbPictureCount; ++k) {
        const QImage thumb = LoadInstalledPicture(presenters::ThumbFile(k));
        ASSERT_FALSE(thumb.isNull()) << k;
        EXPECT_EQ(thumb.height(), lightHeight) << k;
        thumbs.push_back(thumb);
    }
    // The thumbs the sliders show tell their positions apart.
    auto at = [&](int k) { return thumbs[static_cast<std::size_t>(k)]; };
    for (int position = 0; position + 1 < presenters::kSliderPositions; ++position) {
        EXPECT_NE(at(presenters::BrightnessThumb(position)),
                  at(presenters::BrightnessThumb(position + 1)));
        EXPECT_NE(at(presenters::SpeedThumb(position)), at(presenters::SpeedThumb(position + 1)));
    }
}

}  // namespace
}  // namespace qf::skintest
