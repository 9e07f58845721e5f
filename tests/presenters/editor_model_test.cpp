// The assignment editor's model against the virtual keyboard: opening, pages, capture and
// recording through the hook owner, the macro list, the action list and Apply.
#include "presenters/editor_model.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "presenters/editor_support.h"
#include "text/language_keys.h"

namespace qf::presenters {
namespace {

using keys::KeyKind;
using keys::KeyRecord;
using macros::MacroAction;
using testing::FakeEditorView;
using testing::NativeKey;
using testing::StoredMacro;
using text::TextId;

constexpr std::size_t kRecordA = 0x01E;  // "A"
constexpr std::size_t kRecordQ = 0x010;  // "Q"
constexpr std::size_t kRecordF1 = 0x03B;
constexpr keys::ScanCode kScanA = 0x01E;
constexpr keys::ScanCode kScanQ = 0x010;
constexpr keys::ScanCode kScanB = 0x030;
constexpr std::size_t kG2BankB = keys::GRecordIndex(1, 2);

KeyRecord Rec(KeyKind kind, std::uint32_t value = 0, std::uint16_t extra = 0) {
    KeyRecord r;
    r.kind = static_cast<std::uint16_t>(kind);
    r.value = value;
    r.extra = extra;
    return r;
}

constexpr std::uint16_t K(KeyKind kind) {
    return static_cast<std::uint16_t>(kind);
}

class EditorTest : public testing::KeyboardRig {
protected:
    void OpenOn(std::size_t record, bool macroOnly = false) {
        ASSERT_TRUE(editor.Open({record, macroOnly}));
    }
    // Presses and releases a key through the hooks as the X11 event filter delivers it.
    void Tap(std::uint16_t evdev) {
        (void)hooks.OnKeyEvent(NativeKey(evdev, true));
        (void)hooks.OnKeyEvent(NativeKey(evdev, false));
    }
    std::vector<MacroAction> Actions() const { return editor.actions().actions(); }

    FakeEditorView view;
    EditorModel editor{
        {store, assignments, keyboardView, recorder, hooks, prompter, language, {}, view}};
};

// ---- Opening ----

TEST_F(EditorTest, OpeningShowsThePageOfTheRecordsKind) {
    SetRecord(0, kRecordA, Rec(KeyKind::Media, 3));
    OpenOn(kRecordA);
    EXPECT_EQ(editor.page(), EditorPage::Media);
    EXPECT_EQ(editor.mediaSelection(), 3);
    EXPECT_EQ(editor.functionSelection(), 0);
    EXPECT_EQ(editor.repeatText(), "1");
    EXPECT_EQ(editor.MediaNames().size(), 18u);
    EXPECT_EQ(editor.FunctionNames().size(), 11u);
    EXPECT_FALSE(editor.modified());
    EXPECT_EQ(hooks.mode(), HookMode::Off);  // no capture off the single-key page
    EXPECT_TRUE(view.Saw(kEditorOpenChanged));

    SetRecord(0, kRecordQ, Rec(KeyKind::Key, kScanB));
    OpenOn(kRecordQ);
    EXPECT_EQ(editor.page(), EditorPage::SingleKey);
    EXPECT_EQ(editor.keyFieldText(), "B");
    EXPECT_EQ(editor.capturedKey(), kScanB);
    EXPECT_EQ(hooks.mode(), HookMode::Capture);
    EXPECT_TRUE(grab.held);
}

TEST_F(EditorTest, OpeningReadsTheCurrentProfilesBlockOrRefuses) {
    SetRecord(2, kRecordA, Rec(KeyKind::Function, 4));
    SetKeyboardProfile(2);
    OpenOn(kRecordA);
    EXPECT_EQ(editor.page(), EditorPage::Function);
    EXPECT_EQ(editor.functionSelection(), 4);
    editor.Close();

    SetKeyboardProfile(3);  // no on-board profile: nothing to edit
    EXPECT_FALSE(editor.Open({kRecordA, false}));
    EXPECT_FALSE(editor.IsOpen());
    EXPECT_EQ(prompter.MessageIds(), std::vector{TextId::APPLY_PROMPT});
    EXPECT_FALSE(grab.held);
}

TEST_F(EditorTest, AValueOutsideTheListSelectsNothingAndApplyKeepsIt) {
    SetRecord(0, kRecordA, Rec(KeyKind::Function, 32));  // as a keyboard can report it
    OpenOn(kRecordA);
    EXPECT_EQ(editor.functionSelection(), -1);
    ASSERT_TRUE(editor.Ok());
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Function, 32));
}

TEST_F(EditorTest, TheCapturedKeyComesFromTheRecordOnlyForKind2) {
    // A program key: its value is a string offset, not a key.
    SetRecord(0, kRecordA, Rec(KeyKind::Program, 0x01E));
    OpenOn(kRecordA);
    EXPECT_EQ(editor.page(), EditorPage::SingleKey);
    EXPECT_EQ(editor.capturedKey(), std::nullopt);
    EXPECT_EQ(editor.keyFieldText(), "");
    editor.ClickPage(EditorPage::SingleKey);  // kind 2, with nothing captured
    ASSERT_TRUE(editor.Ok());
    EXPECT_EQ(Record(0, kRecordA).keyKind(), KeyKind::Default);
}

TEST_F(EditorTest, AProgramOrTextKeyLeftUntouchedKeepsItsString) {
    KeyRecord record = Rec(KeyKind::Text, 0x40, 0x7);
    record.reserved0 = 0xABCD;
    SetRecord(0, kRecordF1, record);
    {
        auto access = store.Lock();
        ASSERT_TRUE(access->strings.Set(kRecordF1, u"hello"));
    }
    OpenOn(kRecordF1);
    EXPECT_EQ(editor.workingKind(), K(KeyKind::Text));
    ASSERT_TRUE(editor.Ok());
    auto access = store.Lock();
    EXPECT_EQ(access->BlockRecord(0, kRecordF1), record);
    EXPECT_EQ(access->strings.Get(kRecordF1), u"hello");
}

TEST_F(EditorTest, TheMacroListIsACopyWithTheNewMarkCleared) {
    auto macro = StoredMacro(4, u"four", 2);
    macro.newMark = 1;
    SetMacros({macro, StoredMacro(9, u"nine", 4)});
    SetRecord(0, kRecordA, Rec(KeyKind::Macro, 9, 5));
    OpenOn(kRecordA);
    ASSERT_EQ(editor.macros().size(), 2u);
    EXPECT_EQ(editor.macros()[0].newMark, 0);
    EXPECT_EQ(editor.MacroNames(), (std::vector<std::string>{"four", "nine"}));
    // Opened on macro 9: it is selected and shown.
    EXPECT_EQ(editor.currentMacro(), 1);
    EXPECT_EQ(Actions().size(), 4u);
    EXPECT_EQ(editor.repeatText(), "3");
    EXPECT_TRUE(editor.ActionButtonsEnabled());
}

TEST_F(EditorTest, MacroOnlyModeOffersTheMacroPageAlone) {
    SetMacros({StoredMacro(1, u"one", 2)});
    const std::size_t g9 = keys::GRecordIndex(0, 9);
    SetRecord(0, g9, Rec(KeyKind::Key, kScanB, 0x0309));
    OpenOn(g9, true);
    EXPECT_EQ(editor.page(), EditorPage::Macro);
    EXPECT_FALSE(editor.PageEnabled(EditorPage::SingleKey));
    EXPECT_FALSE(editor.PageEnabled(EditorPage::Media));
    EXPECT_TRUE(editor.PageEnabled(EditorPage::Macro));
    EXPECT_FALSE(editor.ClearEnabled());
    EXPECT_FALSE(editor.PagePromptsVisible());
    // No macro has the record's value: the first one is shown.
    EXPECT_EQ(editor.currentMacro(), 0);

    editor.ClickPage(EditorPage::SingleKey);
    editor.ClickClear();
    EXPECT_EQ(editor.page(), EditorPage::Macro);
    EXPECT_EQ(hooks.mode(), HookMode::Off);
}

TEST_F(EditorTest, EveryOpeningLoadsTheEditorTextsAndTheRecordDelay) {
    const qf::testing::TempFolder skins;
    const auto file = skins / "language.ini";
    qf::testing::TempFolder::Write(file,
                                   "[LANGUAGE]\nlanguage=1\n[ENGINSH]\n"
                                   "ACTION_STATE_PRESS=Down\nACTION_STATE_RELEASE=Up\n");
    ASSERT_EQ(settings.WriteString("RecordDelay", "1"), text::IniWriteResult::Written);
    EditorModel withFile{
        {store, assignments, keyboardView, recorder, hooks, prompter, language, file, view}};
    ASSERT_TRUE(withFile.Open({kRecordA, true}));
    EXPECT_EQ(withFile.ActionStateNames(), (std::vector<std::string>{"Down", "Up"}));
    EXPECT_TRUE(withFile.recordDelayMeasured());
    withFile.SetRecordDelay(false);
    EXPECT_EQ(settings.ReadString("RecordDelay"), "0");
    EXPECT_FALSE(withFile.recordDelayMeasured());
    withFile.Close();
}

// ---- Pages and key capture ----

TEST_F(EditorTest, PageButtonsSetTheWorkingKind) {
    SetRecord(0, kRecordA, Rec(KeyKind::Disabled));
    OpenOn(kRecordA);
    EXPECT_EQ(editor.page(), EditorPage::SingleKey);
    editor.ClickPage(EditorPage::SingleKey);
    EXPECT_EQ(editor.workingKind(), K(KeyKind::Key));
    EXPECT_TRUE(editor.modified());

    editor.ClickPage(EditorPage::Media);
    EXPECT_EQ(editor.workingKind(), K(KeyKind::Media));
    EXPECT_EQ(hooks.mode(), HookMode::Off);
    EXPECT_FALSE(grab.held);
    editor.ClickPage(EditorPage::Function);
    EXPECT_EQ(editor.workingKind(), K(KeyKind::Function));
    editor.ClickPage(EditorPage::Macro);
    EXPECT_EQ(editor.workingKind(), K(KeyKind::Macro));
    editor.ClickPage(EditorPage::SingleKey);
    EXPECT_EQ(editor.workingKind(), K(KeyKind::Key));
    EXPECT_EQ(hooks.mode(), HookMode::Capture);
}

TEST_F(EditorTest, ClearOnAMacroKeyStoresTheDefault) {
    SetMacros({StoredMacro(1, u"one", 2)});
    SetRecord(0, kRecordA, Rec(KeyKind::Macro, 1, 3));
    OpenOn(kRecordA);
    editor.ClickClear();
    EXPECT_EQ(editor.page(), EditorPage::SingleKey);
    EXPECT_EQ(editor.workingKind(), K(KeyKind::Default));
    EXPECT_EQ(editor.keyFieldText(), "");
    EXPECT_TRUE(editor.modified());
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Default));
    EXPECT_EQ(StoreMacros().size(), 1u);  // the macro itself stays
}

TEST_F(EditorTest, HoldingQCapturesItOnce) {
    OpenOn(kRecordA);
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_Q, true)));
    view.Forget();
    // X11 auto-repeat: a release and a press, both marked.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_Q, false, true)));
        EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_Q, true, true)));
    }
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_Q, false)));
    EXPECT_FALSE(view.Saw(kEditorKeyFieldChanged));
    EXPECT_EQ(editor.capturedKey(), kScanQ);
    EXPECT_EQ(editor.keyFieldText(), "Q");
    EXPECT_EQ(editor.workingKind(), K(KeyKind::Key));
    EXPECT_TRUE(editor.modified());

    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Key, kScanQ));
    EXPECT_FALSE(editor.modified());
    EXPECT_GT(keyboardView.applyEnabled, 0);
    // The key button's caption shows the new assignment.
    const auto button = std::find(keys::kSingleKeyList.begin(), keys::kSingleKeyList.end(), kScanA);
    ASSERT_NE(button, keys::kSingleKeyList.end());
    const auto& shown =
        keyboardView.keys[static_cast<std::size_t>(button - keys::kSingleKeyList.begin())];
    EXPECT_TRUE(shown.assigned);
    EXPECT_EQ(shown.caption, "AKeys, Set: Key(Q)");
}

TEST_F(EditorTest, CapturingTheKeyItselfStoresTheDefault) {
    SetRecord(0, kRecordA, Rec(KeyKind::Key, kScanB));
    OpenOn(kRecordA);
    Tap(KEY_A);
    EXPECT_EQ(editor.capturedKey(), kScanA);
    ASSERT_TRUE(editor.Ok());
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Default));
    EXPECT_FALSE(editor.IsOpen());
    EXPECT_FALSE(grab.held);
}

TEST_F(EditorTest, WindowsKeyIsCapturedMediaKeysAreNot) {
    OpenOn(kRecordA);
    EXPECT_FALSE(hooks.OnKeyEvent(NativeKey(KEY_VOLUMEUP, true)));
    EXPECT_FALSE(hooks.OnKeyEvent(NativeKey(KEY_VOLUMEUP, false)));
    EXPECT_EQ(editor.capturedKey(), std::nullopt);
    EXPECT_FALSE(editor.modified());

    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_LEFTMETA, true)));
    EXPECT_EQ(editor.capturedKey(), 0x15B);
    EXPECT_EQ(editor.keyFieldText(), "Win");
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_LEFTMETA, false)));

    // Print Screen: the press never arrives as a keystroke, the release is taken.
    EXPECT_FALSE(hooks.OnKeyEvent(NativeKey(KEY_SYSRQ, true)));
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_SYSRQ, false)));
    EXPECT_EQ(editor.capturedKey(), 0x137);
}

TEST_F(EditorTest, AGKeyKeepsItsCodeAndAMacroTakesTheRepeatCount) {
    SetRecord(0, kG2BankB, Rec(KeyKind::Default, 0, 0x1302));
    OpenOn(kG2BankB);
    Tap(KEY_B);
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(Record(0, kG2BankB), Rec(KeyKind::Key, kScanB, 0x1302));

    editor.ClickPage(EditorPage::Macro);
    editor.AddMacro();
    EXPECT_EQ(editor.SetRepeatText("7"), "7");
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(Record(0, kG2BankB), Rec(KeyKind::Macro, 1, 7));
    ASSERT_EQ(StoreMacros().size(), 1u);
    EXPECT_EQ(StoreMacros()[0].newMark, 0);
    EXPECT_EQ(StoreMacros()[0].repeatCount, 7);
}

// ---- The macro page ----

TEST_F(EditorTest, TheMacroPageShownLaterSelectsOnlyForAValueOfZero) {
    SetMacros({StoredMacro(1, u"one", 2), StoredMacro(2, u"two", 4)});
    SetRecord(0, kRecordA, Rec(KeyKind::Key, kScanB));
    OpenOn(kRecordA);
    editor.ClickPage(EditorPage::Macro);
    EXPECT_EQ(editor.currentMacro(), -1);
    EXPECT_FALSE(editor.ActionButtonsEnabled());
    // Typing a name has nothing to rename.
    editor.TypeMacroName("renamed");
    EXPECT_EQ(editor.MacroNames(), (std::vector<std::string>{"one", "two"}));
    // Apply with no macro chosen leaves the record as it was.
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Key, kScanB));
    editor.Close();

    OpenOn(kRecordQ);  // kind 0, value 0
    editor.ClickPage(EditorPage::Macro);
    EXPECT_EQ(editor.currentMacro(), 0);
    EXPECT_EQ(Actions().size(), 2u);
}

TEST_F(EditorTest, AMacroPageWithoutMacrosStoresTheDefault) {
    SetRecord(0, kRecordA, Rec(KeyKind::Key, kScanB));
    OpenOn(kRecordA);
    editor.ClickPage(EditorPage::Macro);
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Default));
}

TEST_F(EditorTest, SelectingAnotherMacroSavesTheCurrentOneFirst) {
    SetMacros({StoredMacro(1, u"one", 2), StoredMacro(2, u"two", 4)});
    SetRecord(0, kRecordA, Rec(KeyKind::Macro, 1, 3));
    OpenOn(kRecordA);
    ASSERT_EQ(editor.currentMacro(), 0);
    EXPECT_EQ(editor.SetRepeatText("300"), "255");
    editor.SelectAction(0);
    editor.DeleteAction();
    editor.SelectMacro(1);
    EXPECT_EQ(editor.repeatText(), "3");
    EXPECT_EQ(Actions().size(), 4u);
    editor.SelectMacro(0);
    EXPECT_EQ(editor.repeatText(), "255");
    EXPECT_EQ(Actions().size(), 1u);

    // Cancel drops it all.
    editor.Cancel();
    EXPECT_EQ(StoreMacros()[0], StoredMacro(1, u"one", 2));
}

TEST_F(EditorTest, NamingAddingAndTheLimitOfMacros) {
    OpenOn(kRecordA);
    editor.ClickPage(EditorPage::Macro);
    // Typing into an empty list makes a macro of that name.
    editor.TypeMacroName("Jump");
    ASSERT_EQ(editor.macros().size(), 1u);
    EXPECT_EQ(editor.macros()[0].id, 1);
    EXPECT_EQ(editor.currentMacro(), 0);
    editor.TypeMacroName("Jump twice");
    EXPECT_EQ(editor.MacroNames(), std::vector<std::string>{"Jump twice"});
    EXPECT_TRUE(view.Saw(kEditorMacroNameChanged));

    editor.AddMacro();
    editor.AddMacro();
    EXPECT_EQ(editor.MacroNames(), (std::vector<std::string>{"Jump twice", "Macro1", "Macro2"}));
    EXPECT_EQ(editor.currentMacro(), 2);
    EXPECT_EQ(editor.macros()[2].id, 3);
    EXPECT_EQ(editor.macros()[2].newMark, 1);

    while (editor.macros().size() < macros::kMaxMacros) {
        editor.AddMacro();
    }
    EXPECT_TRUE(prompter.messages.empty());
    editor.AddMacro();
    EXPECT_EQ(editor.macros().size(), macros::kMaxMacros);
    ASSERT_EQ(prompter.MessageIds(), std::vector{TextId::MACRO_ERR_MAX});
    EXPECT_EQ(prompter.messages[0].second, "The maximum number of macro: 100   ");
}

TEST_F(EditorTest, DeletingAMacroLoadsItsNeighbourUnchanged) {
    SetMacros({StoredMacro(1, u"one", 2), StoredMacro(2, u"two", 4), StoredMacro(3, u"three", 6)});
    SetRecord(0, kRecordA, Rec(KeyKind::Macro, 2, 3));
    OpenOn(kRecordA);
    ASSERT_EQ(editor.currentMacro(), 1);
    editor.SelectAction(0);
    editor.DeleteAction();  // an edit of "two", gone with it
    editor.DeleteMacro();
    // Record A plays macro 2: the user is asked, and No keeps it.
    EXPECT_EQ(prompter.questions, std::vector{TextId::MACRO_DELETE_CONFIRM_OF_KEYS});
    EXPECT_EQ(editor.macros().size(), 3u);
    prompter.answer = true;
    editor.DeleteMacro();
    EXPECT_EQ(editor.MacroNames(), (std::vector<std::string>{"one", "three"}));
    EXPECT_EQ(editor.currentMacro(), 0);
    EXPECT_EQ(Actions().size(), 2u);
    EXPECT_EQ(editor.macros()[0], StoredMacro(1, u"one", 2));

    // Apply: the commit resets the key whose macro is gone, then the editor stores the macro
    // now shown, "one", for it.
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Macro, 1, 3));
    EXPECT_EQ(StoreMacros().size(), 2u);
}

TEST_F(EditorTest, DeletingTheLastMacroLeavesAnEmptyDisabledActionList) {
    SetMacros({StoredMacro(1, u"one", 2)});
    OpenOn(kRecordA, true);
    ASSERT_EQ(editor.currentMacro(), 0);
    editor.DeleteMacro();  // no key uses it: no question
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(editor.currentMacro(), -1);
    EXPECT_TRUE(Actions().empty());
    EXPECT_FALSE(editor.ActionButtonsEnabled());
    editor.ToggleRecord();
    EXPECT_FALSE(editor.recording());
    ASSERT_TRUE(editor.Apply());
    EXPECT_TRUE(StoreMacros().empty());
    EXPECT_EQ(Record(0, kRecordA).keyKind(), KeyKind::Default);
}

TEST_F(EditorTest, TheRepeatCountIsCorrectedInPlace) {
    SetMacros({StoredMacro(1, u"one", 2)});
    OpenOn(kRecordA, true);
    EXPECT_EQ(editor.SetRepeatText("300"), "255");
    EXPECT_EQ(editor.SetRepeatText("0"), "1");
    EXPECT_EQ(editor.SetRepeatText("-4"), "1");
    EXPECT_EQ(editor.SetRepeatText("x"), "1");
    EXPECT_EQ(editor.SetRepeatText("99999999999999999999"), "255");
    EXPECT_EQ(editor.SetRepeatText("42"), "42");
    EXPECT_EQ(editor.SetRepeatText(""), "");  // being retyped; counts as 1
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(StoreMacros()[0].repeatCount, 1);
    EXPECT_EQ(Record(0, kRecordA).extra, 1);
}

// ---- The action list ----

class ActionListTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        macros::MacroRecord macro = StoredMacro(1, u"one", 0);
        for (std::int32_t i = 0; i < 4; ++i) {
            (void)macro.AppendAction({10 * (i + 1), static_cast<std::uint16_t>(0x010 + i), 0});
        }
        SetMacros({macro});
        OpenOn(kRecordA, true);
    }
    std::vector<std::uint16_t> Scans() const {
        std::vector<std::uint16_t> scans;
        for (const auto& a : Actions()) {
            scans.push_back(a.scan);
        }
        return scans;
    }
};

TEST_F(ActionListTest, MovesKeepEachActionsDelay) {
    editor.SelectAction(2);
    editor.MoveAction(ActionMove::Top);
    EXPECT_EQ(Scans(), (std::vector<std::uint16_t>{0x12, 0x10, 0x11, 0x13}));
    EXPECT_EQ(Actions()[0].delay, 30);
    EXPECT_EQ(editor.actions().SelectedAction(), 0u);
    editor.MoveAction(ActionMove::Up);  // at the top already
    EXPECT_EQ(Scans()[0], 0x12);
    editor.MoveAction(ActionMove::Down);
    EXPECT_EQ(Scans(), (std::vector<std::uint16_t>{0x10, 0x12, 0x11, 0x13}));
    editor.MoveAction(ActionMove::Bottom);
    EXPECT_EQ(Scans(), (std::vector<std::uint16_t>{0x10, 0x11, 0x13, 0x12}));
    EXPECT_EQ(Actions()[3].delay, 30);
    EXPECT_EQ(editor.actions().SelectedAction(), 3u);
    editor.MoveAction(ActionMove::Down);  // at the bottom already
    EXPECT_EQ(Scans()[3], 0x12);
    EXPECT_TRUE(editor.modified());
    EXPECT_TRUE(view.Saw(kEditorActionSelected));

    editor.SelectAction(std::nullopt);
    editor.MoveAction(ActionMove::Top);  // nothing selected: nothing moves
    EXPECT_EQ(Scans(), (std::vector<std::uint16_t>{0x10, 0x11, 0x13, 0x12}));
}

TEST_F(ActionListTest, ClearingAsksFirst) {
    editor.ClearActions();
    EXPECT_EQ(prompter.questions, std::vector{TextId::MACRO_ACTION_CLEAR_CONFIRM});
    EXPECT_EQ(Actions().size(), 4u);
    prompter.answer = true;
    editor.ClearActions();
    EXPECT_TRUE(Actions().empty());
    editor.ClearActions();  // nothing to clear: no question
    EXPECT_EQ(prompter.questions.size(), 2u);
}

TEST_F(ActionListTest, DelayEditsAreClampedAndRoundedDown) {
    ASSERT_EQ(editor.BeginActionEdit(0, kActionDelayColumn), ActionCellEditor::Delay);
    EXPECT_EQ(editor.CommitActionDelay(0, "12345"), "12340");
    EXPECT_EQ(Actions()[0].delay, 12340);
    EXPECT_TRUE(prompter.messages.empty());

    ASSERT_EQ(editor.BeginActionEdit(1, kActionDelayColumn), ActionCellEditor::Delay);
    EXPECT_EQ(editor.CommitActionDelay(1, "50000"), "40000");
    ASSERT_EQ(prompter.MessageIds(), std::vector{TextId::MACRO_ACTION_ERR_DELAY_MAX});
    EXPECT_EQ(prompter.messages[0].second, "Maximum delay time is: 40000(ms) ");
    // The window commits the same edit again on closing its editor: no second message.
    EXPECT_EQ(editor.CommitActionDelay(1, "50000"), "40000");
    EXPECT_EQ(prompter.messages.size(), 1u);

    // Read as unsigned: a negative number is too large.
    ASSERT_EQ(editor.BeginActionEdit(2, kActionDelayColumn), ActionCellEditor::Delay);
    EXPECT_EQ(editor.CommitActionDelay(2, "-5"), "40000");
    EXPECT_EQ(prompter.messages.size(), 2u);

    EXPECT_EQ(editor.BeginActionEdit(2, 3), ActionCellEditor::None);
    EXPECT_EQ(prompter.MessageIds().back(), TextId::MACRO_ACTION_ERR_MODIFY);
}

TEST_F(ActionListTest, KeyAndStateEditors) {
    ASSERT_EQ(editor.BeginActionEdit(0, kActionKeyColumn), ActionCellEditor::Key);
    const auto names = editor.ActionKeyNames();
    ASSERT_EQ(names.size(), 106u);
    const int q = editor.ActionKeyIndex(0);
    ASSERT_GE(q, 0);
    EXPECT_EQ(names[static_cast<std::size_t>(q)], "Q");
    editor.SetActionKey(0, keys::ScanToActionKeyCode(kScanA));
    EXPECT_EQ(Actions()[0].scan, kScanA);
    EXPECT_EQ(editor.ActionKeyText(0), "A");
    EXPECT_TRUE(editor.modified());

    ASSERT_EQ(editor.BeginActionEdit(0, kActionStateColumn), ActionCellEditor::State);
    EXPECT_EQ(editor.ActionStateNames(), (std::vector<std::string>{"Press", "Release"}));
    EXPECT_EQ(editor.ActionStateText(0), "Press");
    editor.SetActionState(0, macros::kActionRelease);
    EXPECT_EQ(editor.ActionStateText(0), "Release");
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(StoreMacros()[0].actions[0], (MacroAction{10, kScanA, macros::kActionRelease}));
}

// ---- Recording ----

TEST_F(ActionListTest, RecordingInsertsAfterTheSelectedAction) {
    (void)recorder.WriteRecordDelay(macros::kRecordDelayMeasured);
    editor.SelectAction(1);
    editor.ToggleRecord();
    ASSERT_TRUE(editor.recording());
    EXPECT_EQ(editor.RecordButtonText(), "Stop Record");
    EXPECT_FALSE(editor.MacroListEnabled());
    EXPECT_TRUE(grab.held);
    EXPECT_FALSE(editor.CanOpenHelp());

    now += 100;
    (void)hooks.OnKeyEvent(NativeKey(KEY_B, true));
    now += 70;
    // The X11 auto-repeat pair: neither half records anything.
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_B, false, true)));
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_B, true, true)));
    now += 30;
    (void)hooks.OnKeyEvent(NativeKey(KEY_B, false));
    // Volume Up is not recorded.
    EXPECT_FALSE(hooks.OnKeyEvent(NativeKey(KEY_VOLUMEUP, true)));

    EXPECT_EQ(Scans(), (std::vector<std::uint16_t>{0x10, 0x11, kScanB, kScanB, 0x12, 0x13}));
    // Action 1 waits the measured 100 ms, then B's press 100 ms; B's release keeps the wait
    // that used to follow action 1.
    EXPECT_EQ(Actions()[1].delay, 100);
    EXPECT_EQ(Actions()[2], (MacroAction{100, kScanB, macros::kActionPress}));
    EXPECT_EQ(Actions()[3], (MacroAction{20, kScanB, macros::kActionRelease}));
    EXPECT_EQ(editor.actions().SelectedAction(), 3u);

    // Selecting another macro is refused while recording.
    editor.AddMacro();
    EXPECT_EQ(editor.macros().size(), 1u);
    editor.ToggleRecord();
    EXPECT_FALSE(editor.recording());
    EXPECT_EQ(editor.RecordButtonText(), "Record");
    EXPECT_FALSE(grab.held);
}

TEST_F(ActionListTest, FixedDelaysAndTheMissingPressOfPrintScreen) {
    prompter.answer = true;
    editor.ClearActions();
    editor.SetRecordDelay(false);
    editor.ToggleRecord();
    ASSERT_TRUE(editor.recording());
    now += 1234;
    Tap(KEY_A);
    now += 5;
    Tap(KEY_SYSRQ);
    now += 7;
    Tap(KEY_LEFTMETA);
    EXPECT_EQ(Actions(), (std::vector<MacroAction>{{50, kScanA, 0},
                                                   {50, kScanA, 1},
                                                   {50, 0x137, 0},
                                                   {50, 0x137, 1},
                                                   {50, 0x15B, 0},
                                                   {0, 0x15B, 1}}));
}

TEST_F(ActionListTest, KeystrokesThatCannotBeCaughtEndTheRecordingWithAMessage) {
    grab.works = false;
    editor.ToggleRecord();
    EXPECT_FALSE(editor.recording());
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(prompter.MessageIds(), std::vector{TextId::MACRO_RECORD_NO_HOOKS});
    EXPECT_EQ(hooks.mode(), HookMode::Off);
}

// Every way out of a recording ends it and lets the keyboard go.
TEST_F(ActionListTest, EveryExitEndsTheRecordingAndTheGrab) {
    const std::vector<std::pair<const char*, std::function<void()>>> exits = {
        {"record button", [&] { editor.ToggleRecord(); }},
        {"page change", [&] { editor.ClickPage(EditorPage::Media); }},
        {"delay edit", [&] { (void)editor.BeginActionEdit(0, kActionDelayColumn); }},
        {"apply", [&] { (void)editor.Apply(); }},
        {"ok", [&] { (void)editor.Ok(); }},
        {"close", [&] { editor.Close(); }},
        {"program end", [&] { hooks.StopAll(); }},
    };
    editor.Close();
    for (const auto& [name, exit] : exits) {
        SCOPED_TRACE(name);
        if (!editor.IsOpen()) {
            OpenOn(kRecordA, false);
        }
        editor.ClickPage(EditorPage::Macro);
        editor.SelectMacro(0);
        editor.ToggleRecord();
        ASSERT_TRUE(editor.recording());
        ASSERT_TRUE(grab.held);
        exit();
        EXPECT_FALSE(editor.recording());
        EXPECT_FALSE(recorder.IsRecording());
        EXPECT_NE(hooks.mode(), HookMode::Recording);
        EXPECT_EQ(grab.held, hooks.mode() != HookMode::Off);
        // At the program's end the window closes; the model's state tells it anything else.
        EXPECT_TRUE(view.Saw(kEditorRecordingChanged) || name == std::string("program end"));
        view.Forget();
    }
}

TEST_F(ActionListTest, TheMacroMemoryFollowsTheEditsBeforeApply) {
    const macros::ImageSizes opened = editor.MacroImageSizes();
    EXPECT_EQ(opened.withNames, macros::MacroImageSizes(StoreMacros()).withNames);
    editor.ToggleRecord();
    Tap(KEY_B);
    editor.ToggleRecord();
    editor.TypeMacroName("one more");
    // Two actions more (4 bytes each), five name units more (2 bytes each, names only).
    const macros::ImageSizes edited = editor.MacroImageSizes();
    EXPECT_EQ(edited.withoutNames, opened.withoutNames + 2 * 4);
    EXPECT_EQ(edited.withNames, opened.withNames + 2 * 4 + 5 * 2);
    // What Apply commits is what was counted.
    ASSERT_TRUE(editor.Apply());
    const macros::ImageSizes stored = macros::MacroImageSizes(StoreMacros());
    EXPECT_EQ(stored.withNames, edited.withNames);
    EXPECT_EQ(stored.withoutNames, edited.withoutNames);
}

TEST_F(EditorTest, ClosingEndsCaptureAndDropsTheEdits) {
    SetMacros({StoredMacro(1, u"one", 2)});
    OpenOn(kRecordA);
    ASSERT_EQ(hooks.mode(), HookMode::Capture);
    Tap(KEY_B);
    editor.ClickPage(EditorPage::Macro);
    editor.AddMacro();
    editor.ClickPage(EditorPage::SingleKey);
    ASSERT_EQ(hooks.mode(), HookMode::Capture);
    editor.Cancel();
    EXPECT_FALSE(editor.IsOpen());
    EXPECT_FALSE(editor.modified());
    EXPECT_EQ(hooks.mode(), HookMode::Off);
    EXPECT_FALSE(grab.held);
    EXPECT_EQ(grab.takes, grab.releases);
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Default));
    EXPECT_EQ(StoreMacros().size(), 1u);
    // Keys after closing pass on.
    EXPECT_FALSE(hooks.OnKeyEvent(NativeKey(KEY_B, true)));
}

TEST_F(EditorTest, ApplyResetsKeysOfDeletedMacrosInEveryBlock) {
    SetMacros({StoredMacro(1, u"one", 2), StoredMacro(2, u"two", 2)});
    SetRecord(1, kRecordQ, Rec(KeyKind::Macro, 2, 1));
    SetRecord(0, kRecordF1, Rec(KeyKind::Macro, 2, 1));
    OpenOn(kRecordA, true);
    editor.SelectMacro(1);
    prompter.answer = true;
    editor.DeleteMacro();
    ASSERT_TRUE(editor.Apply());
    EXPECT_EQ(Record(1, kRecordQ).keyKind(), KeyKind::Default);
    EXPECT_EQ(Record(0, kRecordF1).keyKind(), KeyKind::Default);
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Macro, 1, 3));
    EXPECT_EQ(StoreMacros().size(), 1u);
}

TEST_F(EditorTest, ApplyIsRefusedWhenTheProfileCannotBeRead) {
    OpenOn(kRecordA);
    Tap(KEY_B);
    keyboard.Unplug();
    EXPECT_FALSE(editor.Apply());
    EXPECT_EQ(prompter.MessageIds(), std::vector{TextId::APPLY_PROMPT});
    EXPECT_TRUE(editor.IsOpen());
    EXPECT_TRUE(editor.modified());
    EXPECT_EQ(Record(0, kRecordA), Rec(KeyKind::Default));
}

}  // namespace
}  // namespace qf::presenters
