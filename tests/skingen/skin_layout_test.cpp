// The layout files hold every record the three windows read, each a usable rectangle inside its
// dialog, and the picture buttons of a dialog do not cover one another.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "keys/key_tables.h"
#include "skin_files.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"
#include "text/text_format.h"

namespace qf::skintest {
namespace {

namespace skin = text::skin;
using text::SkinRect;

// The records each window reads, listed from what the windows do, not from the generator: a
// record the generator forgets fails here.
std::vector<std::string> MainPictureButtons() {
    std::vector<std::string> keys = {
        std::string(skin::ZORVAT_LINK),      std::string(skin::ZORVAT_VER),
        std::string(skin::FUNC_PROFILES),    std::string(skin::FUNC_MACRO),
        std::string(skin::CONTROL_OK),       std::string(skin::CONTROL_CANCEL),
        std::string(skin::CONTROL_HELP),     std::string(skin::CONTROL_CLOSE),
        std::string(skin::CONTROL_MINIMIZE), std::string(skin::CONTROL_MENU),
        std::string(skin::CONTROL2_APPLY),   std::string(skin::LOCK_CAPS),
        std::string(skin::LOCK_NUM),         std::string(skin::LOCK_SCROLL),
        std::string(skin::LOCK_AB),          std::string(skin::FLIP_0),
        std::string(skin::FLIP_1),           std::string(skin::FLIP_2),
        std::string(skin::FUNC_PROFILE1),    std::string(skin::FUNC_PROFILE2),
        std::string(skin::FUNC_PROFILE3),    std::string(skin::FUNC_DEFAULT),
        std::string(skin::FUNC_SWITCH),      std::string(skin::FUNC_REPORT1),
        std::string(skin::FUNC_REPORT2),     std::string(skin::FUNC_REPORT3),
        std::string(skin::FUNC_REPORT4),     std::string(skin::KEY_FN),
        std::string(skin::LEFT_ARROW),       std::string(skin::RIGHT_ARROW),
    };
    for (int g = 1; g <= skin::kGKeyCount; ++g) {
        keys.push_back(text::SkinKeyForGKey(g));
    }
    // Our own records of the top-row variant buttons D1 to D6.
    for (int d = 1; d <= 6; ++d) {
        keys.push_back(text::Format(skin::kTopRowKeyFormat, d));
    }
    for (const keys::ScanCode scan : keys::kSingleKeyList) {
        keys.push_back(text::SkinKeyForKeyIndex(keys::ScanToKeyIndex(scan)));
    }
    return keys;
}

std::vector<std::string> MainPlainControls() {
    std::vector<std::string> keys(skin::kLightingPanelControls.begin(),
                                  skin::kLightingPanelControls.end());
    for (std::string_view key :
         {skin::CONTROL_BLFXStatic2, skin::CONTROL_BLFXLStaPic2, skin::CONTROL_BLFXRStaPic2,
          skin::CONTROL_BLFXStatic3, skin::CONTROL_BLFXLStaPic3, skin::CONTROL_BLFXRStaPic3,
          skin::MACRO_METER}) {
        keys.emplace_back(key);
    }
    return keys;
}

std::vector<std::string> CompositePictureButtons() {
    return {
        std::string(skin::CONTROL_MASK),       std::string(skin::CONTROL_TITLE),
        std::string(skin::CONTROL_OSK),        std::string(skin::CONTROL_CLEAR),
        std::string(skin::CONTROL_KEY),        std::string(skin::CONTROL_MACRO),
        std::string(skin::CONTROL_MEDIA),      std::string(skin::CONTROL_FUNCTION),
        std::string(skin::CONTROL_OK),         std::string(skin::CONTROL_CANCEL),
        std::string(skin::CONTROL2_APPLY),     std::string(skin::FUNC_MACRO_ADD),
        std::string(skin::FUNC_MACRO_DELETE),  std::string(skin::FUNC_MACRO_RECORD),
        std::string(skin::FUNC_MACRO_DELETE2), std::string(skin::FUNC_MACRO_CLEAR),
        std::string(skin::FUNC_MACRO_UP_TOP),  std::string(skin::FUNC_MACRO_UP),
        std::string(skin::FUNC_MACRO_DOWN),    std::string(skin::FUNC_MACRO_DOWN_BOTTOM),
    };
}

std::vector<std::string> CompositePlainControls() {
    return {
        std::string(skin::FUNC_KEY_INPUT),
        std::string(skin::FUNC_MEDIA_SELECT),
        std::string(skin::FUNC_FUNCTION_SELECT),
        std::string(skin::FUNC_MACRO_LIST),
        std::string(skin::FUNC_MACRO_CYCLES),
        std::string(skin::FUNC_MACRO_CYCLES_PROMPT),
        std::string(skin::FUNC_MACRO_LIST2),
        std::string(skin::FUNC_MACRO_RECORD_DELAY),
        std::string(skin::FUNC_MACRO_RECORD_DELAY2),
        std::string(skin::KEY_SETTING),
        std::string(skin::MARCO_NAME_SETTING),
        std::string(skin::TISHI_SINGLE_STATIC),
        std::string(skin::MEDIA_SETTING_TISHI),
        std::string(skin::FUNCTION_KEY_SETTING_TISHI),
        std::string(skin::MACRO_METER),
    };
}

std::vector<std::string> ProfilePictureButtons() {
    return {std::string(skin::CONTROL_OK),  std::string(skin::CONTROL_CANCEL),
            std::string(skin::FUNC_ADD),    std::string(skin::FUNC_LOAD),
            std::string(skin::FUNC_DELETE), std::string(skin::CONTROL2_APPLY)};
}

struct LayoutCase {
    const char* file;
    std::vector<std::string> pictureButtons;
    std::vector<std::string> plainControls;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.file;
}

class LayoutFile : public ::testing::TestWithParam<LayoutCase> {
protected:
    void SetUp() override {
        layout = LoadLayout(GetParam().file);
        screen = text::ReadSkinScreen(layout);
        background = LoadSkinPicture(screen.main);
        ASSERT_FALSE(background.isNull()) << "background " << screen.main;
    }

    SkinRect Record(const std::string& key) const {
        return text::ReadSkinRect(layout, skin::kButtonSection, key);
    }

    bool InsideBackground(const SkinRect& r) const {
        return r.x >= 0 && r.y >= 0 && r.x + r.w <= background.width() &&
               r.y + r.h <= background.height();
    }

    text::IniDocument layout;
    text::SkinScreen screen;
    QImage background;
};

TEST_P(LayoutFile, EveryRecordIsPlacedInsideTheDialog) {
    std::vector<std::string> all = GetParam().pictureButtons;
    all.insert(all.end(), GetParam().plainControls.begin(), GetParam().plainControls.end());
    for (const std::string& key : all) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(layout.Find(skin::kButtonSection, key).has_value()) << "missing";
        const SkinRect r = Record(key);
        EXPECT_FALSE(r.DisablesButton()) << "at (1, 1), or not four numbers";
        EXPECT_GT(r.w, 0);
        EXPECT_GT(r.h, 0);
        EXPECT_TRUE(InsideBackground(r)) << r.x << "," << r.y << "," << r.w << "," << r.h;
    }
}

TEST_P(LayoutFile, PictureButtonsDoNotCoverOneAnother) {
    const std::vector<std::string>& keys = GetParam().pictureButtons;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        for (std::size_t j = i + 1; j < keys.size(); ++j) {
            // The editor's page picture lies beneath the page's own buttons.
            if (keys[i] == skin::CONTROL_MASK || keys[j] == skin::CONTROL_MASK) {
                continue;
            }
            const SkinRect a = Record(keys[i]);
            const SkinRect b = Record(keys[j]);
            const bool overlap =
                a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
            EXPECT_FALSE(overlap) << keys[i] << " and " << keys[j];
        }
    }
}

TEST_P(LayoutFile, NamesItsBackgroundAndALosslessShape) {
    EXPECT_FALSE(screen.main.empty());
    ASSERT_NE(screen.mask, screen.main) << "the background must not serve as the shape";
    EXPECT_TRUE(screen.mask.ends_with(".png") || screen.mask.ends_with(".bmp")) << screen.mask;
    const QImage mask = LoadSkinPicture(screen.mask);
    ASSERT_FALSE(mask.isNull());
    EXPECT_EQ(mask.size(), background.size());
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, LayoutFile,
    ::testing::Values(
        LayoutCase{"Main.ini", MainPictureButtons(), MainPlainControls()},
        LayoutCase{"Composite.ini", CompositePictureButtons(), CompositePlainControls()},
        LayoutCase{"Profile.ini", ProfilePictureButtons(), {std::string(skin::PROGRAM_LIST)}}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(CompositeLayout, PageButtonsLieOutsideThePageArea) {
    // The page area changes its picture set with the page; a page button inside it would change
    // look with it.
    const text::IniDocument layout = LoadLayout("Composite.ini");
    const SkinRect page = text::ReadSkinRect(layout, skin::kButtonSection, skin::CONTROL_MASK);
    for (std::string_view key : {skin::CONTROL_KEY, skin::CONTROL_MACRO, skin::CONTROL_MEDIA,
                                 skin::CONTROL_FUNCTION, skin::CONTROL_CLEAR, skin::CONTROL_OSK,
                                 skin::CONTROL_OK, skin::CONTROL_CANCEL, skin::CONTROL2_APPLY}) {
        const SkinRect r = text::ReadSkinRect(layout, skin::kButtonSection, key);
        const bool overlap = r.x < page.x + page.w && page.x < r.x + r.w && r.y < page.y + page.h &&
                             page.y < r.y + r.h;
        EXPECT_FALSE(overlap) << key;
    }
}

TEST(MainLayout, ArrowFacesLieInsideTheArrowPicture) {
    const text::IniDocument layout = LoadLayout("Main.ini");
    const QImage arrows = LoadInstalledPicture(skin::kArrowPicture);
    ASSERT_FALSE(arrows.isNull());
    for (std::string_view button : {skin::LEFT_ARROW, skin::RIGHT_ARROW}) {
        const SkinRect place = text::ReadSkinRect(layout, skin::kButtonSection, button);
        const bool left = button == skin::LEFT_ARROW;
        for (int number = 1; number <= 2; ++number) {
            for (std::string_view prefix :
                 left ? std::array{skin::UP_ARROW_LEFT, skin::DOWN_ARROW_LEFT}
                      : std::array{skin::UP_ARROW_RIGHT, skin::DOWN_ARROW_RIGHT}) {
                const std::string key = text::ArrowPictureKey(prefix, number);
                SCOPED_TRACE(key);
                ASSERT_TRUE(layout.Find(skin::kArrowPictureSection, key).has_value());
                const SkinRect origin = text::ReadSkinRect(layout, skin::kArrowPictureSection, key);
                EXPECT_FALSE(origin.DisablesButton());
                // The face, the button's size cut at the origin, lies inside Arrow.jpg.
                EXPECT_GE(origin.PictureX(), 0);
                EXPECT_GE(origin.PictureY(), 0);
                EXPECT_LE(origin.PictureX() + place.w, arrows.width());
                EXPECT_LE(origin.PictureY() + place.h, arrows.height());
            }
        }
    }
}

TEST(MainLayout, NamesEveryModeAndLabelInBothLanguages) {
    const text::IniDocument layout = LoadLayout("Main.ini");
    for (int setting : {0, 1}) {
        for (int code = 1; code <= 18; ++code) {
            SCOPED_TRACE(code);
            const std::string name = text::ModeName(layout, setting, code);
            EXPECT_FALSE(name.empty());
            // A missing name reads as "1": every mode has a name of its own.
            EXPECT_TRUE(layout
                            .Find(setting == 0 ? skin::kModeNameSection : skin::kModeNameSection1,
                                  std::to_string(code))
                            .has_value());
        }
        for (std::string_view label :
             {skin::kLabelDeng, skin::kLabelLight, skin::kLabelSpeed, skin::kLabelFx,
              skin::kLabelColor, skin::kLabelDc, skin::kLabelTool, skin::kLabelUsb}) {
            const std::optional<std::string> text = text::ControlLabel(layout, setting, label);
            ASSERT_TRUE(text.has_value());
            EXPECT_FALSE(text->empty()) << label;
        }
    }
    EXPECT_NE(text::ModeName(layout, 0, 1), text::ModeName(layout, 1, 1))
        << "the Chinese and English names are the same";
}

TEST(MainLayout, LinksToOurWebAddress) {
    const text::SkinScreen screen = text::ReadSkinScreen(LoadLayout("Main.ini"));
    EXPECT_TRUE(screen.link.starts_with("https://")) << screen.link;
}

}  // namespace
}  // namespace qf::skintest
