// The lighting panel's widgets beside the keyboard view on the keyboard view's dialog, wired to
// the real presenters over the virtual keyboard: a refresh fills the controls without a write,
// the closed effect list ignores the wheel and the navigation keys, a slider drag makes one
// write, the colour palette and "Other..." (through a fake chooser), and painting zones in
// mode 8. Set QUILLFEN_SCREENSHOT_DIR to keep a picture of the dialog painted in mode 8.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QWheelEvent>
#include <memory>
#include <optional>
#include <vector>

#include "device/factory_lighting.h"
#include "lighting/lighting_files.h"
#include "presenters/view_fixture.h"
#include "support_qt/test_skin.h"
#include "ui/keyboard/keyboard_view_widgets.h"
#include "ui/lighting/lighting_panel_widgets.h"
#include "ui_lighting/panel_test_skin.h"
#include "ui_skin/skin_test_support.h"

namespace qf::ui::test {
namespace {

namespace panel = presenters::panel;
namespace record = lighting::record;
using presenters::PanelPicture;
using presenters::ViewButton;
using Bytes = std::vector<std::uint8_t>;

class FakeChooser final : public ColourChooser {
public:
    std::optional<QColor> ChooseColour(const QColor& initial, QWidget*) override {
        asked.push_back(initial);
        return answer;
    }
    std::optional<QColor> answer;
    std::vector<QColor> asked;
};

class PanelWidgetsTest : public presenters::test::ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        WritePanelTestSkin(skin);
        dialog = std::make_unique<KeyboardViewDialog>(skin.File("Skins/Main.ini"), cache,
                                                      skin.installFolder());
        widgets = std::make_unique<LightingPanelWidgets>(*dialog, skin.installFolder(), chooser);
        keyWidgets.also = &dialog->widgets();
        panelWidgets.also = widgets.get();
        widgets->Bind(&panel);
        dialog->Bind(keyboard);
        dialog->AddPlacement([this] { widgets->PlaceControls(); });
        ASSERT_TRUE(dialog->ApplyDialogSkin());
        dialog->show();
        panel.Show();
    }
    void TearDown() override {
        keyWidgets.also = nullptr;
        panelWidgets.also = nullptr;
    }

    // The keyboard lists `modes`; every profile's record is the default block with `fields`
    // changed; the panel switch is on; the window reads the lighting and refreshes the panel.
    void Start(std::initializer_list<std::uint8_t> modes,
               std::initializer_list<std::pair<std::size_t, std::uint8_t>> fields) {
        SetKeyboardModes(modes);
        Bytes r(lighting::kLightingRecordSize, 0);
        std::copy(lighting::kDefaultLightingBlock.begin(), lighting::kDefaultLightingBlock.end(),
                  r.begin());
        for (const auto& [offset, value] : fields) {
            r[offset] = value;
        }
        for (int profile = 0; profile < 3; ++profile) {
            SetKeyboardRecord(profile, r);
        }
        ASSERT_EQ(
            files.WriteString(panelSwitchFile, lighting::kPanelSection, lighting::kPanelOnKey, "1"),
            text::IniWriteResult::Written);
        ASSERT_EQ(static_cast<int>(model.ReadLightingState(true)), 0);
        ClearTrace();
        panel.RefreshLightingPanel();
    }

    lighting::Rgb RecordColour() const {
        const Bytes r = KeyboardRecord(0);
        return {r[record::kColour], r[record::kColour + 1], r[record::kColour + 2]};
    }
    bool Shows(std::uint32_t id) const { return widgets->ControlOf(id)->isVisible(); }
    bool ThumbIs(const ThumbSlider& slider, int number) const {
        return slider.thumb().cacheKey() == widgets->Thumb(number).cacheKey();
    }

    TestSkin skin{kPanelSkinSize};
    PictureCache cache;
    FakeChooser chooser;
    std::unique_ptr<KeyboardViewDialog> dialog;
    std::unique_ptr<LightingPanelWidgets> widgets;
};

TEST_F(PanelWidgetsTest, ARefreshFillsThePanelWithoutAWriteAndTheSwitchTurnsItOff) {
    Start({1, 8, 12}, {{record::kMode, 12},
                       {record::kBrightness, 2},
                       {record::kSpeed, 3},
                       {record::kDirection, 1},
                       {record::kColour, 10},
                       {record::kReportRate, 1}});
    EXPECT_TRUE(Requests().empty());

    QuietComboBox& effects = widgets->effectList();
    ASSERT_EQ(effects.count(), 3);
    EXPECT_EQ(effects.itemText(2), "Effect 12");
    EXPECT_EQ(effects.currentIndex(), 2);
    EXPECT_EQ(effects.pos(), PanelSkinRect("CONTROL_XGcombox").topLeft());
    EXPECT_LT(effects.height(), PanelSkinRect("CONTROL_XGcombox").height());  // a closed list

    EXPECT_EQ(widgets->brightnessSlider().value(), 2);
    EXPECT_TRUE(ThumbIs(widgets->brightnessSlider(), 2));
    EXPECT_EQ(widgets->speedSlider().value(), 1);
    EXPECT_TRUE(ThumbIs(widgets->speedSlider(), 7));

    // Mode 12: up and down at the third set's places, in the plain set's size.
    PictureButton* up = widgets->PictureOf(panel::kDirectionLeft);
    EXPECT_TRUE(up->isVisible());
    EXPECT_EQ(up->pos(), PanelSkinRect("CONTROL_BLFXLStaPic3").topLeft());
    EXPECT_EQ(up->size(), PanelSkinRect("CONTROL_BLFXLStaPic").size());
    EXPECT_EQ(widgets->ShownPicture(panel::kDirectionLeft), PanelPicture::UpDown);
    EXPECT_EQ(up->accessibleName(), "Direction up, selected");
    EXPECT_FALSE(Shows(panel::kColourPicker));
    EXPECT_EQ(widgets->PickerOf(panel::kColourPicker)->colour(), QColor(10, 0, 0));

    EXPECT_EQ(widgets->PictureOf(panel::kSwitch)->accessibleName(), "Lighting on: Effect 12");
    PictureButton* rate2 = widgets->PictureOf(panel::kReportButtons[1]);
    EXPECT_TRUE(rate2->selected());
    EXPECT_EQ(rate2->accessibleName(), "Report rate 2, selected");
    EXPECT_FALSE(widgets->PictureOf(panel::kReportButtons[0])->selected());
    EXPECT_EQ(qobject_cast<QLabel*>(widgets->ControlOf(panel::kDengLabel))->text(), "Lighting");

    // Off: only the switch, the report rate buttons and their label stay.
    widgets->PictureOf(panel::kSwitch)->click();
    EXPECT_EQ(StoredPanelSwitch(), "0");
    EXPECT_EQ(widgets->ShownPicture(panel::kSwitch), PanelPicture::DengUp);
    for (const std::uint32_t id : {panel::kEffectList, panel::kDengLabel, panel::kBrightnessSlider,
                                   panel::kSpeedSlider, panel::kDirectionLeft}) {
        EXPECT_FALSE(Shows(id)) << id;
    }
    EXPECT_TRUE(Shows(panel::kUsbLabel));
    EXPECT_TRUE(Shows(panel::kReportButtons[3]));
    EXPECT_TRUE(Writes().empty());
}

TEST_F(PanelWidgetsTest, TheClosedEffectListIgnoresTheWheelAndTheNavigationKeys) {
    Start({1, 8, 12}, {{record::kMode, 1}});
    QuietComboBox& effects = widgets->effectList();
    ASSERT_EQ(effects.currentIndex(), 0);

    const QPointF at(effects.width() / 2.0, effects.height() / 2.0);
    for (const int delta : {-120, 120, -120}) {
        QWheelEvent wheel(at, effects.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&effects, &wheel);
    }
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_End, Qt::Key_PageDown}) {
        QTest::keyClick(&effects, key);
    }
    EXPECT_EQ(effects.currentIndex(), 0);
    EXPECT_TRUE(Requests().empty());

    // A choice in the open list is the user's: mode 12 is written once.
    effects.showPopup();
    QAbstractItemView* view = effects.view();
    view->setCurrentIndex(effects.model()->index(2, 0));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(KeyboardRecord(0)[record::kMode], 12);
    EXPECT_EQ(Writes().size(), 1u);
    EXPECT_EQ(effects.currentIndex(), 2);
    EXPECT_EQ(widgets->PictureOf(panel::kDirectionLeft)->pos(),
              PanelSkinRect("CONTROL_BLFXLStaPic3").topLeft());
}

TEST_F(PanelWidgetsTest, ASliderDragWritesOnceAndTheThumbAgreesWithTheNextRefresh) {
    Start({1, 8, 12}, {{record::kMode, 1}, {record::kSpeed, 4}});
    ThumbSlider& speed = widgets->speedSlider();
    ASSERT_EQ(speed.value(), 0);
    ASSERT_TRUE(ThumbIs(speed, 6));

    const QRect thumb = speed.ThumbRect();
    const QPoint grab = thumb.center();
    const QPoint to = grab + QPoint(speed.ThumbX(1) - thumb.x(), 0);
    SendMouse(speed, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    SendMouse(speed, QEvent::MouseMove, grab + QPoint(2, 0), Qt::LeftButton);  // still 0
    SendMouse(speed, QEvent::MouseMove, to, Qt::LeftButton);
    SendMouse(speed, QEvent::MouseButtonRelease, to, Qt::NoButton);
    EXPECT_EQ(Writes().size(), 1u);
    EXPECT_EQ(KeyboardRecord(0)[record::kSpeed], 3);
    EXPECT_EQ(speed.value(), 1);
    EXPECT_TRUE(ThumbIs(speed, 7));

    ClearTrace();
    ReadAndRefresh();
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(speed.value(), 1);
    EXPECT_TRUE(ThumbIs(speed, 7));

    // A press on the track beside the thumb jumps to that end.
    const QPoint track(speed.width() - 2, speed.height() / 2);
    SendMouse(speed, QEvent::MouseButtonPress, track, Qt::LeftButton);
    SendMouse(speed, QEvent::MouseButtonRelease, track, Qt::NoButton);
    EXPECT_EQ(speed.value(), 4);
    EXPECT_EQ(KeyboardRecord(0)[record::kSpeed], 0);
    EXPECT_TRUE(ThumbIs(speed, 10));
    EXPECT_EQ(Writes().size(), 1u);
}

TEST_F(PanelWidgetsTest, ThePaletteAndOtherChooseTheColour) {
    Start({1, 4, 8}, {{record::kMode, 4}});
    ColourPicker* picker = widgets->PickerOf(panel::kColourPicker);
    ASSERT_TRUE(picker->isVisible());

    picker->click();
    QPointer<ColourPalette> palette = picker->palette();
    ASSERT_NE(palette, nullptr);
    EXPECT_TRUE(palette->isVisible());
    palette->colourButton(8)->click();  // blue
    EXPECT_FALSE(palette != nullptr && palette->isVisible());
    EXPECT_EQ(RecordColour(), (lighting::Rgb{0, 0, 255}));
    EXPECT_EQ(KeyboardRecord(0)[record::kMulticolour], 0);
    EXPECT_EQ(picker->colour(), QColor(0, 0, 255));
    EXPECT_EQ(widgets->ShownPicture(panel::kMulticolourPicture), PanelPicture::SjsUp);
    EXPECT_EQ(dialog->widgets().ButtonOf(ViewButton::Key(0))->tint(), QColor(0, 0, 255));

    // "Other...": the chooser starts from the colour shown.
    chooser.answer = QColor(1, 2, 3);
    picker->click();
    picker->palette()->otherButton()->click();
    ASSERT_EQ(chooser.asked.size(), 1u);
    EXPECT_EQ(chooser.asked[0], QColor(0, 0, 255));
    EXPECT_EQ(RecordColour(), (lighting::Rgb{1, 2, 3}));

    // Cancelled: nothing is written.
    ClearTrace();
    chooser.answer.reset();
    picker->click();
    picker->palette()->otherButton()->click();
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(picker->colour(), QColor(1, 2, 3));

    picker->click();
    picker->palette()->automaticButton()->click();
    EXPECT_EQ(RecordColour(), (lighting::Rgb{255, 0, 0}));
}

TEST_F(PanelWidgetsTest, InMode8TheUserModeIsNamedAndZonesArePaintedOnTheKeys) {
    Start({1, 4, 8, 12, 16, 17}, {{record::kMode, 8}});
    QuietComboBox& userModes = widgets->userModeList();
    ASSERT_TRUE(userModes.isVisible());
    EXPECT_EQ(userModes.count(), 0);

    QTest::keyClicks(userModes.lineEdit(), "Night");
    EXPECT_EQ(userModes.lineEdit()->text(), "Night");
    ASSERT_EQ(userModes.count(), 1);
    EXPECT_EQ(userModes.itemText(0), "Night");
    EXPECT_EQ(text::IniDocument::Parse(qf::testing::TempFolder::Read(userColours.FileOf(0)))
                  .Find("MODENAME", "0"),
              "Night");
    EXPECT_TRUE(Writes().empty());

    // Paint zone 1 green (through A) and zone 4 blue (through Fn).
    ColourPicker* paint = widgets->PickerOf(panel::kPaintColourPicker);
    paint->click();
    paint->palette()->colourButton(4)->click();
    dialog->widgets().ButtonOf(ViewButton::Key(0))->click();
    paint->click();
    paint->palette()->colourButton(8)->click();
    dialog->widgets().ButtonOf(ViewButton::Fn())->click();
    EXPECT_TRUE(editor.requests.empty());
    bool zoneColoursWritten = false;
    for (const presenters::test::Request& r : Requests()) {
        zoneColoursWritten |= r.command == device::Command::WriteUserColours;
    }
    EXPECT_TRUE(zoneColoursWritten);
    EXPECT_EQ(dialog->widgets().ButtonOf(ViewButton::Key(0))->tint(), QColor(0, 255, 0));
    EXPECT_EQ(dialog->widgets().ButtonOf(ViewButton::Fn())->tint(), QColor(0, 0, 255));
    EXPECT_EQ(widgets->PickerOf(panel::kPaintColourPicker)->colour(), QColor(0, 0, 255));

    const QString folder = qEnvironmentVariable("QUILLFEN_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(dialog->grab().save(folder + "/keyboard_view_lighting_panel.png"));
    }
}

}  // namespace
}  // namespace qf::ui::test
