// The keyboard view presenter against the virtual keyboard: layout from the skin, the click rule
// with and without the lighting panel, looks and tints, the key bank and the top-row variant.
#include <gtest/gtest.h>

#include "keys/key_record.h"
#include "presenters/editor_model.h"
#include "presenters/view_fixture.h"

namespace qf::presenters::test {
namespace {

constexpr std::size_t kPrint = 64;
constexpr std::size_t kA = 0;
constexpr std::size_t kRightWin = 86;
constexpr std::size_t kF1 = 52;

std::uint32_t Id(ViewButton button) {
    return CommandIdOf(button);
}

// ---- Layout ----------------------------------------------------------------------------------

TEST_F(ViewTest, AKeyMissingFromTheSkinIsDisabledAtOneOneAndTakesNoClick) {
    const text::IniDocument skin = text::IniDocument::Parse(MainSkinText({"KEY_0B7"}));
    keyboard.LayoutKeyButtons(skin);

    const ButtonPlacement& print = keyWidgets.placements.at(ViewButton::Key(kPrint));
    EXPECT_EQ(print.layoutKey, "KEY_0B7");
    EXPECT_EQ(print.rect, (text::SkinRect{1, 1, 1, 1}));
    EXPECT_EQ(print.commandId, 1091u);
    EXPECT_FALSE(keyWidgets.shown.at(ViewButton::Key(kPrint)).enabled);
    EXPECT_TRUE(keyWidgets.shown.at(ViewButton::Key(kPrint)).visible);
    EXPECT_TRUE(keyWidgets.shown.at(ViewButton::Key(kPrint + 1)).enabled);

    EXPECT_EQ(keyboard.OnKeyButtonClicked(1091), ClickOutcome::Ignored);
    EXPECT_TRUE(editor.requests.empty());
}

TEST_F(ViewTest, TopRowButtonsShowOnlyInSkinsThatPlaceThem) {
    keyboard.LayoutKeyButtons(text::IniDocument::Parse(MainSkinText({}, false)));
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_FALSE(keyWidgets.placements.at(ViewButton::TopRow(i)).inSkin);
        EXPECT_FALSE(Look(ViewButton::TopRow(i)).visible);
    }
    // Hidden buttons stay out of reach even when the variant enables the D row.
    keyboard.ToggleTopRowVariant();
    EXPECT_FALSE(Look(ViewButton::TopRow(0)).enabled);
    EXPECT_FALSE(Look(ViewButton::Key(kF1)).enabled);
}

TEST_F(ViewTest, LayoutShowsEveryButtonWithItsNameAndTheBankLabels) {
    for (const ViewButton& button : AllViewButtons()) {
        ASSERT_EQ(keyWidgets.shown.count(button), 1u) << AccessibleNameOf(button);
        EXPECT_EQ(keyWidgets.shown.at(button).accessibleName, AccessibleNameOf(button));
        EXPECT_EQ(keyWidgets.shown.at(button).faces, kStandardFaces);
    }
    EXPECT_EQ(Look(ViewButton::G(0)).label, "A1");
    EXPECT_EQ(Look(ViewButton::G(5)).label, "A6");
    EXPECT_EQ(Look(ViewButton::G(6)).label, "");
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Left).pictureKey, "DOWN_ARROW_LEFT1");
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Right).layoutKey, "RIGHT_ARROW");
}

// ---- The click rule --------------------------------------------------------------------------

TEST_F(ViewTest, WithThePanelOffKeysAndGButtonsOpenTheEditorOnTheirRecord) {
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::Key(kA))), ClickOutcome::EditorOpened);
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::Key(kPrint))), ClickOutcome::EditorOpened);
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::G(2))), ClickOutcome::EditorOpened);
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::G(8))), ClickOutcome::EditorOpened);
    // Fn and the D buttons have no record.
    keyboard.ToggleTopRowVariant();
    ASSERT_TRUE(Look(ViewButton::TopRow(0)).enabled);
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::TopRow(0))), ClickOutcome::Ignored);
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::Fn())), ClickOutcome::Ignored);
    EXPECT_EQ(keyboard.OnKeyButtonClicked(kLockIndicatorIds[3]), ClickOutcome::Ignored);

    const std::vector<EditorRequest> expected = {
        {0x1E, 1058, false}, {0xB7, 1091, false}, {258, 1002, false}, {264, 1143, true}};
    EXPECT_EQ(editor.requests, expected);
    EXPECT_TRUE(Writes().empty());
    // G9 opens the editor on macros only.
    EXPECT_FALSE(OpeningFor(editor.requests[2]).macroOnly);
    EXPECT_TRUE(OpeningFor(editor.requests[3]).macroOnly);
    EXPECT_EQ(OpeningFor(editor.requests[3]).record, 264u);
}

TEST_F(ViewTest, InBankBTheGButtonsShowBLabelsAndEditBankBRecords) {
    SwitchBank();
    EXPECT_EQ(Look(ViewButton::Lock(LockIndicator::Bank)).faces, kAllOverFaces);
    const std::array<std::string, 9> labels = {"B1", "B2", "B3", "B4", "B5", "B6", "", "", ""};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(Look(ViewButton::G(i)).label, labels[i]);
    }
    EXPECT_EQ(keyboard.OnKeyButtonClicked(1002), ClickOutcome::EditorOpened);
    ASSERT_EQ(editor.requests.size(), 1u);
    EXPECT_EQ(editor.requests[0].record, 267u);

    SwitchBank();
    EXPECT_EQ(Look(ViewButton::Lock(LockIndicator::Bank)).faces, kStandardFaces);
    EXPECT_EQ(Look(ViewButton::G(0)).label, "A1");
    // The other indicators never change.
    EXPECT_EQ(Look(ViewButton::Lock(LockIndicator::Caps)).faces, kStandardFaces);
}

TEST_F(ViewTest, TheClickedButtonStaysHighlightedWhileTheEditorRunsAndKeepsItsNewLook) {
    editor.whileOpen = [this](const EditorRequest& request) {
        EXPECT_EQ(request.record, 0x1Eu);
        EXPECT_EQ(keyWidgets.shown.at(ViewButton::Key(kA)).faces, kHighlightFaces);
        // The user assigns the key in the editor.
        keyboard.SetKeyButton(kA, true, "A Keys, Set: Key(B)");
    };
    keyboard.OnButtonClicked(1058);
    const ButtonLook& a = keyWidgets.shown.at(ViewButton::Key(kA));
    EXPECT_EQ(a.faces, kStandardFaces);
    EXPECT_TRUE(a.selected);
    EXPECT_EQ(a.tooltip, "A Keys, Set: Key(B)");
}

class PaintingViewTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        SetKeyboardModes({1, 4, 8});
        Bytes record = KeyboardRecord(2);
        record[0] = 8;
        SetKeyboardRecord(2, record);
        ASSERT_EQ(static_cast<int>(model.SetCurrentProfile(2)), 1);
        ReadAndRefresh();
        model.SetPanelOn(true);
        model.SetPaintColour({1, 2, 3});
        ClearTrace();
    }
};

TEST_F(PaintingViewTest, FnPaintsZoneFourAtItsColourSlots) {
    EXPECT_EQ(keyboard.OnKeyButtonClicked(1174), ClickOutcome::Painted);
    const Bytes c = {1, 2, 3};
    const std::vector<Request> expected = {
        {Command::BeginTransfer, 0, 0, {}},
        {Command::WriteUserColours, 3, 72 + 18, c},
        {Command::WriteUserColours, 3, 72 + 21, c},
        {Command::EndTransfer, 0, 0, {}},
    };
    EXPECT_EQ(Requests(), expected);
    for (const lighting::KeyButtonId& id : lighting::ButtonsOfZone(4)) {
        EXPECT_EQ(Look(*ButtonOfLightingId(id)).tint, (lighting::Rgb{1, 2, 3}));
    }
    EXPECT_NE(Look(ViewButton::G(0)).tint, (lighting::Rgb{1, 2, 3}));
    EXPECT_TRUE(editor.requests.empty());
}

TEST_F(PaintingViewTest, ButtonsInNoZoneDoNothingButG7ToG9StillEdit) {
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::Key(kRightWin))), ClickOutcome::Ignored);
    keyboard.ToggleTopRowVariant();
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::TopRow(0))), ClickOutcome::Ignored);
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(editor.requests.empty());

    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::G(7))), ClickOutcome::EditorOpened);
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::G(0))), ClickOutcome::Painted);
    ASSERT_EQ(editor.requests.size(), 1u);
    EXPECT_EQ(editor.requests[0].record, 263u);
}

TEST_F(PaintingViewTest, InAnotherModeThePanelSwallowsKeyClicks) {
    panel.OnEffectChosen(1);  // mode 4
    ClearTrace();
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::Key(kA))), ClickOutcome::Ignored);
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::Fn())), ClickOutcome::Ignored);
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(editor.requests.empty());
    EXPECT_EQ(keyboard.OnKeyButtonClicked(Id(ViewButton::G(8))), ClickOutcome::EditorOpened);
}

// ---- Looks and tints -------------------------------------------------------------------------

TEST_F(ViewTest, AssignmentsShowAsSelectedLooksWithTheirCaptionAsTooltip) {
    {
        auto access = store.Lock();
        keys::KeyRecord disabled;
        disabled.kind = 1;
        access->SetBlockRecord(0, 0x1E, disabled);
        access->SetBlockRecord(0, keys::GRecordIndex(0, 2), disabled);
    }
    assignments.RefreshAssignmentViews();
    const std::string set = language.Text(text::TextId::KEY_PROMPT_SET);
    EXPECT_TRUE(Look(ViewButton::Key(kA)).selected);
    EXPECT_EQ(Look(ViewButton::Key(kA)).tooltip, "A" + set);
    EXPECT_TRUE(Look(ViewButton::G(1)).selected);
    EXPECT_EQ(Look(ViewButton::G(1)).tooltip, "G2" + set);
    EXPECT_FALSE(Look(ViewButton::Key(kA + 1)).selected);
    EXPECT_EQ(Look(ViewButton::Key(kA + 1)).tooltip, "B");

    assignments.ResetAllAssignments();
    EXPECT_FALSE(Look(ViewButton::Key(kA)).selected);
    EXPECT_EQ(applyEnabled, 1);

    keyboard.SetGButtonAssigned(4, true);
    EXPECT_TRUE(Look(ViewButton::G(4)).selected);
    EXPECT_EQ(Look(ViewButton::G(4)).tooltip, "G5");
}

TEST_F(ViewTest, TintsReachKeysGButtonsAndFnOnly) {
    keyboard.SetKeyButton(kA, true, "caption");
    keyboard.TintAllKeys({9, 9, 9});
    for (const ViewButton& button : AllViewButtons()) {
        const bool tinted = Look(button).tint == lighting::Rgb{9, 9, 9};
        EXPECT_EQ(tinted, IsKeyboardKey(button)) << AccessibleNameOf(button);
    }
    keyboard.ClearAllTints();
    for (const ViewButton& button : AllViewButtons()) {
        EXPECT_FALSE(Look(button).tint.has_value());
    }
    // The lighting takes the assigned look away too; the caption stays for the tooltip.
    EXPECT_FALSE(Look(ViewButton::Key(kA)).selected);
    EXPECT_EQ(Look(ViewButton::Key(kA)).tooltip, "caption");
}

TEST_F(ViewTest, OnlyChangedButtonsAreShownAgain) {
    const int before = keyWidgets.shows;
    keyboard.SetKeyButton(kA, false, Look(ViewButton::Key(kA)).tooltip);
    keyboard.ShowBankIndicator(false);
    keyboard.ApplyTopRowVariant();
    EXPECT_EQ(keyWidgets.shows, before);
    keyboard.TintZone(1, lighting::ButtonsOfZone(1), {5, 5, 5});
    EXPECT_EQ(keyWidgets.shows - before, static_cast<int>(lighting::ButtonsOfZone(1).size()));
}

// ---- Top-row variant -------------------------------------------------------------------------

TEST_F(ViewTest, TogglingTheVariantTwiceRestoresF1ToF4) {
    auto fKeysEnabled = [this] {
        for (std::size_t i = 0; i < 4; ++i) {
            if (!Look(ViewButton::Key(kF1 + i)).enabled) {
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(fKeysEnabled());
    EXPECT_FALSE(Look(ViewButton::TopRow(0)).enabled);

    keyboard.OnButtonClicked(kFlipButtonIds[1]);
    EXPECT_FALSE(Look(ViewButton::Key(kF1)).enabled);
    EXPECT_FALSE(Look(ViewButton::Key(kF1 + 3)).enabled);
    EXPECT_TRUE(Look(ViewButton::Key(kF1 + 4)).enabled);  // F5 is not part of the variant
    EXPECT_TRUE(Look(ViewButton::TopRow(5)).enabled);
    EXPECT_TRUE(Look(ViewButton::Flip(0)).selected);
    EXPECT_EQ(settings.ReadFlip(), 1);
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Left).pictureKey, "UP_ARROW_LEFT1");
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Right).pictureKey, "UP_ARROW_RIGHT1");

    keyboard.OnButtonClicked(kFlipButtonIds[2]);
    EXPECT_TRUE(fKeysEnabled());
    EXPECT_FALSE(Look(ViewButton::TopRow(0)).enabled);
    EXPECT_FALSE(Look(ViewButton::Flip(0)).selected);
    EXPECT_EQ(settings.ReadFlip(), 0);
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Left).pictureKey, "DOWN_ARROW_LEFT1");
    // FLIP_0 is an indicator only.
    keyboard.OnButtonClicked(kFlipButtonIds[0]);
    EXPECT_EQ(settings.ReadFlip(), 0);
}

TEST_F(ViewTest, AnyStoredVariantButZeroTogglesToZero) {
    ASSERT_EQ(settings.WriteString("Flip", "5"), text::IniWriteResult::Written);
    keyboard.ApplyTopRowVariant();
    EXPECT_FALSE(Look(ViewButton::Key(kF1)).enabled);
    keyboard.ToggleTopRowVariant();
    EXPECT_EQ(settings.ReadString("Flip"), "0");
    EXPECT_TRUE(Look(ViewButton::Key(kF1)).enabled);
}

TEST_F(ViewTest, AnArrowShowsItsSecondPictureWhileItsFlipButtonIsHot) {
    keyboard.OnFlipButtonHot(1, true);
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Left).pictureKey, "DOWN_ARROW_LEFT2");
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Right).pictureKey, "DOWN_ARROW_RIGHT1");
    keyboard.OnFlipButtonHot(2, true);
    keyboard.OnFlipButtonHot(1, false);
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Left).pictureKey, "DOWN_ARROW_LEFT1");
    EXPECT_EQ(keyWidgets.arrows.at(ArrowSide::Right).pictureKey, "DOWN_ARROW_RIGHT2");
}

}  // namespace
}  // namespace qf::presenters::test
