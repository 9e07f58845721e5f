// The keyboard view's button table: ids, layout keys, records and the two other identities the
// core uses for the same buttons.
#include <gtest/gtest.h>

#include <set>

#include "lighting/key_zones.h"
#include "presenters/keyboard_buttons.h"
#include "presenters/lighting_panel_rules.h"

namespace qf::presenters {
namespace {

TEST(KeyButtonTableTest, EveryButtonHasItsOwnCommandIdAndLayoutKey) {
    std::set<std::uint32_t> ids;
    std::set<std::string> layoutKeys;
    std::set<std::string> names;
    for (const ViewButton& button : AllViewButtons()) {
        const std::uint32_t id = CommandIdOf(button);
        EXPECT_TRUE(ids.insert(id).second) << "id " << id;
        EXPECT_EQ(ButtonOfCommand(id), button) << "id " << id;
        EXPECT_TRUE(layoutKeys.insert(LayoutKeyOf(button)).second) << LayoutKeyOf(button);
        const std::string name = AccessibleNameOf(button);
        EXPECT_FALSE(name.empty()) << "id " << id;
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_EQ(ids.size(), 105u + 9 + 1 + 6 + 4 + 3);
    // The lighting panel's controls share the window: no id may mean two controls.
    for (const PanelControl& control : PanelControls()) {
        EXPECT_EQ(ids.count(control.id), 0u) << control.id;
    }
    for (std::uint32_t report : panel::kReportButtons) {
        EXPECT_EQ(ids.count(report), 0u) << report;
    }
    EXPECT_FALSE(ButtonOfCommand(0).has_value());
    EXPECT_FALSE(ButtonOfCommand(1007).has_value());  // the macro command is the window's
}

TEST(KeyButtonTableTest, GFnAndTopRowButtonsKeepTheirIdsAndKeys) {
    const std::array<std::uint32_t, 9> gIds = {1000, 1001, 1002, 1003, 1004,
                                               1140, 1141, 1142, 1143};
    for (std::size_t i = 0; i < gIds.size(); ++i) {
        EXPECT_EQ(CommandIdOf(ViewButton::G(i)), gIds[i]);
        EXPECT_EQ(LayoutKeyOf(ViewButton::G(i)), "FUNC_G" + std::to_string(i + 1));
    }
    EXPECT_EQ(CommandIdOf(ViewButton::Fn()), 1174u);
    EXPECT_EQ(LayoutKeyOf(ViewButton::Fn()), "KEY_FN");
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(CommandIdOf(ViewButton::TopRow(i)), 1016u + i);
        EXPECT_EQ(LayoutKeyOf(ViewButton::TopRow(i)), "KEY_D" + std::to_string(i + 1));
    }
    EXPECT_EQ(LayoutKeyOf(ViewButton::Lock(LockIndicator::Bank)), "LOCK_AB");
    EXPECT_EQ(CommandIdOf(ViewButton::Flip(2)), 1131u);
}

// The layout key comes from the key index, which folds extended keys into 0x80..0xFF.
TEST(KeyButtonTableTest, LayoutKeysOfKeysFollowTheKeyIndex) {
    const std::map<std::size_t, std::string> expected = {
        {0, "KEY_01E"},  {38, "KEY_00E"},  {64, "KEY_0B7"},  {65, "KEY_045"}, {66, "KEY_0D2"},
        {72, "KEY_0C8"}, {80, "KEY_09D"},  {84, "KEY_0B8"},  {86, "KEY_0DC"}, {97, "KEY_0C5"},
        {98, "KEY_09C"}, {100, "KEY_0B5"}, {104, "KEY_056"},
    };
    for (const auto& [position, key] : expected) {
        EXPECT_EQ(LayoutKeyOf(ViewButton::Key(position)), key) << position;
    }
    EXPECT_EQ(kKeyButtons[64].commandId, 1091u);
    EXPECT_EQ(kKeyButtons[64].caption, "Print");
    EXPECT_EQ(kKeyButtons[104].commandId, 1208u);
    EXPECT_EQ(kKeyButtons[40].caption, "");  // Space has no caption
    EXPECT_EQ(AccessibleNameOf(ViewButton::Key(40)), "Space");
    EXPECT_EQ(AccessibleNameOf(ViewButton::Key(80)), "Right Ctrl");
}

TEST(KeyButtonTableTest, ClickRecords) {
    EXPECT_EQ(RecordOf(ViewButton::Key(0), false), 0x1Eu);  // A
    EXPECT_EQ(RecordOf(ViewButton::Key(64), true), 0xB7u);  // Print, whatever the bank
    EXPECT_EQ(RecordOf(ViewButton::G(2), false), 258u);     // G3, bank A
    EXPECT_EQ(RecordOf(ViewButton::G(2), true), 267u);      // G3, bank B
    EXPECT_EQ(RecordOf(ViewButton::G(8), true), 273u);      // G9, bank B
    EXPECT_FALSE(RecordOf(ViewButton::Fn(), false).has_value());
    EXPECT_FALSE(RecordOf(ViewButton::TopRow(0), false).has_value());
    EXPECT_FALSE(RecordOf(ViewButton::Flip(1), false).has_value());
}

// The lighting zones name buttons by scan code and G number: each of them must be a button of
// the view, and every key, G and Fn button but right Win and G7..G9 must be in a zone.
TEST(KeyButtonTableTest, LightingIdentitiesMapOneToOne) {
    std::set<ViewButton> zoned;
    for (int zone = lighting::kFirstZone; zone <= lighting::kLastZone; ++zone) {
        for (const lighting::KeyButtonId& id : lighting::ButtonsOfZone(zone)) {
            const std::optional<ViewButton> button = ButtonOfLightingId(id);
            ASSERT_TRUE(button.has_value()) << "zone " << zone << " value " << id.value;
            EXPECT_EQ(LightingIdOf(*button), id);
            EXPECT_TRUE(zoned.insert(*button).second) << AccessibleNameOf(*button);
        }
    }
    const std::set<ViewButton> unzoned = {ViewButton::Key(86), ViewButton::G(6), ViewButton::G(7),
                                          ViewButton::G(8)};
    for (const ViewButton& button : AllViewButtons()) {
        if (!IsKeyboardKey(button)) {
            EXPECT_FALSE(LightingIdOf(button).has_value());
            continue;
        }
        EXPECT_EQ(zoned.count(button) == 0, unzoned.count(button) == 1) << AccessibleNameOf(button);
    }
    EXPECT_EQ(lighting::ZoneOf(*LightingIdOf(ViewButton::Fn())), 4);
    EXPECT_FALSE(ButtonOfLightingId(lighting::KeyButtonId::Key(0x054)).has_value());  // Sys Req
    EXPECT_FALSE(ButtonOfLightingId(lighting::KeyButtonId::GKey(10)).has_value());
}

}  // namespace
}  // namespace qf::presenters
