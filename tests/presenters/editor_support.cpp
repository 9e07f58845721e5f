#include "presenters/editor_support.h"

#include <array>

#include "support/keyboard_setup.h"

namespace qf::presenters::testing {

NativeKeyEvent NativeKey(std::uint16_t evdev, bool pressed, bool autoRepeat,
                         std::uint32_t modifiers) {
    return {static_cast<std::uint32_t>(evdev) + keys::kNativeKeycodeOffset, modifiers, pressed,
            autoRepeat};
}

macros::MacroRecord StoredMacro(std::uint16_t id, std::u16string_view name, std::size_t actions) {
    macros::MacroRecord macro;
    macro.id = id;
    macro.SetName(name);
    macro.repeatCount = 3;
    for (std::size_t i = 0; i < actions; ++i) {
        const auto state =
            static_cast<std::uint16_t>(i % 2 == 0 ? macros::kActionPress : macros::kActionRelease);
        (void)macro.AppendAction({20, 0x01E, state});
    }
    return macro;
}

KeyboardRig::KeyboardRig()
    : transfers({link.commands(), store, defaultKeymap, state, prompter, language,
                 docs / "Quillfen_09A", active, assignments, mainWindow}),
      switching({store, active, assignments, mainWindow, prompter, language, docs / "Quillfen_09A",
                 transfers}) {
    hooks.AttachRecorder(&recorder);
}

void KeyboardRig::SetUp() {
    ASSERT_EQ(link.IssueReadRequests(), 1);
    keys::KeymapImage defaults{};
    ASSERT_EQ(link.commands().ReadDefaultKeymap(defaults), qf::device::DeviceResult::Ok);
    defaultKeymap.Set(defaults);
    SetKeyboardProfile(0);
}

void KeyboardRig::SetKeyboardProfile(std::uint8_t profile) {
    qf::testing::SetKeyboardProfile(keyboard, profile);
}

std::uint8_t KeyboardRig::KeyboardProfile() const {
    return keyboard.Memory(vkbd::Area::DeviceInfo).at(10);
}

keys::KeyRecord KeyboardRig::Record(std::size_t block, std::size_t k) {
    auto access = store.Lock();
    return access->BlockRecord(block, k);
}

void KeyboardRig::SetRecord(std::size_t block, std::size_t k, const keys::KeyRecord& record) {
    auto access = store.Lock();
    ASSERT_TRUE(access->SetBlockRecord(block, k, record));
}

void KeyboardRig::SetMacros(std::vector<macros::MacroRecord> list) {
    auto access = store.Lock();
    access->macros = std::move(list);
}

std::vector<macros::MacroRecord> KeyboardRig::StoreMacros() {
    auto access = store.Lock();
    return access->macros;
}

}  // namespace qf::presenters::testing
