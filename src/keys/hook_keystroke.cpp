#include "keys/hook_keystroke.h"

#include <linux/input-event-codes.h>

#include <array>

namespace qf::keys {

namespace {

// Windows virtual keys used below.
constexpr std::uint8_t kVkCancel = 0x03;
constexpr std::uint8_t kVkShift = 0x10;
constexpr std::uint8_t kVkControl = 0x11;
constexpr std::uint8_t kVkMenu = 0x12;
constexpr std::uint8_t kVkSnapshot = 0x2C;
constexpr std::uint8_t kVkLShift = 0xA0;
constexpr std::uint8_t kVkRShift = 0xA1;
constexpr std::uint8_t kVkLControl = 0xA2;
constexpr std::uint8_t kVkRControl = 0xA3;
constexpr std::uint8_t kVkLMenu = 0xA4;
constexpr std::uint8_t kVkRMenu = 0xA5;

constexpr ScanCode kPrintScreenScan = 0x137;
constexpr ScanCode kSysReqScan = 0x054;
constexpr ScanCode kPauseScan = 0x045;
constexpr ScanCode kBreakScan = 0x146;

constexpr EvdevKey Key(std::uint16_t evdev, ScanCode scan, std::uint8_t vk) {
    return {evdev, scan, vk, 0, 0};
}
constexpr EvdevKey Keypad(std::uint16_t evdev, ScanCode scan, std::uint8_t vk,
                          std::uint8_t vkNumOff) {
    return {evdev, scan, vk, vkNumOff, 0};
}
constexpr EvdevKey Modifier(std::uint16_t evdev, ScanCode scan, std::uint8_t vk,
                            std::uint8_t llVk) {
    return {evdev, scan, vk, 0, llVk};
}

// evdev code -> the scan code and virtual key a Windows hook reports for the same key.
constexpr std::array kEvdevKeys = {
    Key(KEY_ESC, 0x001, 0x1B),
    Key(KEY_1, 0x002, 0x31),
    Key(KEY_2, 0x003, 0x32),
    Key(KEY_3, 0x004, 0x33),
    Key(KEY_4, 0x005, 0x34),
    Key(KEY_5, 0x006, 0x35),
    Key(KEY_6, 0x007, 0x36),
    Key(KEY_7, 0x008, 0x37),
    Key(KEY_8, 0x009, 0x38),
    Key(KEY_9, 0x00A, 0x39),
    Key(KEY_0, 0x00B, 0x30),
    Key(KEY_MINUS, 0x00C, 0xBD),
    Key(KEY_EQUAL, 0x00D, 0xBB),
    Key(KEY_BACKSPACE, 0x00E, 0x08),
    Key(KEY_TAB, 0x00F, 0x09),
    Key(KEY_Q, 0x010, 'Q'),
    Key(KEY_W, 0x011, 'W'),
    Key(KEY_E, 0x012, 'E'),
    Key(KEY_R, 0x013, 'R'),
    Key(KEY_T, 0x014, 'T'),
    Key(KEY_Y, 0x015, 'Y'),
    Key(KEY_U, 0x016, 'U'),
    Key(KEY_I, 0x017, 'I'),
    Key(KEY_O, 0x018, 'O'),
    Key(KEY_P, 0x019, 'P'),
    Key(KEY_LEFTBRACE, 0x01A, 0xDB),
    Key(KEY_RIGHTBRACE, 0x01B, 0xDD),
    Key(KEY_ENTER, 0x01C, 0x0D),
    Modifier(KEY_LEFTCTRL, 0x01D, kVkControl, kVkLControl),
    Key(KEY_A, 0x01E, 'A'),
    Key(KEY_S, 0x01F, 'S'),
    Key(KEY_D, 0x020, 'D'),
    Key(KEY_F, 0x021, 'F'),
    Key(KEY_G, 0x022, 'G'),
    Key(KEY_H, 0x023, 'H'),
    Key(KEY_J, 0x024, 'J'),
    Key(KEY_K, 0x025, 'K'),
    Key(KEY_L, 0x026, 'L'),
    Key(KEY_SEMICOLON, 0x027, 0xBA),
    Key(KEY_APOSTROPHE, 0x028, 0xDE),
    Key(KEY_GRAVE, 0x029, 0xC0),
    Modifier(KEY_LEFTSHIFT, 0x02A, kVkShift, kVkLShift),
    Key(KEY_BACKSLASH, 0x02B, 0xDC),
    Key(KEY_Z, 0x02C, 'Z'),
    Key(KEY_X, 0x02D, 'X'),
    Key(KEY_C, 0x02E, 'C'),
    Key(KEY_V, 0x02F, 'V'),
    Key(KEY_B, 0x030, 'B'),
    Key(KEY_N, 0x031, 'N'),
    Key(KEY_M, 0x032, 'M'),
    Key(KEY_COMMA, 0x033, 0xBC),
    Key(KEY_DOT, 0x034, 0xBE),
    Key(KEY_SLASH, 0x035, 0xBF),
    Modifier(KEY_RIGHTSHIFT, 0x036, kVkShift, kVkRShift),
    Key(KEY_KPASTERISK, 0x037, 0x6A),
    Modifier(KEY_LEFTALT, 0x038, kVkMenu, kVkLMenu),
    Key(KEY_SPACE, 0x039, 0x20),
    Key(KEY_CAPSLOCK, 0x03A, 0x14),
    Key(KEY_F1, 0x03B, 0x70),
    Key(KEY_F2, 0x03C, 0x71),
    Key(KEY_F3, 0x03D, 0x72),
    Key(KEY_F4, 0x03E, 0x73),
    Key(KEY_F5, 0x03F, 0x74),
    Key(KEY_F6, 0x040, 0x75),
    Key(KEY_F7, 0x041, 0x76),
    Key(KEY_F8, 0x042, 0x77),
    Key(KEY_F9, 0x043, 0x78),
    Key(KEY_F10, 0x044, 0x79),
    Key(KEY_NUMLOCK, 0x145, 0x90),
    Key(KEY_SCROLLLOCK, 0x046, 0x91),
    Keypad(KEY_KP7, 0x047, 0x67, 0x24),
    Keypad(KEY_KP8, 0x048, 0x68, 0x26),
    Keypad(KEY_KP9, 0x049, 0x69, 0x21),
    Key(KEY_KPMINUS, 0x04A, 0x6D),
    Keypad(KEY_KP4, 0x04B, 0x64, 0x25),
    Keypad(KEY_KP5, 0x04C, 0x65, 0x0C),
    Keypad(KEY_KP6, 0x04D, 0x66, 0x27),
    Key(KEY_KPPLUS, 0x04E, 0x6B),
    Keypad(KEY_KP1, 0x04F, 0x61, 0x23),
    Keypad(KEY_KP2, 0x050, 0x62, 0x28),
    Keypad(KEY_KP3, 0x051, 0x63, 0x22),
    Keypad(KEY_KP0, 0x052, 0x60, 0x2D),
    Keypad(KEY_KPDOT, 0x053, 0x6E, 0x2E),
    Key(KEY_102ND, 0x056, 0xE2),
    Key(KEY_F11, 0x057, 0x7A),
    Key(KEY_F12, 0x058, 0x7B),
    Key(KEY_RO, 0x073, 0xC1),
    Key(KEY_KATAKANAHIRAGANA, 0x070, kVkNone),
    Key(KEY_HENKAN, 0x079, kVkNone),
    Key(KEY_MUHENKAN, 0x07B, 0xEB),
    Key(KEY_KPENTER, 0x11C, 0x0D),
    Modifier(KEY_RIGHTCTRL, 0x11D, kVkControl, kVkRControl),
    Key(KEY_KPSLASH, 0x135, 0x6F),
    Key(KEY_SYSRQ, kPrintScreenScan, kVkSnapshot),
    Modifier(KEY_RIGHTALT, 0x138, kVkMenu, kVkRMenu),
    Key(KEY_HOME, 0x147, 0x24),
    Key(KEY_UP, 0x148, 0x26),
    Key(KEY_PAGEUP, 0x149, 0x21),
    Key(KEY_LEFT, 0x14B, 0x25),
    Key(KEY_RIGHT, 0x14D, 0x27),
    Key(KEY_END, 0x14F, 0x23),
    Key(KEY_DOWN, 0x150, 0x28),
    Key(KEY_PAGEDOWN, 0x151, 0x22),
    Key(KEY_INSERT, 0x152, 0x2D),
    Key(KEY_DELETE, 0x153, 0x2E),
    Key(KEY_MUTE, 0x120, 0xAD),
    Key(KEY_VOLUMEDOWN, 0x12E, 0xAE),
    Key(KEY_VOLUMEUP, 0x130, 0xAF),
    Key(KEY_POWER, 0x15E, kVkNone),
    Key(KEY_KPCOMMA, 0x07E, 0xC2),
    Key(KEY_HANGEUL, 0x072, kVkNone),
    Key(KEY_HANJA, 0x071, 0xE9),
    Key(KEY_YEN, 0x07D, kVkNone),
    Key(KEY_PAUSE, kPauseScan, 0x13),
    Key(KEY_LEFTMETA, 0x15B, kVkLeftWin),
    Key(KEY_RIGHTMETA, 0x15C, kVkRightWin),
    Key(KEY_COMPOSE, 0x15D, kVkApps),
    Key(KEY_STOP, 0x168, 0xA9),
    Key(KEY_CALC, 0x121, 0xB7),
    Key(KEY_SLEEP, 0x15F, 0x5F),
    Key(KEY_WAKEUP, 0x163, kVkNone),
    Key(KEY_FILE, 0x16B, 0xB6),
    Key(KEY_MAIL, 0x16C, 0xB4),
    Key(KEY_BOOKMARKS, 0x166, 0xAB),
    Key(KEY_COMPUTER, 0x16B, 0xB6),
    Key(KEY_BACK, 0x16A, 0xA6),
    Key(KEY_FORWARD, 0x169, 0xA7),
    Key(KEY_NEXTSONG, 0x119, 0xB0),
    Key(KEY_PLAYPAUSE, 0x122, 0xB3),
    Key(KEY_PREVIOUSSONG, 0x110, 0xB1),
    Key(KEY_STOPCD, 0x124, 0xB2),
    Key(KEY_CONFIG, 0x16D, 0xB5),
    Key(KEY_HOMEPAGE, 0x132, 0xAC),
    Key(KEY_REFRESH, 0x167, 0xA8),
    Key(KEY_F13, 0x064, 0x7C),
    Key(KEY_SEARCH, 0x165, 0xAA),
    Key(KEY_MEDIA, 0x16D, 0xB5),
};

struct Resolved {
    ScanCode scan;
    std::uint8_t vk;
    std::uint8_t llVk;
};

// Applies the lock and modifier state: keypad navigation keys, Break, Sys Req.
Resolved Resolve(const EvdevKey& key, HookKeyState state) {
    Resolved r{key.scan, key.vk, key.llVk != 0 ? key.llVk : key.vk};
    if (!state.numLock && key.vkNumOff != 0) {
        r.vk = r.llVk = key.vkNumOff;
    }
    if (key.scan == kPauseScan && state.ctrl) {
        r = {kBreakScan, kVkCancel, kVkCancel};
    }
    if (key.scan == kPrintScreenScan && state.alt) {
        r.scan = kSysReqScan;
    }
    return r;
}

}  // namespace

std::span<const EvdevKey> EvdevKeys() {
    return kEvdevKeys;
}

const EvdevKey* FindEvdevKey(std::uint16_t evdevCode) {
    for (const EvdevKey& key : kEvdevKeys) {
        if (key.evdev == evdevCode) {
            return &key;
        }
    }
    return nullptr;
}

std::optional<std::uint16_t> EvdevFromNativeKeycode(std::uint32_t nativeKeycode) {
    if (nativeKeycode < kNativeKeycodeOffset || nativeKeycode - kNativeKeycodeOffset > KEY_MAX) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(nativeKeycode - kNativeKeycodeOffset);
}

std::optional<HookKeystroke> TranslateEvdev(std::uint16_t evdevCode, bool pressed, bool autoRepeat,
                                            HookKeyState state) {
    const EvdevKey* key = FindEvdevKey(evdevCode);
    if (key == nullptr) {
        return std::nullopt;
    }
    const Resolved r = Resolve(*key, state);
    // The system keeps the press of Print Screen (and Sys Req) to itself.
    if (pressed && (r.scan == kPrintScreenScan || r.scan == kSysReqScan)) {
        return std::nullopt;
    }
    std::uint32_t word = 1u | KeystrokeScanBits(r.scan);
    if (state.alt) {
        word |= kKeystrokeAltDownBit;
    }
    if (!pressed) {
        word |= kKeystrokeWasDownBit | kKeystrokeReleaseBit;
    } else if (autoRepeat) {
        word |= kKeystrokeWasDownBit;
    }
    return HookKeystroke{r.vk, word};
}

std::optional<LowLevelKeyMessage> TranslateEvdevLowLevel(std::uint16_t evdevCode, bool pressed,
                                                         HookKeyState state) {
    const EvdevKey* key = FindEvdevKey(evdevCode);
    if (key == nullptr) {
        return std::nullopt;
    }
    const Resolved r = Resolve(*key, state);
    LowLevelKeyMessage msg;
    if (state.alt) {
        msg.message = pressed ? kWmSysKeyDown : kWmSysKeyUp;
    } else {
        msg.message = pressed ? kWmKeyDown : kWmKeyUp;
    }
    msg.vkCode = r.llVk;
    msg.scanCode = r.scan & 0xFFu;
    msg.flags = ((r.scan & 0x100) != 0 ? kLlkhfExtended : 0u) | (state.alt ? kLlkhfAltDown : 0u) |
                (pressed ? 0u : kLlkhfUp);
    return msg;
}

}  // namespace qf::keys
