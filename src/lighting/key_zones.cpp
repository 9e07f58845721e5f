#include "lighting/key_zones.h"

#include <array>

namespace qf::lighting {

namespace {

constexpr KeyButtonId K(keys::ScanCode scan) {
    return KeyButtonId::Key(scan);
}
constexpr KeyButtonId G(int number) {
    return KeyButtonId::GKey(number);
}

// Left to right across the keyboard. Scan codes: set-1 make codes, 0x100 for extended keys.
// clang-format off
constexpr std::array kZone1 = {
    G(1), G(2), G(3), G(4), G(5), G(6),
    K(0x001),                                // Esc
    K(0x029),                                // `~
    K(0x00F),                                // Tab
    K(0x03A),                                // CapsLock
    K(0x02A),                                // left Shift
    K(0x01D),                                // left Ctrl
    K(0x002),                                // 1!
    K(0x010),                                // Q
    K(0x01E),                                // A
    K(0x056),                                // the extra ISO key K45
    K(0x15B),                                // left Win
};

constexpr std::array kZone2 = {
    K(0x03B), K(0x03C), K(0x03D), K(0x03E),  // F1..F4
    K(0x003), K(0x004), K(0x005), K(0x006),  // 2@ 3# 4$ 5%
    K(0x011), K(0x012), K(0x013), K(0x014),  // W E R T
    K(0x01F), K(0x021), K(0x020), K(0x022),  // S F D G
    K(0x02C), K(0x02D), K(0x02E), K(0x02F),  // Z X C V
    K(0x038),                                // left Alt
};

constexpr std::array kZone3 = {
    K(0x03F), K(0x040), K(0x041),  // F5 F6 F7
    K(0x007), K(0x008), K(0x009),  // 6^ 7& 8*
    K(0x015), K(0x016), K(0x017),  // Y U I
    K(0x023), K(0x024), K(0x025),  // H J K
    K(0x030), K(0x031), K(0x032),  // B N M
    K(0x039),                      // Space
};

constexpr std::array kZone4 = {
    K(0x042),          K(0x043), K(0x044),  // F8 F9 F10
    K(0x018),          K(0x019), K(0x01A),  // O P [{
    K(0x026),          K(0x027), K(0x028),  // L ;: '"
    K(0x00B),          K(0x00A), K(0x00C),  // 0) 9( -_
    K(0x033),          K(0x034), K(0x035),  // ,< .> /?
    K(0x138),                               // right Alt
    KeyButtonId::Fn(),
};

constexpr std::array kZone5 = {
    K(0x057), K(0x058),                      // F11 F12
    K(0x00D), K(0x00E), K(0x01B), K(0x01C),  // =+ Backspace ]} Enter
    K(0x02B), K(0x036), K(0x15D), K(0x11D),  // \| right Shift, App, right Ctrl
    K(0x137), K(0x046),                      // Print, Scroll
    K(0x152), K(0x147), K(0x153), K(0x14F),  // Insert Home Delete End
    K(0x148), K(0x150), K(0x14B),            // Up Down Left
};

constexpr std::array kZone6 = {
    K(0x045), K(0x149), K(0x151), K(0x14D),  // Pause, Page Up, Page Down, Right
    K(0x04F), K(0x050), K(0x051),            // keypad 1 2 3
    K(0x04B), K(0x04C), K(0x04D),            // keypad 4 5 6
    K(0x047), K(0x048), K(0x049),            // keypad 7 8 9
    K(0x052), K(0x145), K(0x11C), K(0x053),  // keypad 0, Num, keypad Enter, keypad .
    K(0x135), K(0x037), K(0x04A), K(0x04E),  // keypad / * - +
};

// clang-format on

constexpr std::array<std::span<const KeyButtonId>, kLastZone> kZones = {
    kZone1, kZone2, kZone3, kZone4, kZone5, kZone6,
};

}  // namespace

int ZoneOf(KeyButtonId button) {
    for (int zone = kFirstZone; zone <= kLastZone; ++zone) {
        for (const KeyButtonId& member : kZones[static_cast<std::size_t>(zone - 1)]) {
            if (member == button) {
                return zone;
            }
        }
    }
    return kNoZone;
}

std::span<const KeyButtonId> ButtonsOfZone(int zone) {
    if (zone < kFirstZone || zone > kLastZone) {
        return {};
    }
    return kZones[static_cast<std::size_t>(zone - 1)];
}

}  // namespace qf::lighting
