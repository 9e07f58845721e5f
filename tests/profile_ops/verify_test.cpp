// The read-back check of what a download writes: a keyboard that holds what the store would
// write passes; a byte changed behind the program's back is found where it is, in the macro
// memory and in a keymap; a read that fails is reported as such, never as a match.
#include <gtest/gtest.h>

#include "profile_ops_fixture.h"
#include "profiles/download.h"

namespace qf::profiles::testing {
namespace {

// Esc (scan 0x01): record 1 of a key block.
constexpr std::size_t kEscRecord = 1;

class VerifyTest : public ProfileOpsTest {
protected:
    // The store with a remapped Esc in profile 1 and one macro, written to the keyboard.
    void ApplyOneChange() {
        NoteKeyboardArrival();
        ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
        store.Lock()->macros = {MakeMacro(1, u"burst", 4)};
        ASSERT_TRUE(store.Lock()->SetBlockRecord(1, kEscRecord, {4, 1, 1, 0, 0}));
        ASSERT_EQ(transfers.ApplyStoreToKeyboard(true), 1);
    }
    int Verify(bool all, VerifyReport& report) {
        const DownloadDependencies deps{link.commands(), defaultKeymap, state, prompter, language};
        auto access = store.Lock();
        return VerifyKeyboardHolds(*access, all, deps, report);
    }
};

TEST_F(VerifyTest, AKeyboardThatHoldsTheStorePasses) {
    ApplyOneChange();
    VerifyReport report;
    EXPECT_EQ(Verify(true, report), 1);
    EXPECT_TRUE(report.same);
    EXPECT_EQ(Verify(false, report), 1);  // the active profile only
}

TEST_F(VerifyTest, AChangedByteIsFoundWhereItIs) {
    ApplyOneChange();
    // A byte of profile 1's keymap block, then one of the macro memory.
    const keys::KeymapImage keymap = KeyboardKeymap(1);
    const std::array<std::uint8_t, 1> other{static_cast<std::uint8_t>(keymap[40] ^ 0x5A)};
    keyboard.SetMemory(vkbd::Area::KeymapBlocks, device::kKeymapBlockSize + 40, other);
    VerifyReport report;
    EXPECT_EQ(Verify(true, report), 0);
    EXPECT_FALSE(report.same);
    EXPECT_EQ(report.where, "the keymap of profile 1");
    EXPECT_EQ(report.offset, 40u);
    EXPECT_EQ(report.expected, keymap[40]);
    EXPECT_EQ(report.found, other[0]);
    // Only profile 0 is active: its keymap and the macros match.
    EXPECT_EQ(Verify(false, report), 1);

    const std::array<std::uint8_t, 1> garbage{0xEE};
    keyboard.SetMemory(vkbd::Area::MacroMemory, 20, garbage);
    EXPECT_EQ(Verify(false, report), 0);
    EXPECT_EQ(report.where, "the macro memory");
    EXPECT_EQ(report.offset, 20u);
}

TEST_F(VerifyTest, AReadThatFailsIsNoMatch) {
    ApplyOneChange();
    keyboard.InjectStatus(0xFF, 100);
    VerifyReport report;
    EXPECT_EQ(Verify(true, report), 0);
    EXPECT_FALSE(report.same);
    EXPECT_NE(report.deviceResult, qf::device::DeviceResult::Ok);
    EXPECT_EQ(report.where, "reading the device info");
}

}  // namespace
}  // namespace qf::profiles::testing
