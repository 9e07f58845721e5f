// Key capture's decisions on keystrokes, in the hooks' forms and from evdev events.
#include "presenters/key_capture.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "keys/key_codes.h"

namespace qf::presenters {
namespace {

using keys::HookKeyState;

constexpr CaptureResult kPass{};
constexpr CaptureResult kSwallowed{true, std::nullopt};
constexpr CaptureResult Taken(keys::ScanCode scan) {
    return {true, scan};
}

std::uint32_t Word(keys::ScanCode scan, bool released, bool repeat) {
    std::uint32_t word = 1u | keys::KeystrokeScanBits(scan);
    if (released) {
        word |= keys::kKeystrokeWasDownBit | keys::kKeystrokeReleaseBit;
    } else if (repeat) {
        word |= keys::kKeystrokeWasDownBit;
    }
    return word;
}

TEST(KeyCapture, PressesAreTakenReleasesAndRepeatsSwallowed) {
    EXPECT_EQ(CaptureEvdevKey(KEY_Q, true, false), Taken(0x010));
    EXPECT_EQ(CaptureEvdevKey(KEY_Q, true, true), kSwallowed);
    EXPECT_EQ(CaptureEvdevKey(KEY_Q, false, false), kSwallowed);
    EXPECT_EQ(CaptureEvdevKey(KEY_RIGHTCTRL, true, false), Taken(0x11D));
    EXPECT_EQ(CaptureEvdevKey(KEY_KP7, true, false, HookKeyState{false, false, false}),
              Taken(0x047));
    // Ctrl + Pause is Break.
    EXPECT_EQ(CaptureEvdevKey(KEY_PAUSE, true, false, HookKeyState{true, true, false}),
              Taken(0x146));
}

TEST(KeyCapture, MediaKeysAndUnknownKeysPassOn) {
    for (const std::uint16_t media : {KEY_VOLUMEUP, KEY_MUTE, KEY_PLAYPAUSE, KEY_CALC}) {
        SCOPED_TRACE(media);
        EXPECT_EQ(CaptureEvdevKey(media, true, false), kPass);
        EXPECT_EQ(CaptureEvdevKey(media, false, false), kPass);
    }
    EXPECT_EQ(CaptureEvdevKey(KEY_PROG1, true, false), kPass);
    EXPECT_EQ(CaptureThreadKeystroke(0xFF, 0), kPass);
}

TEST(KeyCapture, PrintScreenIsTakenOnItsRelease) {
    // The press never arrives as a keystroke.
    EXPECT_EQ(CaptureEvdevKey(KEY_SYSRQ, true, false), kPass);
    EXPECT_EQ(CaptureEvdevKey(KEY_SYSRQ, false, false), Taken(0x137));
    EXPECT_EQ(CaptureThreadKeystroke(0x2C, Word(0x137, false, true)), Taken(0x137));
    // With Alt it is Sys Req, whose release is an ordinary release.
    EXPECT_EQ(CaptureEvdevKey(KEY_SYSRQ, false, false, HookKeyState{true, false, true}),
              kSwallowed);
}

TEST(KeyCapture, WindowsAndApplicationKeysAreTakenOnEveryMessage) {
    EXPECT_EQ(CaptureEvdevKey(KEY_LEFTMETA, true, false), Taken(0x15B));
    EXPECT_EQ(CaptureEvdevKey(KEY_LEFTMETA, true, true), Taken(0x15B));
    EXPECT_EQ(CaptureEvdevKey(KEY_LEFTMETA, false, false), Taken(0x15B));
    EXPECT_EQ(CaptureEvdevKey(KEY_RIGHTMETA, false, false), Taken(0x15C));
    EXPECT_EQ(CaptureEvdevKey(KEY_COMPOSE, true, false), Taken(0x15D));
    // System messages (Alt held) too.
    EXPECT_EQ(CaptureLowLevelKey({keys::kWmSysKeyUp, keys::kVkRightWin, 0x5C, 0x81}), Taken(0x15C));
    EXPECT_EQ(CaptureLowLevelKey({0x0200, keys::kVkLeftWin, 0x5B, 0}), kPass);
    EXPECT_EQ(CaptureLowLevelKey({keys::kWmKeyDown, 'A', 0x1E, 0}), kPass);
}

}  // namespace
}  // namespace qf::presenters
