// Keymap images and key blocks: reading the keyboard's entries into key records and writing
// the records back as entries over the default keymap.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "keys/builtin_keymap.h"
#include "keys/default_keymap.h"
#include "keys/keymap_image.h"

namespace qf::keys {
namespace {

constexpr std::size_t kEscPosition = 8;  // default 02 02 29
constexpr std::size_t kEscRecord = 1;    // scan 0x001
constexpr DeviceKeyRef kEscDefault{2, 2, 0x29};

using Block = std::array<std::uint8_t, kKeyBlockSize>;

KeymapImage Defaults() {
    return kBuiltinDefaultKeymap;
}

KeyRecord RecordOf(const Block& block, std::size_t n) {
    return KeyRecord::Read(block.data() + n * kKeyRecordSize);
}

void Put(Block& block, std::size_t n, const KeyRecord& record) {
    record.Write(block.data() + n * kKeyRecordSize);
}

// Macros 7, 3 and 5 in that order: id 3 is at position 1.
std::optional<std::size_t> ThreeMacros(std::uint32_t id) {
    constexpr std::array<std::uint32_t, 3> ids = {7, 3, 5};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == id) {
            return i;
        }
    }
    return std::nullopt;
}

TEST(KeymapImageToKeyBlock, DefaultImageGivesDefaultRecordsAndGCodes) {
    Block block;
    block.fill(0xCC);
    ASSERT_EQ(KeymapImageToKeyBlock(Defaults(), Defaults(), block), 1);
    for (std::size_t n = 0; n < kRecordsPerBlock; ++n) {
        const KeyRecord record = RecordOf(block, n);
        EXPECT_EQ(record.kind, 0) << n;
        EXPECT_EQ(record.value, 0u) << n;
        std::uint16_t extra = 0;
        if (n >= kFirstGRecord && n < kFirstBankBGRecord) {
            extra = static_cast<std::uint16_t>(0x0301 + (n - kFirstGRecord));
        } else if (n >= kFirstBankBGRecord && n <= kLastGRecord) {
            extra = static_cast<std::uint16_t>(0x1301 + (n - kFirstBankBGRecord));
        }
        EXPECT_EQ(record.extra, extra) << n;
    }
}

struct DecodeCase {
    const char* name;
    DeviceKeyRef entry;
    std::uint16_t kind;
    std::uint32_t value;
};

class DecodeEscEntry : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeEscEntry, GivesKindAndValue) {
    KeymapImage image = Defaults();
    SetKeymapEntry(image, kEscPosition, GetParam().entry);
    Block block{};
    ASSERT_EQ(KeymapImageToKeyBlock(image, Defaults(), block), 1);
    const KeyRecord record = RecordOf(block, kEscRecord);
    EXPECT_EQ(record.kind, GetParam().kind);
    EXPECT_EQ(record.value, GetParam().value);
    // No other record changes.
    for (std::size_t n = 0; n < kKeyIndexRecords; ++n) {
        if (n != kEscRecord) {
            EXPECT_EQ(RecordOf(block, n).kind, 0) << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DecodeEscEntry,
    ::testing::Values(DecodeCase{"UsageOfA", {2, 2, 0x04}, 2, 0x01E},
                      DecodeCase{"RightShiftBit", {2, 1, 0x20}, 2, 0x036},
                      DecodeCase{"VolumeUp", {3, 0xE9, 0x00}, 7, 6},
                      DecodeCase{"Mute", {3, 0xE2, 0x00}, 7, 7},
                      DecodeCase{"ConsumerUsageOutsideCatalogue", {3, 0x00, 0x01}, 1, 0},
                      DecodeCase{"FirstMacroPosition", {5, 1, 0}, 4, 1},
                      DecodeCase{"LastByteMacroPosition", {5, 1, 0xFF}, 4, 256},
                      DecodeCase{"StopMacro", {5, 2, 0}, 5, 0},
                      DecodeCase{"FunctionOutsideCatalogue", {5, 5, 0x20}, 8, 32},
                      DecodeCase{"NoFunction", {0, 0, 0}, 1, 0},
                      DecodeCase{"UsageWithoutKey", {2, 2, 0x00}, 1, 0},
                      DecodeCase{"SystemControl", {4, 0x81, 0x00}, 1, 0},
                      DecodeCase{"KeyboardSpecific", {5, 0, 0}, 1, 0},
                      DecodeCase{"UnknownKeyboardSubtype", {2, 3, 0x04}, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeymapImageToKeyBlock, PositionsWithoutKeyAreIgnored) {
    KeymapImage image = Defaults();
    SetKeymapEntry(image, 0, {2, 2, 0x04});    // default 05 00 00: no key
    SetKeymapEntry(image, 6, {5, 1, 3});       // default 00 00 00: no key
    SetKeymapEntry(image, 150, {2, 2, 0x04});  // beyond the keyboard's keys
    Block block{};
    ASSERT_EQ(KeymapImageToKeyBlock(image, Defaults(), block), 1);
    Block expected{};
    ASSERT_EQ(KeymapImageToKeyBlock(Defaults(), Defaults(), expected), 1);
    EXPECT_EQ(block, expected);
}

TEST(KeymapImageToKeyBlock, GKeyPositionsCarryGRecordsAndKeepTheirCodes) {
    KeymapImage defaults = Defaults();
    SetKeymapEntry(defaults, 130, {6, 0xA2, 3});   // G3 of bank A: scan 0x202, record 258
    SetKeymapEntry(defaults, 131, {6, 0xA2, 12});  // G3 of bank B: record 267
    KeymapImage image = defaults;
    SetKeymapEntry(image, 130, {5, 1, 4});
    SetKeymapEntry(image, 131, {3, 0xCD, 0});
    Block block{};
    ASSERT_EQ(KeymapImageToKeyBlock(image, defaults, block), 1);
    EXPECT_EQ(RecordOf(block, 258), (KeyRecord{4, 0x0303, 5, 0, 0}));
    EXPECT_EQ(RecordOf(block, 267), (KeyRecord{7, 0x1303, 1, 0, 0}));
}

TEST(KeymapImageToKeyBlock, SharedKeyTakesTheLaterPosition) {
    // Positions 54 and 105 both hold "=" by default and share its record.
    KeymapImage image = Defaults();
    SetKeymapEntry(image, 54, {2, 2, 0x04});
    SetKeymapEntry(image, 105, {5, 2, 0});
    Block block{};
    ASSERT_EQ(KeymapImageToKeyBlock(image, Defaults(), block), 1);
    EXPECT_EQ(RecordOf(block, 0x00D).kind, 5);
}

TEST(KeymapImageToKeyBlock, RefusesABlockOfAnotherSize) {
    std::vector<std::uint8_t> shortBlock(kKeyBlockSize - 1, 0xAB);
    EXPECT_EQ(KeymapImageToKeyBlock(Defaults(), Defaults(), shortBlock), 0);
    EXPECT_EQ(shortBlock, std::vector<std::uint8_t>(kKeyBlockSize - 1, 0xAB));
}

struct EncodeCase {
    const char* name;
    KeyRecord record;
    DeviceKeyRef entry;
};

class EncodeEscRecord : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeEscRecord, WritesTheEntry) {
    Block block{};
    Put(block, kEscRecord, GetParam().record);
    KeymapImage image{};
    ASSERT_EQ(KeyBlockToKeymapImage(block, Defaults(), ThreeMacros, image), 1);
    EXPECT_EQ(KeymapEntry(image, kEscPosition), GetParam().entry);
    // Everything else is the default keymap.
    KeymapImage expected = Defaults();
    SetKeymapEntry(expected, kEscPosition, GetParam().entry);
    EXPECT_EQ(image, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EncodeEscRecord,
    ::testing::Values(
        EncodeCase{"Default", {0, 0, 0, 0, 0}, kEscDefault},
        EncodeCase{"Disabled", {1, 0, 0, 0, 0}, {0, 0, 0}},
        EncodeCase{"RightShift", {2, 0, 0x036, 0, 0}, {2, 1, 0x20}},
        EncodeCase{"LetterA", {2, 0, 0x01E, 0, 0}, {2, 2, 0x04}},
        EncodeCase{"ConsumerPageKey", {2, 0, 0x174, 0, 0}, {2, 2, 0x00}},
        EncodeCase{"ValueBeyondScanCodes", {2, 0, 0x1001E, 0, 0}, {2, 2, 0x00}},
        EncodeCase{"ProgramKeepsDefault", {3, 0, 40, 0, 0}, kEscDefault},
        EncodeCase{"MacroAtSecondPosition", {4, 2, 3, 0, 0}, {5, 1, 1}},
        // A macro that is gone keeps the key's own function instead of playing macro 0.
        EncodeCase{"MissingMacroKeepsDefault", {4, 1, 9, 0, 0}, kEscDefault},
        EncodeCase{"StopMacro", {5, 0, 0, 0, 0}, {5, 2, 0}},
        EncodeCase{"TextIsNoFunction", {6, 0, 0, 0, 0}, {0, 0, 0}},
        EncodeCase{"Mute", {7, 0, 7, 0, 0}, {3, 0xE2, 0x00}},
        EncodeCase{"MediaOutsideCatalogueKeepsDefault", {7, 0, 18, 0, 0}, kEscDefault},
        EncodeCase{"Function", {8, 0, 10, 0, 0}, {5, 5, 0x0A}},
        EncodeCase{"FunctionFromKeyboard", {8, 0, 32, 0, 0}, {5, 5, 0x20}},
        EncodeCase{"UnknownKind", {9, 0, 1, 0, 0}, kEscDefault}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyBlockToKeymapImage, KeepsTailAndKeyboardSpecificEntriesOfTheDefaults) {
    KeymapImage defaults = Defaults();
    for (std::size_t i = kKeymapTailOffset; i < defaults.size(); ++i) {
        defaults[i] = static_cast<std::uint8_t>(i);
    }
    Block block{};
    // Every record of the key range assigned: only positions with keys change.
    for (std::size_t n = 0; n < kKeyIndexRecords; ++n) {
        Put(block, n, KeyRecord{1, 0, 0, 0, 0});
    }
    KeymapImage image{};
    ASSERT_EQ(KeyBlockToKeymapImage(block, defaults, ThreeMacros, image), 1);
    EXPECT_EQ(KeymapEntry(image, 0), (DeviceKeyRef{5, 0, 0}));
    EXPECT_EQ(KeymapEntry(image, 53), (DeviceKeyRef{5, 2, 2}));
    EXPECT_EQ(KeymapEntry(image, 8), (DeviceKeyRef{0, 0, 0}));
    EXPECT_EQ(KeymapEntry(image, 112), (DeviceKeyRef{0, 0, 0}));  // Home Page key, 03 B6 00
    for (std::size_t i = kKeymapTailOffset; i < image.size(); ++i) {
        EXPECT_EQ(image[i], static_cast<std::uint8_t>(i));
    }
}

TEST(KeyBlockToKeymapImage, RefusesABlockOfAnotherSize) {
    std::vector<std::uint8_t> longBlock(kKeyBlockSize + 16, 0);
    KeymapImage image{};
    image.fill(0x5A);
    EXPECT_EQ(KeyBlockToKeymapImage(longBlock, Defaults(), ThreeMacros, image), 0);
    EXPECT_EQ(image[0], 0x5A);
}

TEST(KeymapImageRoundTrip, KnownEntriesComeBackUnchanged) {
    KeymapImage image = Defaults();
    SetKeymapEntry(image, 8, {2, 2, 0x04});   // Esc -> A
    SetKeymapEntry(image, 17, {5, 1, 2});     // 1 -> macro at position 2
    SetKeymapEntry(image, 19, {3, 0xCD, 0});  // A -> play/pause
    SetKeymapEntry(image, 20, {5, 5, 3});     // Z -> function 3
    SetKeymapEntry(image, 21, {2, 1, 0x80});  // Win -> Right Win
    SetKeymapEntry(image, 24, {0, 0, 0});     // F2 disabled
    SetKeymapEntry(image, 25, {5, 2, 0});     // 2 -> stop macro
    Block block{};
    ASSERT_EQ(KeymapImageToKeyBlock(image, Defaults(), block), 1);
    const MacroPositionOf identity = [](std::uint32_t id) -> std::optional<std::size_t> {
        return id >= 1 ? std::optional<std::size_t>(id - 1) : std::nullopt;
    };
    KeymapImage back{};
    ASSERT_EQ(KeyBlockToKeymapImage(block, Defaults(), identity, back), 1);
    EXPECT_EQ(back, image);
}

}  // namespace
}  // namespace qf::keys
