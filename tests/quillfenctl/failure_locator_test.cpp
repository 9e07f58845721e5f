// Where a failed transfer went wrong, the read-back after a write, and the names and waits the
// command line checks, against the in-process virtual keyboard.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "cli_text.h"
#include "device/device_link.h"
#include "device/result.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "device/tracing_service.h"
#include "failure_locator.h"
#include "verify.h"

namespace qf::cli {
namespace {

class LocatorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(link_.IssueReadRequests(), 1); }

    vkbd::VirtualKeyboard keyboard_;
    FailureLocator locator_{keyboard_};
    device::DeviceLink link_{locator_, device::TransactionTiming::Scaled(0.01)};
};

TEST_F(LocatorTest, RefusedReportOfAKeymapWriteNamesProfileAndChunk) {
    std::vector<std::uint8_t> block(device::kKeymapBlockSize, 0x11);
    keyboard_.UnplugBeforeReport(3);
    EXPECT_EQ(link_.commands().WriteKeymapBlock(
                  device::ConstKeymapBlockSpan(block.data(), device::kKeymapBlockSize), 1),
              device::DeviceResult::WriteRefused);
    const auto place = locator_.FirstFailure();
    ASSERT_TRUE(place);
    EXPECT_EQ(place->result, device::DeviceResult::WriteRefused);
    EXPECT_EQ(place->where, "command 8 (write keymap), profile 1, chunk 3 of 10 (bytes 112..167)");
}

TEST_F(LocatorTest, FailingStatusAndMissingReplyGiveTheirOwnCodes) {
    device::DeviceInfoBlock info;
    keyboard_.InjectStatus(0xFF, 3);
    EXPECT_EQ(link_.commands().ReadDeviceInfo(info), device::DeviceResult::StatusFF);
    auto place = locator_.FirstFailure();
    ASSERT_TRUE(place);
    EXPECT_EQ(place->result, device::DeviceResult::StatusFF);
    EXPECT_EQ(place->where, "command 3 (read device info)");

    // The first failure is kept until cleared; later ones do not replace it.
    std::vector<std::uint8_t> macro(100);
    keyboard_.InjectNoReply(3);
    EXPECT_EQ(link_.commands().ReadMacroArea(macro.data(), 100), device::DeviceResult::NoReply);
    EXPECT_EQ(locator_.FirstFailure()->result, device::DeviceResult::StatusFF);
    locator_.Clear();
    keyboard_.InjectNoReply(3);
    EXPECT_EQ(link_.commands().ReadMacroArea(macro.data(), 100), device::DeviceResult::NoReply);
    place = locator_.FirstFailure();
    ASSERT_TRUE(place);
    EXPECT_EQ(place->result, device::DeviceResult::NoReply);
    EXPECT_EQ(place->where, "command 9 (read macro memory), chunk 1 (bytes 0..55)");
}

TEST_F(LocatorTest, ARetryThatSucceedsIsNoFailure) {
    device::DeviceInfoBlock info;
    keyboard_.InjectStatus(0xFF, 1);
    EXPECT_EQ(link_.commands().ReadDeviceInfo(info), device::DeviceResult::Ok);
    std::vector<std::uint8_t> block(device::kKeymapBlockSize);
    EXPECT_EQ(link_.commands().ReadKeymapBlock(
                  device::KeymapBlockSpan(block.data(), device::kKeymapBlockSize), 2),
              device::DeviceResult::Ok);
    EXPECT_FALSE(locator_.FirstFailure());
}

TEST(DescribeRequest, SettingsGiveTheirAddressAndLength) {
    EXPECT_EQ(DescribeRequest(6, 3, 40),
              "command 6 (write lighting settings), address 40, 3 bytes");
    EXPECT_EQ(DescribeRequest(10, 8, 112),
              "command 10 (write macro memory), chunk 3 (bytes 112..119)");
    EXPECT_EQ(DescribeRequest(99, 0, 0), "command 99 (unknown)");
}

// ---- The read-back ----

class VerifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        tracing_.SetWriteObserver([this](std::span<const std::uint8_t> r) { sent_.OnReport(r); });
        ASSERT_EQ(link_.IssueReadRequests(), 1);
    }
    void WriteSome() {
        std::vector<std::uint8_t> block(device::kKeymapBlockSize);
        std::iota(block.begin(), block.end(), std::uint8_t{3});
        ASSERT_EQ(link_.commands().WriteKeymapBlock(
                      device::ConstKeymapBlockSpan(block.data(), device::kKeymapBlockSize), 2),
                  device::DeviceResult::Ok);
        std::vector<std::uint8_t> macro(200, 0x5A);
        ASSERT_EQ(link_.commands().WriteMacroArea(macro.data(), 200), device::DeviceResult::Ok);
    }

    vkbd::VirtualKeyboard keyboard_;
    device::TracingService tracing_{keyboard_, nullptr};
    device::DeviceLink link_{tracing_, device::TransactionTiming::Scaled(0.01)};
    SentImage sent_;
};

TEST_F(VerifyTest, WhatArrivedWholeReadsBackTheSame) {
    WriteSome();
    const VerifyResult result = VerifyWritten(link_.commands(), sent_);
    EXPECT_TRUE(result.same) << result.what;
    EXPECT_EQ(result.what, "the keymaps of profiles 2 and 200 bytes of macro memory");
}

TEST_F(VerifyTest, TheFirstDifferenceIsNamedByPlaceAndBytes) {
    WriteSome();
    const std::uint8_t changed[] = {0xEE};
    keyboard_.SetMemory(vkbd::Area::KeymapBlocks, 2 * device::kKeymapBlockSize + 77, changed);
    keyboard_.SetMemory(vkbd::Area::MacroMemory, 150, changed);
    VerifyResult result = VerifyWritten(link_.commands(), sent_);
    EXPECT_FALSE(result.same);
    // Byte 77 was written as 3 + 77 = 0x50.
    EXPECT_EQ(result.what, "keymap of profile 2, byte 77 (chunk 2): written 0x50, read back 0xee");

    const std::uint8_t restored[] = {0x50};
    keyboard_.SetMemory(vkbd::Area::KeymapBlocks, 2 * device::kKeymapBlockSize + 77, restored);
    result = VerifyWritten(link_.commands(), sent_);
    EXPECT_EQ(result.what, "macro memory byte 150 (chunk 3): written 0x5a, read back 0xee");
}

TEST_F(VerifyTest, AReadBackThatFailsSaysSo) {
    WriteSome();
    keyboard_.InjectStatus(0xFE, 3);
    const VerifyResult result = VerifyWritten(link_.commands(), sent_);
    EXPECT_FALSE(result.same);
    EXPECT_EQ(result.deviceResult, device::DeviceResult::StatusFE);
    EXPECT_EQ(result.what, "reading back the keymap of profile 2");
}

// ---- Names and waits ----

TEST(NearestNames, SlipsOfTheKeyboardFindTheirName) {
    const std::vector<std::string> keys = KeyNameList();
    const auto caps = NearestNames("Caps Lck", keys);
    ASSERT_FALSE(caps.empty());
    EXPECT_EQ(caps.front(), "Caps Lock");
    const auto enter = NearestNames("entr", keys);
    ASSERT_FALSE(enter.empty());
    EXPECT_EQ(enter.front(), "Enter");
    EXPECT_EQ(DidYouMean("Hyperdrive", keys), "");
    const std::vector<std::string> kinds = {"keys", "media", "functions", "modes"};
    EXPECT_EQ(DidYouMean("key", kinds), " (did you mean \"keys\"?)");
    EXPECT_EQ(NearestNames("mode", kinds), std::vector<std::string>{"modes"});
    // Three at most, nearest first, then in list order.
    EXPECT_EQ(DidYouMean("lst", {"lots", "list", "last", "lost", "lust"}),
              " (did you mean \"list\", \"last\" or \"lost\"?)");
}

TEST(KeyNameList, EveryListedNameIsAccepted) {
    for (const std::string& name : KeyNameList()) {
        EXPECT_TRUE(ParseKeyName(name)) << name;
    }
    for (const std::string& name : MediaNameList(keys::BuiltinKeyTexts())) {
        EXPECT_TRUE(ParseMediaName(name, keys::BuiltinKeyTexts())) << name;
    }
}

TEST(Waits, TheKeyboardKeepsTenMillisecondSteps) {
    EXPECT_EQ(KeptDelayMs(5), 0);
    EXPECT_EQ(KeptDelayMs(4095), 4090);
    EXPECT_EQ(KeptDelayMs(40000), 40000);
    macros::MacroRecord macro;
    ASSERT_TRUE(macro.AppendAction({5, 0x01E, macros::kActionPress}));
    ASSERT_TRUE(macro.AppendAction({20, 0x01E, macros::kActionRelease}));
    ASSERT_TRUE(macro.AppendAction({4095, 0x01E, macros::kActionPress}));
    const auto changes = DelayChanges(macro);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].action, 0u);
    EXPECT_EQ(changes[0].kept, 0);
    EXPECT_EQ(changes[1].action, 2u);
    EXPECT_EQ(changes[1].given, 4095);
    EXPECT_EQ(changes[1].kept, 4090);

    std::string error;
    EXPECT_FALSE(ParseMacroSteps({"+A", "t4095", "-A"}, error));
    EXPECT_NE(error.find("4090 ms or 4100 ms"), std::string::npos) << error;
    EXPECT_FALSE(ParseMacroSteps({"+A", "t5"}, error));
    EXPECT_NE(error.find("0 ms (no wait) or 10 ms"), std::string::npos) << error;
    EXPECT_TRUE(ParseMacroSteps({"+A", "t5", "t5", "-A"}, error)) << error;
}

}  // namespace
}  // namespace qf::cli
