// The assignment editor's window on the offscreen platform: where it opens, the page it shows
// and the pictures it shows it with, the in-place delay editor, and the keyboard hooks through
// the real event filter, which every way of closing lets go of. The editor's rules themselves
// are the model's, tested in tests/presenters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "presenters/editor_placement.h"
#include "text/language_keys.h"
#include "ui_editor/editor_window_fixture.h"

namespace qf::ui::test {
namespace {

using keys::KeyKind;
using keys::KeyRecord;
using presenters::EditorPage;
using presenters::HookMode;
using presenters::testing::StoredMacro;
using text::TextId;

constexpr std::size_t kRecordA = 0x01E;
constexpr std::size_t kG9 = keys::GRecordIndex(0, 9);

KeyRecord Rec(KeyKind kind, std::uint32_t value = 0) {
    KeyRecord r;
    r.kind = static_cast<std::uint16_t>(kind);
    r.value = value;
    return r;
}

// The colour of a control's face in the look it shows now.
QRgb FaceColour(const PictureButton& button) {
    const QImage face = button.ChosenFace();
    return face.isNull() ? 0 : face.pixel(face.width() / 2, face.height() / 2);
}

QRgb NormalFace(const PictureButton& button) {
    const QImage& face = button.faces()[static_cast<std::size_t>(Look::Normal)];
    return face.isNull() ? 0 : face.pixel(face.width() / 2, face.height() / 2);
}

TEST_F(EditorWindowTest, OpensNextToItsKeyButtonInsideTheScreenOnTheRecordsPage) {
    SetRecord(0, kRecordA, Rec(KeyKind::Media, 3));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();

    // Room to the right and below: the dialog's corner at the button's bottom-right corner.
    OpenOn(kRecordA, false, QRect(area.x() + 20, area.y() + 10, 30, 30));
    EXPECT_EQ(dialog->size(), kEditorSize);
    EXPECT_EQ(dialog->pos(), QPoint(area.x() + 50, area.y() + 40));
    EXPECT_EQ(dialog->model().page(), EditorPage::Media);
    EXPECT_TRUE(dialog->mediaList().isVisible());
    EXPECT_EQ(dialog->mediaList().currentRow(), 3);
    EXPECT_EQ(dialog->mediaList().count(), 18);
    EXPECT_FALSE(dialog->keyField().isVisible());
    EXPECT_FALSE(dialog->actionTable().isVisible());
    EXPECT_EQ(dialog->maskSet(), EditorPictureSet::Media);
    EXPECT_EQ(NormalFace(dialog->maskControl()), kMediaSetFill);
    EXPECT_TRUE(dialog->pageButton(EditorPage::Media).selected());
    EXPECT_FALSE(dialog->applyButton().isEnabled());
    EXPECT_FALSE(dialog->oskButton().isVisible());  // no on-screen keyboard installed
    dialog->CloseFromOutside();
    EXPECT_FALSE(dialog->isVisible());

    // A button in the screen's bottom-right corner: no side fits, and the bottom-right choice
    // is moved back inside the screen rather than left hanging off it.
    const QRect corner(area.right() - 40, area.bottom() - 40, 30, 30);
    OpenOn(kRecordA, false, corner);
    const presenters::ScreenPoint expected = presenters::PlaceEditor(
        {corner.x(), corner.y(), corner.width(), corner.height()}, kEditorSize.width(),
        kEditorSize.height(), {area.x(), area.y(), area.width(), area.height()});
    EXPECT_EQ(dialog->pos(), QPoint(expected.x, expected.y));
    EXPECT_TRUE(area.contains(dialog->geometry()))
        << dialog->geometry().x() << "," << dialog->geometry().y();
}

TEST_F(EditorWindowTest, APageClickShowsItsControlsAndReskinsTheMask) {
    osk.available = true;
    OpenOn(kRecordA);
    EXPECT_EQ(dialog->model().page(), EditorPage::SingleKey);
    EXPECT_TRUE(dialog->keyField().isVisible());
    EXPECT_EQ(NormalFace(dialog->maskControl()), kKeySetFill);
    ASSERT_TRUE(dialog->oskButton().isVisible());
    QTest::mouseClick(&dialog->oskButton(), Qt::LeftButton);
    EXPECT_EQ(osk.opens, 1);

    QTest::mouseClick(&dialog->pageButton(EditorPage::Macro), Qt::LeftButton);
    EXPECT_EQ(dialog->model().page(), EditorPage::Macro);
    EXPECT_EQ(dialog->maskSet(), EditorPictureSet::Macro);
    EXPECT_EQ(NormalFace(dialog->maskControl()), kMacroSetFill);
    EXPECT_TRUE(dialog->pageButton(EditorPage::Macro).selected());
    EXPECT_FALSE(dialog->pageButton(EditorPage::SingleKey).selected());
    EXPECT_FALSE(dialog->keyField().isVisible());
    EXPECT_TRUE(dialog->actionTable().isVisible());
    EXPECT_TRUE(dialog->macroList().isVisible());
    EXPECT_TRUE(dialog->macroMeter().isVisible());
    EXPECT_EQ(dialog->macroMeter().text(), "macro memory: 16 / 4096 bytes");
    // No macro yet: nothing to record into.
    EXPECT_FALSE(dialog->recordButton().isEnabled());
    EXPECT_TRUE(dialog->applyButton().isEnabled());  // the page change is an edit

    // A new macro makes the meter grow and the action buttons usable.
    QTest::mouseClick(&dialog->addMacroButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->macroList().count(), 1);
    EXPECT_TRUE(dialog->recordButton().isEnabled());
    EXPECT_NE(dialog->macroMeter().text(), "macro memory: 16 / 4096 bytes");

    QTest::mouseClick(&dialog->pageButton(EditorPage::Function), Qt::LeftButton);
    EXPECT_EQ(NormalFace(dialog->maskControl()), kFunctionSetFill);
    EXPECT_TRUE(dialog->functionList().isVisible());
    EXPECT_FALSE(dialog->actionTable().isVisible());
    EXPECT_FALSE(dialog->macroMeter().isVisible());
}

TEST_F(EditorWindowTest, MacroOnlyModeDrawsTheOtherPagesFromTheSecondMacroSet) {
    OpenOn(kG9, true);
    EXPECT_EQ(dialog->model().page(), EditorPage::Macro);
    EXPECT_EQ(dialog->pageButtonSet(), EditorPictureSet::Macro2);
    for (const EditorPage page : {EditorPage::SingleKey, EditorPage::Media, EditorPage::Function}) {
        EXPECT_FALSE(dialog->pageButton(page).isEnabled());
        EXPECT_EQ(FaceColour(dialog->pageButton(page)), kMacro2DisabledFill);
    }
    EXPECT_FALSE(dialog->clearButton().isEnabled());
    EXPECT_EQ(FaceColour(dialog->clearButton()), kMacro2DisabledFill);
    EXPECT_EQ(NormalFace(dialog->titleControl()), kMacro2SetFill);
    EXPECT_TRUE(dialog->pageButton(EditorPage::Macro).isEnabled());
    EXPECT_EQ(NormalFace(dialog->pageButton(EditorPage::Macro)), kKeySetFill);
    dialog->CloseFromOutside();

    // The next ordinary opening gives them the key set back.
    OpenOn(kRecordA);
    EXPECT_EQ(dialog->pageButtonSet(), EditorPictureSet::Key);
    EXPECT_TRUE(dialog->pageButton(EditorPage::Media).isEnabled());
    EXPECT_EQ(NormalFace(dialog->pageButton(EditorPage::Media)), kKeySetFill);
    EXPECT_EQ(NormalFace(dialog->titleControl()), kKeySetFill);
}

TEST_F(EditorWindowTest, TypingNamesTheMacroInPlaceAndTheRepeatCountIsCorrected) {
    OpenOn(kG9, true);
    ASSERT_EQ(dialog->macroList().count(), 0);
    EXPECT_FALSE(dialog->repeatField().isEnabled());
    QLineEdit& name = *dialog->macroList().lineEdit();
    QTest::keyClicks(&name, "ab");  // the first letter makes a macro, the next renames it
    ASSERT_EQ(dialog->macroList().count(), 1);
    EXPECT_EQ(dialog->macroList().itemText(0), "ab");
    name.setCursorPosition(1);
    QTest::keyClicks(&name, "x");
    EXPECT_EQ(dialog->macroList().itemText(0), "axb");
    EXPECT_EQ(name.text(), "axb");
    EXPECT_EQ(name.cursorPosition(), 2);  // renaming in place does not move the cursor
    EXPECT_EQ(dialog->model().MacroNames(), std::vector<std::string>{"axb"});

    QLineEdit& repeat = dialog->repeatField();
    ASSERT_TRUE(repeat.isEnabled());
    repeat.selectAll();
    QTest::keyClicks(&repeat, "300");
    EXPECT_EQ(repeat.text(), "255");
    EXPECT_EQ(dialog->model().repeatText(), "255");
}

TEST_F(EditorWindowTest, TheInPlaceDelayEditorCommitsThroughTheModel) {
    SetMacros({StoredMacro(1, u"one", 4)});
    OpenOn(kG9, true);
    QTableView& table = dialog->actionTable();
    ASSERT_EQ(table.model()->rowCount(), 4);
    EXPECT_EQ(table.model()->headerData(0, Qt::Horizontal).toString().toStdString(),
              language.Text(TextId::MACRO_KEYS_TISHI));

    auto editDelay = [&](int row, const QString& text) {
        const QModelIndex index = table.model()->index(row, presenters::kActionDelayColumn);
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(index).center());
        auto* field = table.viewport()->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);  // the view commits and closes it, queued
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(table.viewport()->findChild<QLineEdit*>(), nullptr);
    };
    editDelay(1, "12345");
    EXPECT_EQ(table.model()->index(1, 2).data().toString(), "12340");
    editDelay(2, "50000");
    EXPECT_EQ(table.model()->index(2, 2).data().toString(), "40000");
    EXPECT_EQ(prompter.MessageIds(), std::vector{TextId::MACRO_ACTION_ERR_DELAY_MAX});
    EXPECT_TRUE(dialog->applyButton().isEnabled());

    // A key chosen in the key column's drop-down.
    const QModelIndex keyCell = table.model()->index(0, presenters::kActionKeyColumn);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(keyCell).center());
    auto* keys = table.viewport()->findChild<QComboBox*>();
    ASSERT_NE(keys, nullptr);
    ASSERT_EQ(keys->count(), 106);
    const int bIndex = keys->findText("B");
    ASSERT_GE(bIndex, 0);
    keys->setCurrentIndex(bIndex);
    emit keys->activated(bIndex);
    EXPECT_EQ(keyCell.data().toString(), "B");

    QTest::mouseClick(&dialog->okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    const std::vector<macros::MacroRecord> stored = StoreMacros();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].actions[0].scan, 0x030);
    EXPECT_EQ(stored[0].actions[1].delay, 12340);
    EXPECT_EQ(stored[0].actions[2].delay, 40000);
    EXPECT_EQ(Record(0, kG9).keyKind(), KeyKind::Macro);
}

TEST_F(EditorWindowTest, KeyCaptureRunsThroughTheEventFilter) {
    OpenOn(kRecordA);
    ASSERT_EQ(qtHooks.mode(), HookMode::Capture);
    EXPECT_TRUE(qtGrab.filtering());
    QWidget& target = dialog->macroList();  // any widget of the program

    EXPECT_FALSE(SendKey(KEY_LEFTMETA, true, false, &target));
    EXPECT_EQ(dialog->model().capturedKey(), 0x15B);
    EXPECT_FALSE(SendKey(KEY_LEFTMETA, false, false, &target));
    EXPECT_EQ(dialog->keyField().text().toStdString(), dialog->model().keyFieldText());
    EXPECT_FALSE(dialog->keyField().text().isEmpty());

    // Volume Up is no key to capture: it goes on to the widget.
    EXPECT_TRUE(SendKey(KEY_VOLUMEUP, true, false, &target));
    EXPECT_TRUE(SendKey(KEY_VOLUMEUP, false, false, &target));
    EXPECT_EQ(dialog->model().capturedKey(), 0x15B);

    // Q held: one capture; the X11 auto-repeat pairs and the release are swallowed.
    EXPECT_FALSE(SendKey(KEY_Q, true, false, &target));
    EXPECT_FALSE(SendKey(KEY_Q, false, true, &target));
    EXPECT_FALSE(SendKey(KEY_Q, true, true, &target));
    EXPECT_FALSE(SendKey(KEY_Q, false, false, &target));
    EXPECT_EQ(dialog->model().capturedKey(), 0x010);

    // Escape is a key like any other here: captured, and the dialog stays open.
    EXPECT_FALSE(SendKey(KEY_ESC, true, false, &target));
    EXPECT_EQ(dialog->model().capturedKey(), 0x001);
    EXPECT_TRUE(dialog->isVisible());

    QTest::mouseClick(&dialog->okButton(), Qt::LeftButton);
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Key, 0x001));
    EXPECT_FALSE(qtGrab.filtering());
    EXPECT_TRUE(SendKey(KEY_Q, true, false, &target));
}

TEST_F(EditorWindowTest, TheGrabIsReleasedWhenTheDialogClosesWhileRecording) {
    SetMacros({StoredMacro(1, u"one", 0)});
    OpenOn(kG9, true);
    ASSERT_EQ(qtHooks.mode(), HookMode::Off);
    EXPECT_FALSE(qtGrab.filtering());
    QTest::mouseClick(&dialog->recordButton(), Qt::LeftButton);
    ASSERT_TRUE(dialog->model().recording());
    EXPECT_TRUE(qtGrab.filtering());
    EXPECT_EQ(dialog->recordButton().text().toStdString(),
              language.Text(TextId::MACRO_ACTION_STOP_RECORD));
    EXPECT_FALSE(dialog->addMacroButton().isEnabled());
    EXPECT_FALSE(dialog->macroList().isEnabled());

    // A held key: one press, one release; the auto-repeat pair in between records nothing.
    QWidget& target = dialog->actionTable();
    EXPECT_FALSE(SendKey(KEY_A, true, false, &target));
    now += 100;
    EXPECT_FALSE(SendKey(KEY_A, false, true, &target));
    EXPECT_FALSE(SendKey(KEY_A, true, true, &target));
    now += 30;
    EXPECT_FALSE(SendKey(KEY_A, false, false, &target));
    EXPECT_EQ(dialog->actionTable().model()->rowCount(), 2);
    EXPECT_EQ(dialog->actionTable().selectionModel()->currentIndex().row(), 1);

    // The window's close button, in the middle of the recording.
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsOpen());
    EXPECT_FALSE(qtRecorder.IsRecording());
    EXPECT_EQ(qtHooks.mode(), HookMode::Off);
    EXPECT_FALSE(qtHooks.held());
    EXPECT_FALSE(qtGrab.filtering());
    EXPECT_TRUE(SendKey(KEY_A, true, false, &target));
    EXPECT_EQ(StoreMacros()[0].UsedActions(), 0u);  // closing is no Apply
}

TEST_F(EditorWindowTest, ARefusedGrabIsReportedOnceAndCaptureGoesOn) {
    // The offscreen platform grants no keyboard grab.
    OpenOn(kRecordA);
    QTest::qWait(QtKeyboardGrab::kGrabAttempts * QtKeyboardGrab::kGrabRetryMs + 200);
    EXPECT_FALSE(qtGrab.grabbed());
    EXPECT_EQ(prompter.MessageIds(), std::vector{TextId::KEYBOARD_GRAB_REFUSED});
    EXPECT_FALSE(SendKey(KEY_B, true, false, &dialog->macroList()));
    EXPECT_EQ(dialog->model().capturedKey(), 0x030);
    dialog->CloseFromOutside();

    OpenOn(kRecordA);
    QTest::qWait(QtKeyboardGrab::kGrabAttempts * QtKeyboardGrab::kGrabRetryMs + 200);
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(EditorWindowTest, AnUnreadableBackgroundKeepsTheEditorClosed) {
    OpenOn(kRecordA);
    dialog->CloseFromOutside();
    std::filesystem::remove(skin.File("Skins/composite_bg.bmp"));
    EXPECT_FALSE(dialog->Open({kRecordA, false}, QRect(40, 40, 30, 30)));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsOpen());
    EXPECT_EQ(qtHooks.mode(), HookMode::Off);
    EXPECT_FALSE(qtGrab.filtering());
}

TEST_F(EditorWindowTest, EnterAndEscapeDoNothingAndF1OpensHelpUnlessRecording) {
    SetMacros({StoredMacro(1, u"one", 2)});
    OpenOn(kG9, true);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(dialog.get(), key);
        QTest::keyClick(&dialog->repeatField(), key);
    }
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->IsOpen());
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    EXPECT_EQ(helpOpened, 1);
    dialog->model().ToggleRecord();
    ASSERT_TRUE(dialog->model().recording());
    QTest::keyClick(dialog.get(), Qt::Key_F1);  // swallowed by the recorder
    EXPECT_EQ(helpOpened, 1);
}

}  // namespace
}  // namespace qf::ui::test
