#include "keys/key_codes.h"

namespace qf::keys {

namespace {

constexpr KeyRow kEmptyRow{};

// The device code a usage is reported under, or 0 when no code stands for it.
std::uint8_t DeviceCodeOfUsage(DeviceUsage usage) {
    switch (usage.page) {
        case kPageKeyboard:
            // Device codes are 8 bits wide; a larger usage names no key.
            return usage.usage <= 0xFF ? static_cast<std::uint8_t>(usage.usage) : kDeviceCodeNone;
        case kPageSystemControl:
            return usage.usage >= kFirstSystemControlCode && usage.usage <= kLastSystemControlCode
                       ? static_cast<std::uint8_t>(usage.usage)
                       : kDeviceCodeNone;
        case kPageConsumer:
            for (std::size_t n = 0; n < kConsumerCodeTable.size(); ++n) {
                if (kConsumerCodeTable[n] == usage.usage) {
                    return static_cast<std::uint8_t>(kFirstConsumerCode + n);
                }
            }
            return kDeviceCodeNone;
        default:
            return kDeviceCodeNone;
    }
}

}  // namespace

const KeyRow& KeyRowAt(unsigned keyIndex) {
    return keyIndex < kKeyTable.size() ? kKeyTable[keyIndex] : kEmptyRow;
}

const KeyRow& KeyRowOf(ScanCode scan) {
    return KeyRowAt(ScanToKeyIndex(scan));
}

ScanCode ActionKeyCodeToScan(std::uint16_t code) {
    for (unsigned i = 0; i < kKeyTable.size(); ++i) {
        if (kKeyTable[i].actionCode == code) {
            return KeyIndexToScan(i);
        }
    }
    return kNoKey;
}

std::uint16_t ScanToActionKeyCode(ScanCode scan) {
    return KeyRowOf(scan).actionCode;
}

DeviceUsage ScanToDeviceUsage(ScanCode scan) {
    const std::uint8_t c = KeyRowOf(scan).deviceCode;
    if (c == kDeviceCodeNone || c == kDeviceCodeNoneAlt) {
        return {};
    }
    if (c >= kFirstSystemControlCode && c <= kLastSystemControlCode) {
        return {kPageSystemControl, c};
    }
    if (c >= kFirstConsumerCode && c <= kLastConsumerCode) {
        return {kPageConsumer, kConsumerCodeTable[c - kFirstConsumerCode]};
    }
    return {kPageKeyboard, c};
}

ScanCode DeviceUsageToScan(DeviceUsage usage) {
    // The first row wins: device code 0xE5 is "Right Shift" 0x036 (not 0x136), 0x48 is
    // "Pause" (not "Break"). Code 0 matches the empty row 0 and so gives no key.
    const std::uint8_t c = DeviceCodeOfUsage(usage);
    for (unsigned i = 0; i < kKeyTable.size(); ++i) {
        if (kKeyTable[i].deviceCode == c) {
            return KeyIndexToScan(i);
        }
    }
    return kNoKey;
}

ScanCode ModifierBitsToScan(std::uint8_t mask) {
    for (std::size_t bit = 0; bit < kModifierKeys.size(); ++bit) {
        if ((mask & (1u << bit)) != 0) {
            return kModifierKeys[bit];
        }
    }
    return kNoKey;
}

std::uint8_t ScanToModifierBit(ScanCode scan) {
    for (std::size_t bit = 0; bit < kModifierKeys.size(); ++bit) {
        if (kModifierKeys[bit] == scan) {
            return static_cast<std::uint8_t>(1u << bit);
        }
    }
    return 0;
}

ScanCode DeviceKeyRefToScan(DeviceKeyRef ref) {
    const auto wide = static_cast<std::uint16_t>(ref.b0 | (ref.b1 << 8));
    switch (ref.type) {
        case kRefKeyboard:
            return ref.b0 == kRefKeyboardUsage ? DeviceUsageToScan(kPageKeyboard, ref.b1)
                                               : ModifierBitsToScan(ref.b1);
        case kRefConsumer:
            return DeviceUsageToScan(kPageConsumer, wide);
        case kRefSystemControl:
            return DeviceUsageToScan(kPageSystemControl, wide);
        case kRefKeyboardSpecific:
            return ref.b0 == kRefSpecificMark ? static_cast<ScanCode>(kFirstSpecificScan + ref.b1)
                                              : kNoKey;
        default:
            return kNoKey;
    }
}

DeviceKeyRef ScanToDeviceKeyRef(ScanCode scan) {
    if (const std::uint8_t bit = ScanToModifierBit(scan); bit != 0) {
        return {kRefKeyboard, kRefKeyboardModifier, bit};
    }
    const DeviceUsage usage = ScanToDeviceUsage(scan);
    const auto lo = static_cast<std::uint8_t>(usage.usage & 0xFF);
    const auto hi = static_cast<std::uint8_t>(usage.usage >> 8);
    switch (usage.page) {
        case kPageKeyboard:
            return {kRefKeyboard, kRefKeyboardUsage, lo};
        case kPageConsumer:
            return {kRefConsumer, lo, hi};
        case kPageSystemControl:
            return {kRefSystemControl, lo, hi};
        default:
            return {};
    }
}

ScanCode VkToScan(std::uint8_t vk, std::uint32_t keystrokeWord) {
    const unsigned vkIndex = kVirtualKeyTable[vk];
    const ScanCode fromVk = KeyIndexToScan(vkIndex);
    const auto reported = static_cast<ScanCode>((keystrokeWord >> 16) & 0x1FF);
    // Right Shift comes with the generic Shift virtual key; its scan byte alone tells it apart.
    if (reported == 0x036) {
        return 0x036;
    }
    if (vk == kVkNone) {
        return reported;
    }
    if ((reported & 0xFF) == 0) {
        return fromVk;
    }
    // The reported scan code stands when its row knows this virtual key (as its own or as the
    // keypad's navigation key with Num Lock off), or when the virtual key's row has the same
    // scan byte (generic Ctrl/Alt/Shift virtual keys of the right-hand modifiers).
    const KeyRow& row = KeyRowOf(reported);
    if (row.vk == vk || row.altVk == vk) {
        return reported;
    }
    if ((reported & 0xFF) == vkIndex) {
        return reported;
    }
    return fromVk;
}

std::optional<std::size_t> MediaIndexOfScan(ScanCode scan) {
    for (std::size_t i = 0; i < kMediaKeyList.size(); ++i) {
        if (kMediaKeyList[i] == scan) {
            return i;
        }
    }
    return std::nullopt;
}

bool IsMediaKey(ScanCode scan) {
    return MediaIndexOfScan(scan).has_value();
}

std::optional<std::size_t> MediaIndexOfUsage(std::uint16_t usage) {
    for (std::size_t i = 0; i < kMediaUsageList.size(); ++i) {
        if (kMediaUsageList[i] == usage) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace qf::keys
