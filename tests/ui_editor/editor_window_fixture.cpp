#include "ui_editor/editor_window_fixture.h"

#include <QApplication>
#include <QTest>

namespace qf::ui::test {

namespace skin = text::skin;

namespace {

QRgb Shade(QRgb fill, int step) {
    return qRgb(qMin(255, qRed(fill) + step), qMin(255, qGreen(fill) + step),
                qMin(255, qBlue(fill) + step));
}

void WriteSet(TestSkin& skin, const std::array<std::string_view, 4>& names, QRgb fill,
              std::optional<QRgb> disabled) {
    skin.WritePicture(names[0], fill);
    skin.WritePicture(names[1], Shade(fill, 0x20));
    skin.WritePicture(names[2], Shade(fill, 0x40));
    if (disabled) {
        skin.WritePicture(names[3], *disabled);  // otherwise the set's normal picture
    }
}

// Sees whether a key event reached its target.
class Arrivals final : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            ++count;
        }
        return false;
    }
    int count = 0;
};

}  // namespace

void WriteEditorSkin(TestSkin& skin) {
    skin.WritePicture("Skins/composite_bg.bmp", kBackgroundFill);
    WriteSet(skin, skin::kCompositeKeyPictures, kKeySetFill, std::nullopt);
    WriteSet(skin, skin::kCompositeMacroPictures, kMacroSetFill, kMacroDisabledFill);
    WriteSet(skin, skin::kCompositeMacro2Pictures, kMacro2SetFill, kMacro2DisabledFill);
    WriteSet(skin, skin::kCompositeMediaPictures, kMediaSetFill, std::nullopt);
    WriteSet(skin, skin::kCompositeFunctionPictures, kFunctionSetFill, std::nullopt);
    skin.WriteLayout(skin::kCompositeLayoutFile,
                     "[SCREEN]\n"
                     "Main=composite_bg.bmp\n"
                     "[BUTTONINFO]\n"
                     "CONTROL_TITLE=10,5,200,24\n"
                     "CONTROL_KEY=10,40,100,24\n"
                     "CONTROL_MACRO=10,70,100,24\n"
                     "CONTROL_MEDIA=10,100,100,24\n"
                     "CONTROL_FUNCTION=10,130,100,24\n"
                     "CONTROL_CLEAR=10,160,30,24\n"
                     "CONTROL_OSK=50,160,30,24\n"
                     "KEY_SETTING=10,190,100,16\n"
                     "TISHI_SINGLE_STATIC=10,206,100,16\n"
                     "MARCO_NAME_SETTING=10,222,100,16\n"
                     "MEDIA_SETTING_TISHI=10,238,100,16\n"
                     "FUNCTION_KEY_SETTING_TISHI=10,254,100,16\n"
                     "CONTROL_MASK=120,40,500,320\n"
                     "FUNC_KEY_INPUT=200,150,200,30\n"
                     "FUNC_MEDIA_SELECT=130,50,300,280\n"
                     "FUNC_FUNCTION_SELECT=130,50,300,280\n"
                     "FUNC_MACRO_LIST=130,50,200,24\n"
                     "FUNC_MACRO_ADD=340,50,24,24\n"
                     "FUNC_MACRO_DELETE=370,50,24,24\n"
                     "FUNC_MACRO_LIST2=130,80,210,250\n"
                     "FUNC_MACRO_RECORD=350,80,100,24\n"
                     "FUNC_MACRO_UP_TOP=350,110,24,24\n"
                     "FUNC_MACRO_UP=380,110,24,24\n"
                     "FUNC_MACRO_DOWN=410,110,24,24\n"
                     "FUNC_MACRO_DOWN_BOTTOM=440,110,24,24\n"
                     "FUNC_MACRO_DELETE2=350,140,24,24\n"
                     "FUNC_MACRO_CLEAR=380,140,24,24\n"
                     "FUNC_MACRO_CYCLES_PROMPT=350,170,60,20\n"
                     "FUNC_MACRO_CYCLES=415,170,40,20\n"
                     "FUNC_MACRO_RECORD_DELAY=350,200,20,20\n"
                     "FUNC_MACRO_RECORD_DELAY2=372,200,100,20\n"
                     "MACRO_METER=10,380,320,20\n"
                     "CONTROL2_APPLY=340,380,80,28\n"
                     "CONTROL_OK=430,380,80,28\n"
                     "CONTROL_CANCEL=520,380,80,28\n");
}

EditorWindowTest::EditorWindowTest() {
    WriteEditorSkin(skin);
    qtGrab.SetHookOwner(&qtHooks);
    qtHooks.AttachRecorder(&qtRecorder);
    state.macroMemorySize = 4096;
    dialog = std::make_unique<AssignmentEditorDialog>(
        EditorWindowDependencies{store,
                                 assignments,
                                 keyboardView,
                                 qtRecorder,
                                 qtHooks,
                                 qtGrab,
                                 prompter,
                                 language,
                                 {},
                                 skin.File(skin::kCompositeLayoutFile),
                                 skin.installFolder(),
                                 pictures,
                                 state,
                                 osk,
                                 [this] { ++helpOpened; }});
}

EditorWindowTest::~EditorWindowTest() {
    dialog.reset();
}

void EditorWindowTest::OpenOn(std::size_t record, bool macroOnly, QRect button) {
    ASSERT_TRUE(dialog->Open({record, macroOnly}, button));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
}

bool EditorWindowTest::SendKey(std::uint16_t evdev, bool pressed, bool autoRepeat,
                               QWidget* target) {
    if (target == nullptr) {
        target =
            QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : dialog.get();
    }
    Arrivals arrivals;
    target->installEventFilter(&arrivals);
    QKeyEvent event(pressed ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_unknown,
                    Qt::NoModifier, evdev + keys::kNativeKeycodeOffset, 0, presenters::kX11Mod2Mask,
                    QString(), autoRepeat);
    event.setTimestamp(++eventTime_);
    QApplication::sendEvent(target, &event);
    target->removeEventFilter(&arrivals);
    return arrivals.count > 0;
}

}  // namespace qf::ui::test
