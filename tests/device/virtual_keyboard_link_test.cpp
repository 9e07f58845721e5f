// The device link against the virtual keyboard: the command set moves the keyboard's memory,
// and the retry rule holds against injected faults.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numeric>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "device/commands.h"
#include "device/device_link.h"
#include "device/recording_listener.h"
#include "device/result.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "support/temp_folder.h"

namespace qf::device {
namespace {

using vkbd::Area;
using vkbd::VirtualKeyboard;

std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 13 + seed + (i >> 8));
    }
    return bytes;
}

// A 512-byte vector as the keymap block the commands take.
template <typename Bytes>
auto Block(Bytes& bytes) {
    EXPECT_EQ(bytes.size(), kKeymapBlockSize);
    return std::span<std::remove_reference_t<decltype(*bytes.data())>, kKeymapBlockSize>(
        bytes.data(), kKeymapBlockSize);
}

class VirtualKeyboardLink : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(link.IssueReadRequests(), 1);
        link.SetListener(&listener);
    }
    void TearDown() override { link.SetListener(nullptr); }

    DeviceCommands& commands() { return link.commands(); }
    std::vector<std::uint8_t> Slice(Area area, std::size_t offset, std::size_t size) {
        const auto memory = keyboard.Memory(area);
        EXPECT_GE(memory.size(), offset + size);
        if (memory.size() < offset + size) {
            return {};
        }
        return {memory.begin() + offset, memory.begin() + offset + size};
    }

    VirtualKeyboard keyboard;
    test::RecordingListener listener;
    DeviceLink link{keyboard, TransactionTiming::Scaled(0.05)};
};

// --- the command set moves memory --------------------------------------------------------

TEST_F(VirtualKeyboardLink, DeviceInfoReadsAndWritesTheBlock) {
    DeviceInfoBlock info;
    ASSERT_EQ(commands().ReadDeviceInfo(info), DeviceResult::Ok);
    EXPECT_EQ(info.macroMemoryUnits(), 32);  // the keyboard's default 4 KiB
    EXPECT_EQ(std::vector<std::uint8_t>(info.bytes.begin(), info.bytes.end()),
              Slice(Area::DeviceInfo, 0, kDeviceInfoSize));

    info.setActiveProfile(2);
    ASSERT_EQ(commands().WriteDeviceInfo(info), DeviceResult::Ok);
    DeviceInfoBlock again;
    ASSERT_EQ(commands().ReadDeviceInfo(again), DeviceResult::Ok);
    EXPECT_EQ(again.activeProfile(), 2);
}

TEST_F(VirtualKeyboardLink, DownloadAndReadBackKeymapsAndMacros) {
    const auto macros = Pattern(4096, 7);
    ASSERT_EQ(commands().BeginTransfer(), DeviceResult::Ok);
    ASSERT_EQ(commands().WriteMacroArea(macros.data(), 4096), DeviceResult::Ok);
    std::vector<std::vector<std::uint8_t>> blocks;
    for (unsigned b = 0; b < kKeymapBlockCount; ++b) {
        blocks.push_back(Pattern(kKeymapBlockSize, 100 + b));
        ASSERT_EQ(commands().WriteKeymapBlock(Block(blocks.back()), b), DeviceResult::Ok);
    }
    ASSERT_EQ(commands().EndTransfer(), DeviceResult::Ok);

    EXPECT_EQ(Slice(Area::MacroMemory, 0, 4096), macros);
    for (unsigned b = 0; b < kKeymapBlockCount; ++b) {
        EXPECT_EQ(Slice(Area::KeymapBlocks, b * kKeymapBlockSize, kKeymapBlockSize), blocks[b]);
        std::vector<std::uint8_t> read(kKeymapBlockSize);
        ASSERT_EQ(commands().ReadKeymapBlock(Block(read), b), DeviceResult::Ok);
        EXPECT_EQ(read, blocks[b]);
    }
    std::vector<std::uint8_t> readMacros(4096);
    ASSERT_EQ(commands().ReadMacroArea(readMacros.data(), 4096), DeviceResult::Ok);
    EXPECT_EQ(readMacros, macros);
}

TEST_F(VirtualKeyboardLink, DefaultKeymapSettingsAndUserColours) {
    std::vector<std::uint8_t> keymap(kKeymapBlockSize);
    ASSERT_EQ(commands().ReadDefaultKeymap(Block(keymap)), DeviceResult::Ok);
    EXPECT_EQ(keymap, Slice(Area::DefaultKeymap, 0, kKeymapBlockSize));

    const auto record = Pattern(35, 3);
    ASSERT_EQ(commands().BeginTransfer(), DeviceResult::Ok);
    ASSERT_EQ(commands().WriteSettings(record.data(), 35, 42 * 1), DeviceResult::Ok);
    const std::uint8_t colour[] = {0x10, 0x20, 0x30};
    ASSERT_EQ(commands().WriteUserColours(colour, 3, 4, 2), DeviceResult::Ok);
    ASSERT_EQ(commands().EndTransfer(), DeviceResult::Ok);
    EXPECT_EQ(Slice(Area::Settings, 42, 35), record);
    EXPECT_EQ(Slice(Area::UserColours, 36 * 2 + 3 * 4, 3),
              (std::vector<std::uint8_t>{0x10, 0x20, 0x30}));

    std::array<std::uint8_t, 56> buffer{};
    ASSERT_EQ(commands().ReadSettings(buffer, 56, 42), DeviceResult::Ok);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), buffer.begin()));
    ASSERT_EQ(commands().ReadUserColours(buffer, 36, 0, 2), DeviceResult::Ok);
    EXPECT_EQ(buffer[12], 0x10);
    EXPECT_EQ(buffer[14], 0x30);
}

TEST_F(VirtualKeyboardLink, TraceShowsTheExactReport) {
    keyboard.ClearTrace();
    DeviceInfoBlock info;
    ASSERT_EQ(commands().ReadDeviceInfo(info), DeviceResult::Ok);
    keyboard.WaitIdle();
    const auto trace = keyboard.Trace();
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[0].direction, vkbd::Direction::ToKeyboard);
    EXPECT_EQ(trace[0].interface, vkbd::Interface::Control);
    std::vector<std::uint8_t> expected(64, 0);
    const std::uint8_t head[] = {0x04, 0x2F, 0x00, 0x03, 0x2C};
    std::copy(std::begin(head), std::end(head), expected.begin());
    EXPECT_EQ(trace[0].bytes, expected);
    EXPECT_EQ(trace[1].direction, vkbd::Direction::FromKeyboard);
    EXPECT_EQ(trace[1].bytes.at(3), 3);
}

// --- the retry rule against injected faults ------------------------------------------------

struct FaultCase {
    const char* name;
    void (*inject)(VirtualKeyboard&);
    DeviceResult result;  // of ReadDeviceInfo
    std::size_t writes;   // reports that reached the keyboard
};

const FaultCase kFaults[] = {
    {"NoReplyThreeTimes", [](VirtualKeyboard& k) { k.InjectNoReply(3); }, DeviceResult::NoReply, 3},
    {"WrongCommandThreeTimes", [](VirtualKeyboard& k) { k.InjectWrongCommand(3); },
     DeviceResult::NoReply, 3},
    {"FfOnceThenGood", [](VirtualKeyboard& k) { k.InjectStatus(0xFF, 1); }, DeviceResult::Ok, 2},
    {"FeThreeTimes", [](VirtualKeyboard& k) { k.InjectStatus(0xFE, 3); }, DeviceResult::StatusFE,
     3},
    {"FfThreeTimes", [](VirtualKeyboard& k) { k.InjectStatus(0xFF, 3); }, DeviceResult::StatusFF,
     3},
    {"NoReplyTwiceThenGood", [](VirtualKeyboard& k) { k.InjectNoReply(2); }, DeviceResult::Ok, 3},
    {"WriteRefused", [](VirtualKeyboard& k) { k.InjectWriteRefusal(1); },
     DeviceResult::WriteRefused, 0},
    {"Unplugged", [](VirtualKeyboard& k) { k.Unplug(); }, DeviceResult::NoDevice, 0},
};

class VirtualKeyboardFaults : public VirtualKeyboardLink,
                              public ::testing::WithParamInterface<FaultCase> {};

TEST_P(VirtualKeyboardFaults, ReadDeviceInfo) {
    const FaultCase& c = GetParam();
    const std::size_t before = keyboard.ReportsReceived();
    c.inject(keyboard);
    DeviceInfoBlock info;
    EXPECT_EQ(commands().ReadDeviceInfo(info), c.result);
    EXPECT_EQ(keyboard.ReportsReceived() - before, c.writes);
    if (c.result == DeviceResult::Ok) {
        EXPECT_EQ(info.macroMemoryUnits(), 32);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, VirtualKeyboardFaults, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VirtualKeyboardLink, ChunksBeforeAnUnplugStayWritten) {
    const auto before = Slice(Area::KeymapBlocks, 512, kKeymapBlockSize);
    const auto block = Pattern(kKeymapBlockSize, 55);
    keyboard.UnplugBeforeReport(4);
    EXPECT_EQ(commands().WriteKeymapBlock(Block(block), 1), DeviceResult::WriteRefused);
    const auto after = Slice(Area::KeymapBlocks, 512, kKeymapBlockSize);
    ASSERT_EQ(after.size(), kKeymapBlockSize);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 168, after.begin()));
    EXPECT_TRUE(std::equal(before.begin() + 168, before.end(), after.begin() + 168));
    keyboard.WaitIdle();
    EXPECT_EQ(listener.counts, std::vector<std::uint32_t>{0});
    // With the keyboard gone nothing more is sent.
    EXPECT_EQ(commands().WriteKeymapBlock(Block(block), 1), DeviceResult::NoDevice);
}

TEST_F(VirtualKeyboardLink, SlowRepliesAfterGiveUpAreDropped) {
    keyboard.SetReplyDelay(std::chrono::milliseconds(200));  // the wait is 50 ms
    DeviceInfoBlock info;
    EXPECT_EQ(commands().ReadDeviceInfo(info), DeviceResult::NoReply);
    keyboard.WaitIdle();  // the late replies arrive while nobody waits
    keyboard.SetReplyDelay({});
    EXPECT_EQ(commands().ReadDeviceInfo(info), DeviceResult::Ok);
}

// --- a keyboard that cannot keep its memory ------------------------------------------------

// The commands that commit the virtual keyboard's memory report it when its state file cannot
// be written, so that the caller never reports success for a change the next run will not have.
TEST(VirtualKeyboardStateLink, CommitsThatCannotBeSavedFailTheirCommands) {
    namespace fs = std::filesystem;
    qf::testing::TempFolder folder;
    const fs::path blocker = folder / "unsaved";
    std::ofstream(blocker) << "a file where the state file's folder should be";
    std::vector<std::string> reasons;
    vkbd::VirtualKeyboardOptions options;
    options.stateFile = blocker / "keyboard.state";
    options.saveFailed = [&reasons](const std::string& reason) { reasons.push_back(reason); };
    {
        VirtualKeyboard keyboard(options);
        DeviceLink link(keyboard, TransactionTiming::Scaled(0.05));
        ASSERT_EQ(link.IssueReadRequests(), 1);
        DeviceCommands& commands = link.commands();

        DeviceInfoBlock info;
        ASSERT_EQ(commands.ReadDeviceInfo(info), DeviceResult::Ok);
        info.setActiveProfile(1);
        EXPECT_EQ(commands.WriteDeviceInfo(info), DeviceResult::StatusFE);
        ASSERT_EQ(commands.BeginTransfer(), DeviceResult::Ok);
        const auto block = Pattern(kKeymapBlockSize, 3);
        ASSERT_EQ(commands.WriteKeymapBlock(Block(block), 0), DeviceResult::Ok);
        EXPECT_EQ(commands.EndTransfer(), DeviceResult::StatusFE);
        EXPECT_EQ(commands.ReadDeviceInfo(info), DeviceResult::Ok) << "the keyboard still answers";
    }
    ASSERT_EQ(reasons.size(), 1u) << "one reason, however often it was met";
    EXPECT_NE(reasons[0].find(options.stateFile.string()), std::string::npos) << reasons[0];
}

// --- unasked news --------------------------------------------------------------------------

TEST_F(VirtualKeyboardLink, PlugConsumerCodesAndLedStatus) {
    keyboard.PressConsumerCode(0x02FF);
    keyboard.WaitIdle();  // unplugging drops events not yet delivered
    keyboard.Unplug();
    keyboard.Plug();
    keyboard.WaitIdle();
    EXPECT_EQ(listener.codes, std::vector<std::uint16_t>{0x02FF});
    EXPECT_EQ(listener.counts, (std::vector<std::uint32_t>{0, 1}));

    ASSERT_GT(link.WriteLedStatus({0x05, 0x03}), 0);
    EXPECT_EQ(keyboard.LedStatus(), (std::array<std::uint8_t, 2>{0x05, 0x03}));
}

}  // namespace
}  // namespace qf::device
