// The hook owner's states: key capture and recording share one hold on the keyboard, and every
// way out lets it go.
#include "presenters/hook_owner.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <optional>
#include <vector>

#include "presenters/editor_action_list.h"
#include "presenters/editor_support.h"

namespace qf::presenters {
namespace {

using testing::FakeGrab;
using testing::NativeKey;

struct Sink final : KeyCaptureSink {
    void OnKeyCaptured(keys::ScanCode scan) override { captured.push_back(scan); }
    std::vector<keys::ScanCode> captured;
};

class HookOwnerTest : public testing::KeyboardRig {
protected:
    Sink sink;
    EditorActionList list;
};

TEST_F(HookOwnerTest, CaptureAndRecordingShareOneHold) {
    ASSERT_TRUE(hooks.StartCapture(sink));
    EXPECT_EQ(hooks.mode(), HookMode::Capture);
    EXPECT_TRUE(grab.held);

    ASSERT_EQ(hooks.StartRecording(list), macros::RecordResult::Started);
    EXPECT_EQ(hooks.mode(), HookMode::Recording);
    EXPECT_TRUE(hooks.IsRecordingInto(list));
    EXPECT_EQ(grab.takes, 1);  // kept across the change
    EXPECT_EQ(grab.releases, 0);

    ASSERT_TRUE(hooks.StartCapture(sink));  // ends the recording
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(hooks.mode(), HookMode::Capture);
    EXPECT_TRUE(grab.held);

    hooks.StopCapture();
    EXPECT_EQ(hooks.mode(), HookMode::Off);
    EXPECT_FALSE(grab.held);
    EXPECT_EQ(grab.takes, grab.releases);
}

TEST_F(HookOwnerTest, EventsGoWhereTheModeSays) {
    EXPECT_FALSE(hooks.OnKeyEvent(NativeKey(KEY_A, true)));  // nothing runs: pass on

    ASSERT_TRUE(hooks.StartCapture(sink));
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_A, true)));
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_A, false)));
    EXPECT_EQ(sink.captured, std::vector<keys::ScanCode>{0x01E});
    // Native codes below 8 are no evdev key.
    EXPECT_FALSE(hooks.OnKeyEvent({3, 0, true, false}));

    ASSERT_EQ(hooks.StartRecording(list), macros::RecordResult::Started);
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_A, true)));
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_A, false, true)));  // auto-repeat release
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_A, true, true)));
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_A, false)));
    EXPECT_EQ(list.ActionCount(), 2u);
    EXPECT_EQ(sink.captured.size(), 1u);

    hooks.StopRecording(list);
    EXPECT_FALSE(hooks.OnKeyEvent(NativeKey(KEY_A, true)));
    EXPECT_FALSE(grab.held);
}

TEST_F(HookOwnerTest, ModifiersComeFromTheX11State) {
    const auto none = HookKeyStateFromX11(0);
    EXPECT_FALSE(none.numLock);
    EXPECT_FALSE(none.ctrl);
    EXPECT_FALSE(none.alt);
    const auto all = HookKeyStateFromX11(kX11ControlMask | kX11Mod1Mask | kX11Mod2Mask | 1u);
    EXPECT_TRUE(all.numLock);
    EXPECT_TRUE(all.ctrl);
    EXPECT_TRUE(all.alt);

    // Num Lock off: the keypad's 7 is Home, its scan code unchanged.
    ASSERT_TRUE(hooks.StartCapture(sink));
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_KP7, true, false, 0)));
    // Ctrl + Pause is Break.
    EXPECT_TRUE(hooks.OnKeyEvent(NativeKey(KEY_PAUSE, true, false, kX11ControlMask)));
    EXPECT_EQ(sink.captured, (std::vector<keys::ScanCode>{0x047, 0x146}));
}

TEST_F(HookOwnerTest, AHoldThatCannotBeTakenLeavesEverythingOff) {
    grab.works = false;
    EXPECT_FALSE(hooks.StartCapture(sink));
    EXPECT_EQ(hooks.mode(), HookMode::Off);
    EXPECT_FALSE(hooks.OnKeyEvent(NativeKey(KEY_A, true)));

    // The recorder keeps its recording state until it is stopped; the owner knows it.
    EXPECT_EQ(hooks.StartRecording(list), macros::RecordResult::HooksFailed);
    EXPECT_TRUE(hooks.IsRecordingInto(list));
    EXPECT_EQ(hooks.mode(), HookMode::Off);
    hooks.StopRecording(list);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(grab.releases, 0);
}

TEST_F(HookOwnerTest, StopAllEndsWhateverRuns) {
    ASSERT_EQ(hooks.StartRecording(list), macros::RecordResult::Started);
    hooks.StopAll();
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_FALSE(hooks.IsRecordingInto(list));
    EXPECT_EQ(hooks.mode(), HookMode::Off);
    EXPECT_FALSE(grab.held);

    ASSERT_TRUE(hooks.StartCapture(sink));
    hooks.StopAll();
    EXPECT_FALSE(grab.held);
    hooks.StopAll();  // nothing running: nothing to do
    EXPECT_EQ(grab.takes, grab.releases);
}

TEST_F(HookOwnerTest, AGrabRefusalIsNotedOnce) {
    EXPECT_TRUE(hooks.NoteGrabRefused());
    EXPECT_FALSE(hooks.NoteGrabRefused());
}

TEST(HookOwnerWithoutRecorder, RecordingIsRefused) {
    FakeGrab grab;
    HookOwner hooks(grab);
    EditorActionList list;
    EXPECT_EQ(hooks.StartRecording(list), macros::RecordResult::Busy);
    EXPECT_EQ(grab.takes, 0);
}

}  // namespace
}  // namespace qf::presenters
