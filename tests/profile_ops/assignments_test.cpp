// Captions and looks of the keyboard view's buttons, their refresh and reset from the current
// profile's key block, and the question before a macro that keys play is removed.
#include <gtest/gtest.h>

#include "keys/catalogues.h"
#include "profile_ops/profile_ops_fixture.h"
#include "text/language_keys.h"

namespace qf::profiles::testing {
namespace {

using keys::KeyRecord;
using text::TextId;

constexpr std::size_t kARecord = 0x1E;
constexpr std::size_t kAButton = 0;  // kSingleKeyList[0] is "A"

struct CaptionCase {
    const char* name;
    KeyRecord record;
    std::string expected;  // "" + "Keys, Set: " + ...; empty: the head alone
    bool assigned;
};

class KeyCaption : public ::testing::TestWithParam<CaptionCase> {
protected:
    text::LanguageTable language;
    std::vector<macros::MacroRecord> macroList = {MakeMacro(4, u"Combo \u00e9", 1)};
};

TEST_P(KeyCaption, ForKeyA) {
    const CaptionTexts texts(language);
    const Caption caption = KeyAssignmentCaption(0x01E, GetParam().record, texts, macroList);
    EXPECT_EQ(caption.text, "A" + GetParam().expected);
    EXPECT_EQ(caption.assigned, GetParam().assigned);
}

const std::string kSet = "Keys, Set: ";

INSTANTIATE_TEST_SUITE_P(
    Kinds, KeyCaption,
    ::testing::Values(CaptionCase{"Default", {0, 0, 5, 0, 0}, "", false},
                      CaptionCase{"Disabled", {1, 0, 0, 0, 0}, kSet, true},
                      CaptionCase{"Shift", {2, 0, 0x02A, 0, 0}, kSet + "Key(Shift)", true},
                      CaptionCase{"Macro", {4, 1, 4, 0, 0}, kSet + "Macro(Combo \xc3\xa9)", true},
                      CaptionCase{"MissingMacro", {4, 1, 5, 0, 0}, kSet + "Macro()", true},
                      CaptionCase{"Program", {3, 0, 12, 0, 0}, kSet, true},
                      CaptionCase{"StopMacro", {5, 0, 0, 0, 0}, kSet, true},
                      CaptionCase{"Text", {6, 0, 0, 0, 0}, kSet, true},
                      CaptionCase{"Function", {8, 0, 10, 0, 0}, kSet + "Function(Zoom+)", true},
                      CaptionCase{
                          "FunctionOutsideCatalogue", {8, 0, 32, 0, 0}, kSet + "Function()", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GKeyCaption, HeadIsTheGNumber) {
    text::LanguageTable language;
    const CaptionTexts texts(language);
    EXPECT_EQ(GKeyAssignmentCaption(3, KeyRecord{0, 0x1303, 0, 0, 0}, texts, {}),
              (Caption{"G3", false}));
    EXPECT_EQ(GKeyAssignmentCaption(9, KeyRecord{5, 0x0309, 0, 0, 0}, texts, {}),
              (Caption{"G9Keys, Set: ", true}));
}

TEST(KeyCaptionTexts, FollowTheLanguageTable) {
    text::LanguageTable language;
    const text::IniDocument file = text::IniDocument::Parse(
        "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nKEY_PROMPT_SET= set to \n"
        "KEY_PROMPT_MEDIA=M[\nMEDIA_MUTE_8=Mute\n");
    language.Load(text::TextLoader::MessageTexts, file);
    const CaptionTexts texts(language);
    const Caption caption = KeyAssignmentCaption(0x01E, KeyRecord{7, 0, 7, 0, 0}, texts, {});
    EXPECT_EQ(caption.text, "A" + language.Text(TextId::KEY_PROMPT_SET) + "M[" +
                                keys::MediaName(7, texts.keyTexts) + ")");
    EXPECT_EQ(keys::MediaName(7, texts.keyTexts), "Mute");
}

class AssignmentsTest : public ProfileOpsTest {};

TEST_F(AssignmentsTest, RefreshShowsTheActiveProfileAndBank) {
    SetKeyboardProfile(1);
    {
        auto access = store.Lock();
        (void)access->SetBlockRecord(1, kARecord, {2, 0, 0x02A, 0, 0});
        (void)access->SetBlockRecord(0, 0x30, {1, 0, 0, 0, 0});  // "B", profile 0
        (void)access->SetBlockRecord(1, keys::GRecordIndex(1, 3), {5, 0x1303, 0, 0, 0});
        (void)access->SetBlockRecord(1, keys::GRecordIndex(0, 3), {1, 0x0303, 0, 0, 0});
    }
    SetBankB(true);
    assignments.RefreshAssignmentViews();
    ASSERT_EQ(view.keys.size(), kKeyButtonCount);
    ASSERT_EQ(view.gKeys.size(), kGButtonCount);
    EXPECT_EQ(view.keys[kAButton], (ButtonState{true, "AKeys, Set: Key(Shift)"}));
    EXPECT_EQ(view.keys[1], (ButtonState{false, "B"}));
    EXPECT_EQ(view.gKeys[2], (ButtonState{true, "G3Keys, Set: "}));
    EXPECT_EQ(view.gKeys[0], (ButtonState{false, "G1"}));
    EXPECT_EQ(view.redraws, 1);

    SetBankB(false);
    assignments.RefreshAssignmentViews();
    EXPECT_EQ(view.gKeys[2], (ButtonState{true, "G3Keys, Set: "}));
    EXPECT_EQ(view.gKeys[3], (ButtonState{false, "G4"}));
}

TEST_F(AssignmentsTest, NothingIsShownWithoutAProfile) {
    SetKeyboardProfile(3);
    assignments.RefreshAssignmentViews();
    keyboard.Unplug();
    assignments.RefreshAssignmentViews();
    assignments.ResetAllAssignments();
    EXPECT_TRUE(view.keys.empty());
    EXPECT_EQ(view.redraws, 0);
    EXPECT_EQ(view.applyEnabled, 0);
}

TEST_F(AssignmentsTest, ResetAllClearsOnlyTheShownRecords) {
    {
        auto access = store.Lock();
        (void)access->SetBlockRecord(0, kARecord, {2, 0, 0x02A, 0, 0});
        (void)access->SetBlockRecord(0, keys::GRecordIndex(0, 1), {4, 0x0301, 1, 0, 0});
        (void)access->SetBlockRecord(0, keys::GRecordIndex(1, 1), {4, 0x1301, 1, 0, 0});
        (void)access->SetBlockRecord(0, 0x54, {1, 0, 0, 0, 0});  // a key without a button
        (void)access->SetBlockRecord(1, kARecord, {1, 0, 0, 0, 0});
    }
    assignments.ResetAllAssignments();
    EXPECT_EQ(view.applyEnabled, 1);
    EXPECT_EQ(view.keys[kAButton], (ButtonState{false, "A"}));
    auto access = store.Lock();
    EXPECT_EQ(access->BlockRecord(0, kARecord), KeyRecord{});
    EXPECT_EQ(access->BlockRecord(0, keys::GRecordIndex(0, 1)), KeyRecord{});
    EXPECT_EQ(access->BlockRecord(0, keys::GRecordIndex(1, 1)).kind, 4);  // the other bank
    EXPECT_EQ(access->BlockRecord(0, 0x54).kind, 1);
    EXPECT_EQ(access->BlockRecord(1, kARecord).kind, 1);  // another profile
}

TEST_F(AssignmentsTest, ResetViewFindsTheButtonOfARecord) {
    assignments.ResetAssignmentView(kARecord);
    EXPECT_EQ(view.keys[kAButton], (ButtonState{false, "A"}));
    assignments.ResetAssignmentView(keys::GRecordIndex(1, 2));  // bank B while A is shown
    EXPECT_TRUE(view.gKeys.empty());
    SetBankB(true);
    assignments.ResetAssignmentView(keys::GRecordIndex(1, 2));
    EXPECT_EQ(view.gKeys[1], (ButtonState{false, "G2"}));
    assignments.ResetAssignmentView(600);
    assignments.ResetAssignmentView(0x54);
    EXPECT_EQ(view.keys.size(), 1u);

    // Store-wide record numbers: only the current profile's block is shown.
    view.keys.clear();
    assignments.ResetStoreRecordView(512 + kARecord);
    EXPECT_TRUE(view.keys.empty());
    SetKeyboardProfile(1);
    assignments.ResetStoreRecordView(512 + kARecord);
    EXPECT_EQ(view.keys.size(), 1u);
}

class MacroKeysConfirmTest : public ProfileOpsTest {
protected:
    void SetUp() override {
        ProfileOpsTest::SetUp();
        macro = MakeMacro(6, u"six", 2);
    }
    macros::MacroRecord macro;
};

TEST_F(MacroKeysConfirmTest, UnusedMacroGoesWithoutAQuestion) {
    (void)store.Lock()->SetBlockRecord(0, kARecord, {4, 1, 7, 0, 0});
    EXPECT_EQ(assignments.MacroKeysConfirm(macro), 1);
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(MacroKeysConfirmTest, MacroOnlyInTheEditorGoesWithoutAQuestion) {
    (void)store.Lock()->SetBlockRecord(0, kARecord, {4, 1, 6, 0, 0});
    macro.newMark = 1;
    EXPECT_EQ(assignments.MacroKeysConfirm(macro), 1);
    EXPECT_TRUE(prompter.questions.empty());
}

class MacroKeysConfirmWhere : public MacroKeysConfirmTest,
                              public ::testing::WithParamInterface<std::size_t> {};

TEST_P(MacroKeysConfirmWhere, AsksWhereverAKeyPlaysIt) {
    // The current profile is 1; keys of every block count, G1 of bank A too.
    SetKeyboardProfile(1);
    (void)store.Lock()->SetRecord(GetParam(), {4, 1, 6, 0, 0});
    prompter.decide = [](TextId) { return false; };
    EXPECT_EQ(assignments.MacroKeysConfirm(macro), 0);
    prompter.decide = [](TextId) { return true; };
    EXPECT_EQ(assignments.MacroKeysConfirm(macro), 1);
    EXPECT_EQ(prompter.questions, (std::vector<TextId>{TextId::MACRO_DELETE_CONFIRM_OF_KEYS,
                                                       TextId::MACRO_DELETE_CONFIRM_OF_KEYS}));
}

INSTANTIATE_TEST_SUITE_P(Records, MacroKeysConfirmWhere,
                         ::testing::Values(kARecord, 512 + 256, 512 + kARecord, 1024 + 3, 2047));

}  // namespace
}  // namespace qf::profiles::testing
