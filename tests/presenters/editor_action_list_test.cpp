// The editor's action list as the recorder and the editor change it.
#include "presenters/editor_action_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace qf::presenters {
namespace {

using macros::MacroAction;

class EditorActionListTest : public ::testing::Test {
protected:
    EditorActionListTest() {
        list.SetListener([this](const ActionListChange& change) { changes.push_back(change); });
    }
    int Edits() const {
        int edits = 0;
        for (const auto& change : changes) {
            edits += change.edit ? 1 : 0;
        }
        return edits;
    }

    EditorActionList list;
    std::vector<ActionListChange> changes;
};

TEST_F(EditorActionListTest, LoadingIsNoEditAndKeepsAtMost2000Actions) {
    std::vector<MacroAction> many(macros::kMaxMacroActions + 5, MacroAction{10, 0x01E, 0});
    list.Load(many);
    EXPECT_EQ(list.ActionCount(), macros::kMaxMacroActions);
    EXPECT_EQ(list.SelectedAction(), std::nullopt);
    EXPECT_EQ(Edits(), 0);

    // A full list takes no more recorded actions.
    list.InsertAction(0, {0, 0x030, 0});
    EXPECT_EQ(list.ActionCount(), macros::kMaxMacroActions);
    EXPECT_EQ(list.at(0).scan, 0x01E);
    EXPECT_FALSE(macros::InsertRecordedAction(list, 0x030, 0, 50));
    EXPECT_EQ(Edits(), 0);
}

TEST_F(EditorActionListTest, RemovingKeepsASelectionWhileThereAreActions) {
    list.Load(std::vector<MacroAction>{{10, 0x010, 0}, {20, 0x011, 0}});
    EXPECT_FALSE(list.RemoveSelected());
    list.Select(1);
    EXPECT_TRUE(list.RemoveSelected());
    EXPECT_EQ(list.SelectedAction(), 0u);
    EXPECT_TRUE(list.RemoveSelected());
    EXPECT_EQ(list.SelectedAction(), std::nullopt);
    EXPECT_FALSE(list.RemoveAll());
    list.Select(4);  // outside the list: no selection
    EXPECT_EQ(list.SelectedAction(), std::nullopt);
    EXPECT_FALSE(list.SetDelay(0, 5));
}

}  // namespace
}  // namespace qf::presenters
