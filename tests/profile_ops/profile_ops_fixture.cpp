#include "profile_ops/profile_ops_fixture.h"

#include "support/keyboard_setup.h"

namespace qf::profiles::testing {

macros::MacroRecord MakeMacro(std::uint16_t id, std::u16string_view name, std::size_t actions) {
    macros::MacroRecord macro;
    macro.id = id;
    macro.SetName(name);
    macro.repeatCount = 2;
    for (std::size_t i = 0; i < actions; ++i) {
        const auto state =
            static_cast<std::uint16_t>(i % 2 == 0 ? macros::kActionPress : macros::kActionRelease);
        (void)macro.AppendAction({20, 0x01E, state});
    }
    return macro;
}

Bytes ImageOf(const std::vector<macros::MacroRecord>& list, bool names) {
    const macros::ImageSizes sizes = macros::MacroImageSizes(list);
    const std::size_t size = names ? sizes.withNames : sizes.withoutNames;
    Bytes image(size);
    EXPECT_EQ(macros::BuildMacroImage(list, image, size, names), 1);
    return image;
}

namespace {

session::SessionSource SourceFor(vkbd::VirtualKeyboard& keyboard, const qf::testing::TempHome& home,
                                 bool withHome) {
    session::SessionSource source{keyboard, withHome ? home.Environment() : app::Environment{}};
    source.timing = device::TransactionTiming::Scaled(0.1);
    // Only the profile folder is made (below): every folder more costs its removal per test.
    source.makeUserFolders = false;
    return source;
}

}  // namespace

ProfileOpsTest::ProfileOpsTest(bool withHome)
    : session(SourceFor(keyboard, home, withHome),
              {prompter, window, window, view, window.lightingView(), window, host}) {
    if (withHome) {
        std::filesystem::create_directories(session.ProfileFolder());
    }
}

void ProfileOpsTest::SetUp() {
    ASSERT_EQ(session.IssueReadRequests(), 1);
    host.onApply = [this] { return transfers.ApplyChanges(); };
    NoteKeyboardArrival();
    keyboard.ClearTrace();
}

void ProfileOpsTest::TearDown() {
    keyboard.SetTraceSink({});
}

void ProfileOpsTest::NoteKeyboardArrival() {
    keys::KeymapImage defaults{};
    ASSERT_EQ(commands().ReadDefaultKeymap(defaults), qf::device::DeviceResult::Ok);
    defaultKeymap.Set(defaults);
    device::DeviceInfoBlock info;
    ASSERT_EQ(commands().ReadDeviceInfo(info), qf::device::DeviceResult::Ok);
    state.macroMemorySize.store(info.macroMemoryBytes());
}

std::vector<std::uint8_t> ProfileOpsTest::SentCommands() const {
    std::vector<std::uint8_t> commands;
    for (const auto& report : Sent()) {
        commands.push_back(report.command);
    }
    return commands;
}

keys::KeymapImage ProfileOpsTest::KeyboardKeymap(unsigned b) const {
    const Bytes all = keyboard.Memory(vkbd::Area::KeymapBlocks);
    keys::KeymapImage image{};
    std::copy_n(all.begin() + b * keys::kKeymapImageSize, image.size(), image.begin());
    return image;
}

Bytes ProfileOpsTest::KeyboardMacroMemory(std::size_t n) const {
    const Bytes all = keyboard.Memory(vkbd::Area::MacroMemory);
    return Bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(n, all.size())));
}

void ProfileOpsTest::SetKeyboardKeymap(unsigned b, const keys::KeymapImage& image) {
    keyboard.SetMemory(vkbd::Area::KeymapBlocks, b * keys::kKeymapImageSize, image);
}

void ProfileOpsTest::SetKeyboardProfile(std::uint8_t profile) {
    qf::testing::SetKeyboardProfile(keyboard, profile);
}

void ProfileOpsTest::SetKeyboardMacroUnits(std::uint8_t units) {
    qf::testing::SetKeyboardMacroUnits(keyboard, units);
}

}  // namespace qf::profiles::testing
