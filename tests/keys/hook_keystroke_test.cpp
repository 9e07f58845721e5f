// The evdev translation: evdev codes (numbers from <linux/input-event-codes.h>, written out)
// must reach the key code conversions as the Windows hooks would have delivered them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "keys/hook_keystroke.h"
#include "keys/key_codes.h"

namespace qf::keys::test {
namespace {

constexpr std::uint32_t kScanByteMask = 0x00FF0000;

std::uint32_t ScanByte(std::uint32_t word) {
    return (word & kScanByteMask) >> 16;
}
bool Extended(std::uint32_t word) {
    return (word & (1u << 24)) != 0;
}
bool WasDown(std::uint32_t word) {
    return (word & (1u << 30)) != 0;
}
bool Released(std::uint32_t word) {
    return (word & (1u << 31)) != 0;
}

struct EvdevCase {
    std::uint16_t evdev;
    ScanCode scan;
    std::uint8_t vk;    // thread hook
    std::uint8_t llVk;  // low-level hook
    const char* name;
};

class EvdevKeyTest : public ::testing::TestWithParam<EvdevCase> {};

TEST_P(EvdevKeyTest, PressRepeatReleaseAsTheHooksReportThem) {
    const EvdevCase& c = GetParam();
    SCOPED_TRACE(c.name);

    // Print Screen reaches the thread hook only on release; check that case on its own.
    const bool releaseOnly = c.scan == 0x137;
    const auto press = TranslateEvdev(c.evdev, true, false);
    if (releaseOnly) {
        EXPECT_FALSE(press.has_value());
    } else {
        ASSERT_TRUE(press.has_value());
        EXPECT_EQ(press->vk, c.vk);
        EXPECT_EQ(press->word & 0xFFFF, 1u);  // repeat count
        EXPECT_EQ(ScanByte(press->word), c.scan & 0xFFu);
        EXPECT_EQ(Extended(press->word), (c.scan & 0x100) != 0);
        EXPECT_FALSE(WasDown(press->word));
        EXPECT_FALSE(Released(press->word));
        EXPECT_EQ(VkToScan(press->vk, press->word), c.scan);

        const auto repeat = TranslateEvdev(c.evdev, true, true);
        ASSERT_TRUE(repeat.has_value());
        EXPECT_TRUE(WasDown(repeat->word));
        EXPECT_FALSE(Released(repeat->word));
        EXPECT_EQ(VkToScan(repeat->vk, repeat->word), c.scan);
    }

    const auto release = TranslateEvdev(c.evdev, false, false);
    ASSERT_TRUE(release.has_value());
    EXPECT_EQ(release->vk, c.vk);
    EXPECT_TRUE(WasDown(release->word));
    EXPECT_TRUE(Released(release->word));
    EXPECT_EQ(VkToScan(release->vk, release->word), c.scan);

    const auto down = TranslateEvdevLowLevel(c.evdev, true);
    const auto up = TranslateEvdevLowLevel(c.evdev, false);
    ASSERT_TRUE(down.has_value());
    ASSERT_TRUE(up.has_value());
    EXPECT_EQ(down->message, 0x0100u);  // WM_KEYDOWN
    EXPECT_EQ(up->message, 0x0101u);    // WM_KEYUP
    EXPECT_EQ(down->vkCode, c.llVk);
    EXPECT_EQ(down->scanCode, c.scan & 0xFFu);
    EXPECT_EQ(down->flags, (c.scan & 0x100) != 0 ? 0x01u : 0x00u);
    EXPECT_EQ(up->flags, down->flags | 0x80u);  // LLKHF_UP
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EvdevKeyTest,
    ::testing::Values(
        EvdevCase{30, 0x01E, 0x41, 0x41, "KEY_A"}, EvdevCase{1, 0x001, 0x1B, 0x1B, "KEY_ESC"},
        EvdevCase{28, 0x01C, 0x0D, 0x0D, "KEY_ENTER"},
        EvdevCase{96, 0x11C, 0x0D, 0x0D, "KEY_KPENTER"},
        EvdevCase{98, 0x135, 0x6F, 0x6F, "KEY_KPSLASH"},
        EvdevCase{55, 0x037, 0x6A, 0x6A, "KEY_KPASTERISK"},
        EvdevCase{71, 0x047, 0x67, 0x67, "KEY_KP7"}, EvdevCase{82, 0x052, 0x60, 0x60, "KEY_KP0"},
        EvdevCase{29, 0x01D, 0x11, 0xA2, "KEY_LEFTCTRL"},
        EvdevCase{97, 0x11D, 0x11, 0xA3, "KEY_RIGHTCTRL"},
        EvdevCase{42, 0x02A, 0x10, 0xA0, "KEY_LEFTSHIFT"},
        EvdevCase{54, 0x036, 0x10, 0xA1, "KEY_RIGHTSHIFT"},
        EvdevCase{56, 0x038, 0x12, 0xA4, "KEY_LEFTALT"},
        EvdevCase{100, 0x138, 0x12, 0xA5, "KEY_RIGHTALT"},
        EvdevCase{125, 0x15B, 0x5B, 0x5B, "KEY_LEFTMETA"},
        EvdevCase{126, 0x15C, 0x5C, 0x5C, "KEY_RIGHTMETA"},
        EvdevCase{127, 0x15D, 0x5D, 0x5D, "KEY_COMPOSE"},
        EvdevCase{99, 0x137, 0x2C, 0x2C, "KEY_SYSRQ"},
        EvdevCase{119, 0x045, 0x13, 0x13, "KEY_PAUSE"},
        EvdevCase{69, 0x145, 0x90, 0x90, "KEY_NUMLOCK"},
        EvdevCase{70, 0x046, 0x91, 0x91, "KEY_SCROLLLOCK"},
        EvdevCase{110, 0x152, 0x2D, 0x2D, "KEY_INSERT"},
        EvdevCase{111, 0x153, 0x2E, 0x2E, "KEY_DELETE"},
        EvdevCase{102, 0x147, 0x24, 0x24, "KEY_HOME"}, EvdevCase{107, 0x14F, 0x23, 0x23, "KEY_END"},
        EvdevCase{104, 0x149, 0x21, 0x21, "KEY_PAGEUP"},
        EvdevCase{109, 0x151, 0x22, 0x22, "KEY_PAGEDOWN"},
        EvdevCase{103, 0x148, 0x26, 0x26, "KEY_UP"}, EvdevCase{108, 0x150, 0x28, 0x28, "KEY_DOWN"},
        EvdevCase{105, 0x14B, 0x25, 0x25, "KEY_LEFT"},
        EvdevCase{106, 0x14D, 0x27, 0x27, "KEY_RIGHT"},
        EvdevCase{86, 0x056, 0xE2, 0xE2, "KEY_102ND"}, EvdevCase{87, 0x057, 0x7A, 0x7A, "KEY_F11"},
        EvdevCase{115, 0x130, 0xAF, 0xAF, "KEY_VOLUMEUP"},
        EvdevCase{113, 0x120, 0xAD, 0xAD, "KEY_MUTE"},
        EvdevCase{164, 0x122, 0xB3, 0xB3, "KEY_PLAYPAUSE"},
        EvdevCase{140, 0x121, 0xB7, 0xB7, "KEY_CALC"},
        EvdevCase{172, 0x132, 0xAC, 0xAC, "KEY_HOMEPAGE"},
        EvdevCase{171, 0x16D, 0xB5, 0xB5, "KEY_CONFIG"}),
    [](const ::testing::TestParamInfo<EvdevCase>& info) { return std::string(info.param.name); });

// The main block's evdev codes are its set-1 make codes; Num Lock is the one key the hooks
// report with the extended bit.
TEST(EvdevTableTest, MainBlockCodesAreSetOneCodes) {
    for (const EvdevKey& key : EvdevKeys()) {
        if (key.evdev >= 1 && key.evdev <= 88 && key.evdev != 69) {
            EXPECT_EQ(key.scan, key.evdev) << key.evdev;
        }
    }
    EXPECT_EQ(FindEvdevKey(69)->scan, 0x145);
}

TEST(EvdevTableTest, EachEvdevCodeOnce) {
    std::set<std::uint16_t> seen;
    for (const EvdevKey& key : EvdevKeys()) {
        EXPECT_TRUE(seen.insert(key.evdev).second) << key.evdev;
    }
}

// Every key of the keyboard view and every media key can be typed, and arrives through the
// system's own conversion as itself.
TEST(EvdevTableTest, KeyboardViewAndMediaKeysAreReachable) {
    std::set<ScanCode> reached;
    for (const EvdevKey& key : EvdevKeys()) {
        const auto release = TranslateEvdev(key.evdev, false, false);
        ASSERT_TRUE(release.has_value());
        const ScanCode scan = VkToScan(release->vk, release->word);
        EXPECT_EQ(scan, key.scan) << key.evdev;
        reached.insert(scan);
    }
    for (const ScanCode scan : kSingleKeyList) {
        EXPECT_EQ(reached.count(scan), 1u) << std::hex << scan;
    }
    for (const ScanCode scan : kMediaKeyList) {
        EXPECT_EQ(reached.count(scan), 1u) << std::hex << scan;
    }
}

TEST(EvdevStateTest, NumLockOffGivesNavigationVirtualKeysAndKeepsTheKeypadScan) {
    const HookKeyState numOff{false, false, false};
    const auto kp7 = TranslateEvdev(71, true, false, numOff);
    ASSERT_TRUE(kp7.has_value());
    EXPECT_EQ(kp7->vk, 0x24);  // VK_HOME
    EXPECT_FALSE(Extended(kp7->word));
    EXPECT_EQ(VkToScan(kp7->vk, kp7->word), 0x047);
    const auto kpDot = TranslateEvdev(83, true, false, numOff);
    ASSERT_TRUE(kpDot.has_value());
    EXPECT_EQ(kpDot->vk, 0x2E);  // VK_DELETE
    EXPECT_EQ(VkToScan(kpDot->vk, kpDot->word), 0x053);
    // The real Home key stays Home.
    const auto home = TranslateEvdev(102, true, false, numOff);
    EXPECT_EQ(VkToScan(home->vk, home->word), 0x147);
}

TEST(EvdevStateTest, CtrlPauseIsBreak) {
    const auto brk = TranslateEvdev(119, true, false, {true, true, false});
    ASSERT_TRUE(brk.has_value());
    EXPECT_EQ(brk->vk, 0x03);
    EXPECT_TRUE(Extended(brk->word));
    EXPECT_EQ(VkToScan(brk->vk, brk->word), 0x146);
}

TEST(EvdevStateTest, AltPrintScreenIsSysReqAndAltIsFlagged) {
    const HookKeyState alt{true, false, true};
    EXPECT_FALSE(TranslateEvdev(99, true, false, alt).has_value());
    const auto up = TranslateEvdev(99, false, false, alt);
    ASSERT_TRUE(up.has_value());
    EXPECT_EQ(VkToScan(up->vk, up->word), 0x054);
    EXPECT_NE(up->word & (1u << 29), 0u);

    const auto ll = TranslateEvdevLowLevel(30, true, alt);
    ASSERT_TRUE(ll.has_value());
    EXPECT_EQ(ll->message, 0x0104u);  // WM_SYSKEYDOWN
    EXPECT_EQ(ll->flags & 0x20u, 0x20u);
    EXPECT_TRUE(ll->keyDown());
    EXPECT_EQ(TranslateEvdevLowLevel(30, false, alt)->message, 0x0105u);
}

// The recorder tells an auto-repeat by bit 31 clear and bit 30 set; a release is never one.
TEST(EvdevStateTest, RecorderSeesRepeatsAndReleasesApart) {
    const auto repeat = *TranslateEvdev(30, true, true);
    const auto release = *TranslateEvdev(30, false, true);
    EXPECT_TRUE(repeat.autoRepeat());
    EXPECT_FALSE(repeat.released());
    EXPECT_FALSE(release.autoRepeat());
    EXPECT_TRUE(release.released());
}

// The low-level hook has no repeat flag: holding the Windows key gives key downs again.
TEST(EvdevStateTest, LowLevelRepeatIsAnotherKeyDown) {
    const auto first = TranslateEvdevLowLevel(125, true);
    const auto again = TranslateEvdevLowLevel(125, true);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->vkCode, 0x5Bu);
    EXPECT_EQ(first->scanCode, 0x5Bu);
    EXPECT_EQ(first->flags, 0x01u);
}

TEST(EvdevInputTest, UnknownCodesAndNativeKeycodes) {
    EXPECT_FALSE(TranslateEvdev(0, true, false).has_value());
    EXPECT_FALSE(TranslateEvdev(0x2FF, true, false).has_value());
    EXPECT_FALSE(TranslateEvdev(0xFFFF, false, false).has_value());
    EXPECT_FALSE(TranslateEvdevLowLevel(0x1FF, true).has_value());
    EXPECT_EQ(FindEvdevKey(0), nullptr);

    EXPECT_EQ(EvdevFromNativeKeycode(38), 30);  // X11 keycode of "a"
    EXPECT_EQ(EvdevFromNativeKeycode(8), 0);
    EXPECT_FALSE(EvdevFromNativeKeycode(7).has_value());
    EXPECT_FALSE(EvdevFromNativeKeycode(0).has_value());
    EXPECT_FALSE(EvdevFromNativeKeycode(0xFFFFFFFF).has_value());
}

}  // namespace
}  // namespace qf::keys::test
