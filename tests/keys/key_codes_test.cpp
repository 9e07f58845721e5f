// Conversions between scan codes, key indexes, device usages, device key references and the
// keystrokes of the keyboard hooks: edges, search order and round trips.
#include <gtest/gtest.h>

#include "allocation_counter.h"
#include "keys/key_codes.h"

namespace qf::keys::test {
namespace {

// --- key index ------------------------------------------------------------------------------

TEST(KeyIndexTest, ExtendedCodesFoldIntoTheUpperHalf) {
    EXPECT_EQ(ScanToKeyIndex(0x145), 197u);
    EXPECT_EQ(KeyRowAt(197).name, "Num Lock");
    EXPECT_EQ(ScanToKeyIndex(0x045), 69u);
    EXPECT_EQ(KeyRowAt(69).name, "Pause");
    EXPECT_EQ(KeyIndexToScan(200), 0x148);
    EXPECT_EQ(KeyIndexToScan(127), 0x07F);
    EXPECT_EQ(KeyIndexToScan(128), 0x100);
    EXPECT_EQ(ScanToKeyIndex(0x11C), 0x9Cu);
}

TEST(KeyIndexTest, EveryIndexRoundTrips) {
    for (unsigned i = 0; i < kKeyTableSize; ++i) {
        EXPECT_EQ(ScanToKeyIndex(KeyIndexToScan(i)), i);
    }
    // Scan codes whose low byte is below 0x80 are the codes that have a row of their own.
    for (unsigned scan = 0; scan < 0x200; ++scan) {
        if ((scan & 0xFF) < 0x80) {
            EXPECT_EQ(KeyIndexToScan(ScanToKeyIndex(static_cast<ScanCode>(scan))), scan);
        }
    }
}

TEST(KeyIndexTest, CodesFrom0x200HaveNoRow) {
    for (const ScanCode scan :
         {ScanCode{0x200}, ScanCode{0x211}, ScanCode{0x2FE}, ScanCode{0xFFFF}}) {
        EXPECT_GE(ScanToKeyIndex(scan), kKeyTableSize);
        EXPECT_TRUE(KeyRowOf(scan).empty());
        EXPECT_EQ(ScanToActionKeyCode(scan), kNoActionKeyCode);
        EXPECT_EQ(ScanToDeviceUsage(scan), DeviceUsage{});
        EXPECT_EQ(ScanToDeviceKeyRef(scan), DeviceKeyRef{});
    }
    EXPECT_EQ(KeyIndexToScan(256), 0);
    EXPECT_TRUE(KeyRowAt(1000).empty());
}

// --- device usages --------------------------------------------------------------------------

TEST(DeviceUsageTest, SearchFindsTheFirstRow) {
    EXPECT_EQ(DeviceUsageToScan(kPageKeyboard, 0xE5), 0x036);  // never 0x136
    EXPECT_EQ(DeviceUsageToScan(kPageKeyboard, 0x48), 0x045);  // "Pause", not "Break"
    EXPECT_EQ(ScanToDeviceUsage(0x146), (DeviceUsage{kPageKeyboard, 0x48}));
}

TEST(DeviceUsageTest, ConsumerAndSystemPages) {
    EXPECT_EQ(DeviceUsageToScan(kPageConsumer, 0x00CD), 0x122);
    EXPECT_EQ(DeviceUsageToScan(kPageConsumer, 0x0100), 0);
    EXPECT_EQ(DeviceUsageToScan(kPageSystemControl, 0x82), 0x15F);
    EXPECT_EQ(DeviceUsageToScan(kPageSystemControl, 0x84), 0);
    EXPECT_EQ(DeviceUsageToScan(kPageSystemControl, 0x04), 0);
    // The keyboard page search reads the device-code column as it stands.
    EXPECT_EQ(DeviceUsageToScan(kPageKeyboard, 0x81), 0x15E);
    // Consumer entries from 0xD2 up are unused: their keys report usage 0 on page 12.
    EXPECT_EQ(ScanToDeviceUsage(0x174), (DeviceUsage{kPageConsumer, 0}));
}

TEST(DeviceUsageTest, NoneAndOutOfRange) {
    EXPECT_EQ(DeviceUsageToScan(kPageNone, 0x04), 0);
    EXPECT_EQ(DeviceUsageToScan(3, 0x04), 0);
    EXPECT_EQ(DeviceUsageToScan(kPageKeyboard, 0), 0);
    EXPECT_EQ(DeviceUsageToScan(kPageKeyboard, 0xFF), 0);
    // A keyboard usage wider than a byte must not alias the key of its low byte (0x04, "A").
    EXPECT_EQ(DeviceUsageToScan(kPageKeyboard, 0x104), 0);
    EXPECT_EQ(ScanToDeviceUsage(0x054), DeviceUsage{});  // "Sys Req" has no device code
    EXPECT_EQ(ScanToDeviceUsage(0), DeviceUsage{});
}

// --- modifier byte and device key references ------------------------------------------------

TEST(ModifierBitsTest, LowestSetBitWins) {
    EXPECT_EQ(ModifierBitsToScan(0), 0);
    EXPECT_EQ(ModifierBitsToScan(0x06), 0x02A);
    EXPECT_EQ(ModifierBitsToScan(0xFF), 0x01D);
    EXPECT_EQ(ModifierBitsToScan(0x80), 0x15C);
    EXPECT_EQ(ScanToModifierBit(0x136), 0);  // the second "Right Shift" row is no modifier
    EXPECT_EQ(ScanToModifierBit(0x01E), 0);
}

struct RefCase {
    DeviceKeyRef ref;
    ScanCode scan;
};

class DeviceKeyRefToScanTest : public ::testing::TestWithParam<RefCase> {};

TEST_P(DeviceKeyRefToScanTest, Decodes) {
    EXPECT_EQ(DeviceKeyRefToScan(GetParam().ref), GetParam().scan);
}

INSTANTIATE_TEST_SUITE_P(
    Refs, DeviceKeyRefToScanTest,
    ::testing::Values(
        RefCase{{2, 1, 0x06}, 0x02A}, RefCase{{2, 1, 0x40}, 0x138}, RefCase{{2, 1, 0x00}, 0},
        RefCase{{2, 2, 0x04}, 0x01E}, RefCase{{2, 2, 0x29}, 0x001}, RefCase{{2, 2, 0xE5}, 0x036},
        RefCase{{2, 2, 0x00}, 0}, RefCase{{3, 0xCD, 0x00}, 0x122}, RefCase{{3, 0x23, 0x02}, 0x132},
        RefCase{{3, 0x00, 0x01}, 0}, RefCase{{4, 0x81, 0x00}, 0x15E}, RefCase{{4, 0x81, 0x01}, 0},
        RefCase{{6, 0xA2, 1}, 0x200}, RefCase{{6, 0xA2, 18}, 0x211}, RefCase{{6, 0xA3, 1}, 0},
        RefCase{{5, 1, 0}, 0}, RefCase{{0, 0, 0}, 0}, RefCase{{0xFF, 2, 4}, 0}));

TEST(DeviceKeyRefTest, ScanToRef) {
    EXPECT_EQ(ScanToDeviceKeyRef(0x138), (DeviceKeyRef{2, 1, 0x40}));
    EXPECT_EQ(ScanToDeviceKeyRef(0x036), (DeviceKeyRef{2, 1, 0x20}));
    EXPECT_EQ(ScanToDeviceKeyRef(0x01E), (DeviceKeyRef{2, 2, 0x04}));
    EXPECT_EQ(ScanToDeviceKeyRef(0x174), (DeviceKeyRef{3, 0, 0}));  // "Zoom-"
    EXPECT_EQ(ScanToDeviceKeyRef(0x171), (DeviceKeyRef{0, 0, 0}));  // "Left Button"
    EXPECT_EQ(ScanToDeviceKeyRef(0x16C), (DeviceKeyRef{3, 0x8A, 0x01}));
    EXPECT_EQ(ScanToDeviceKeyRef(0x163), (DeviceKeyRef{4, 0x83, 0x00}));
}

TEST(DeviceKeyRefTest, KeyboardViewAndMediaKeysRoundTrip) {
    for (const ScanCode scan : kSingleKeyList) {
        EXPECT_EQ(DeviceKeyRefToScan(ScanToDeviceKeyRef(scan)), scan) << std::hex << scan;
    }
    for (const ScanCode scan : kMediaKeyList) {
        EXPECT_EQ(DeviceKeyRefToScan(ScanToDeviceKeyRef(scan)), scan) << std::hex << scan;
    }
}

// --- VkToScan -------------------------------------------------------------------------------

// Word of a key press as a hook reports it: repeat count 1, scan byte, extended bit.
std::uint32_t Word(ScanCode scan) {
    return 1u | KeystrokeScanBits(scan);
}

TEST(VkToScanTest, KeyboardViewKeysRoundTripThroughTheirVirtualKeys) {
    for (const ScanCode scan : kSingleKeyList) {
        const KeyRow& row = KeyRowOf(scan);
        EXPECT_EQ(VkToScan(row.vk, Word(scan)), scan) << std::hex << scan;
        EXPECT_EQ(VkToScan(row.vk, Word(scan) | kKeystrokeReleaseBit | kKeystrokeWasDownBit), scan);
    }
}

struct VkCase {
    std::uint8_t vk;
    std::uint32_t word;
    ScanCode scan;
    const char* why;
};

class VkToScanCaseTest : public ::testing::TestWithParam<VkCase> {};

TEST_P(VkToScanCaseTest, Converts) {
    EXPECT_EQ(VkToScan(GetParam().vk, GetParam().word), GetParam().scan) << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VkToScanCaseTest,
    ::testing::Values(
        VkCase{0x26, Word(0x148), 0x148, "arrow with its extended scan"},
        VkCase{0x26, 0, 0x148, "no scan byte: the virtual-key table decides"},
        VkCase{0x10, Word(0x02A), 0x02A, "generic Shift, left"},
        VkCase{0x10, Word(0x036), 0x036, "generic Shift, right: scan 0x36 always stands"},
        VkCase{0x41, Word(0x036), 0x036, "scan 0x36 stands even against the virtual key"},
        VkCase{0x11, Word(0x01D), 0x01D, "generic Ctrl, left"},
        VkCase{0x11, Word(0x11D), 0x11D, "generic Ctrl, right (extended)"},
        VkCase{0x12, Word(0x138), 0x138, "generic Alt, right (extended)"},
        VkCase{0x13, Word(0x045), 0x045, "Pause: scan 0x45 without the extended bit"},
        VkCase{0x90, Word(0x145), 0x145, "Num Lock: scan 0x45 with the extended bit"},
        VkCase{0x03, Word(0x146), 0x146, "Ctrl+Pause is Break"},
        VkCase{0x2C, Word(0x054), 0x054, "Alt+Print Screen is Sys Req"},
        VkCase{0x24, Word(0x047), 0x047, "keypad 7 with Num Lock off"},
        VkCase{0x24, Word(0x147), 0x147, "Home"}, VkCase{0x0D, Word(0x11C), 0x11C, "keypad Enter"},
        VkCase{0x0D, Word(0x01C), 0x01C, "Enter"},
        VkCase{0xFF, Word(0x163), 0x163, "no virtual key: the scan code stands"},
        VkCase{0xFF, Word(0x07D), 0x07D, "no virtual key, a key with no virtual key"},
        VkCase{0x41, Word(0x030), 0x01E, "scan code of another key: the virtual key decides"},
        VkCase{0x0A, Word(0x030), 0x000, "a virtual key without a key and a foreign scan"},
        VkCase{0x0A, 0, 0x000, "nothing at all"}, VkCase{0xAF, Word(0x130), 0x130, "volume up"},
        VkCase{0xAF, 0, 0x130, "volume up without a scan byte"},
        VkCase{0xA1, 0, 0x036, "right Shift alone: the first \"Right Shift\" row"},
        VkCase{0xA3, 0, 0x11D, "right Ctrl alone"}, VkCase{0x5C, 0, 0x15C, "right Win alone"}));

TEST(VkToScanTest, AllocatesNothing) {
    const long before = AllocationCount();
    unsigned sum = 0;
    for (unsigned vk = 0; vk < 256; ++vk) {
        for (unsigned scan = 0; scan < 0x200; scan += 7) {
            sum += VkToScan(static_cast<std::uint8_t>(vk), Word(static_cast<ScanCode>(scan)));
        }
    }
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_NE(sum, 0u);
}

TEST(MediaIndexTest, ScansAndUsages) {
    EXPECT_EQ(MediaIndexOfScan(0x122), 1u);
    EXPECT_EQ(MediaIndexOfUsage(0x00E2), 7u);
    EXPECT_FALSE(MediaIndexOfScan(0x01E).has_value());
    EXPECT_FALSE(MediaIndexOfUsage(0).has_value());
    EXPECT_TRUE(IsMediaKey(0x16D));
    EXPECT_FALSE(IsMediaKey(0x174));
}

}  // namespace
}  // namespace qf::keys::test
