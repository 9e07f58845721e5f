#include "keys/keymap_image.h"

#include <algorithm>

#include "keys/catalogues.h"

namespace qf::keys {

namespace {

constexpr DeviceKeyRef kNoFunctionEntry{kRefNone, 0, 0};
constexpr DeviceKeyRef kStopMacroEntry{kRefAction, kRefActionStopMacro, 0};

std::uint16_t KindValue(KeyKind kind) {
    return static_cast<std::uint16_t>(kind);
}

// Kind and value of a record whose position holds `entry` instead of its default entry.
void DecodeEntry(DeviceKeyRef entry, KeyRecord& record) {
    record.kind = KindValue(KeyKind::Disabled);
    record.value = 0;
    switch (entry.type) {
        case kRefAction:
            if (entry.b0 == kRefActionPlayMacro) {
                // Macro memory positions count from 0, macro ids from 1.
                record.kind = KindValue(KeyKind::Macro);
                record.value = std::uint32_t{entry.b1} + 1;
            } else if (entry.b0 == kRefActionStopMacro) {
                record.kind = KindValue(KeyKind::StopMacro);
            } else if (entry.b0 == kRefActionFunction) {
                record.kind = KindValue(KeyKind::Function);
                record.value = entry.b1;
            }
            break;
        case kRefConsumer:
            if (const auto index = MediaIndexFromKeymapEntry(entry)) {
                record.kind = KindValue(KeyKind::Media);
                record.value = *index;
            }
            break;
        case kRefKeyboard:
            if (entry.b0 == kRefKeyboardUsage) {
                if (const ScanCode target = DeviceUsageToScan(kPageKeyboard, entry.b1);
                    target != kNoKey) {
                    record.kind = KindValue(KeyKind::Key);
                    record.value = target;
                }
            } else if (entry.b0 == kRefKeyboardModifier) {
                record.kind = KindValue(KeyKind::Key);
                record.value = ModifierBitsToScan(entry.b1);
            }
            break;
        default:
            break;
    }
}

// The entry a record gives the key whose default entry is `defaultEntry`.
DeviceKeyRef EncodeRecord(const KeyRecord& record, DeviceKeyRef defaultEntry,
                          const MacroPositionOf& macroPosition) {
    switch (record.keyKind()) {
        case KeyKind::Default:
        case KeyKind::Program:
            return defaultEntry;
        case KeyKind::Disabled:
        case KeyKind::Text:
            return kNoFunctionEntry;
        case KeyKind::Key: {
            const auto target = static_cast<ScanCode>(record.value);
            if (record.value <= 0xFFFF) {
                if (const std::uint8_t bit = ScanToModifierBit(target); bit != 0) {
                    return {kRefKeyboard, kRefKeyboardModifier, bit};
                }
            }
            const DeviceUsage usage =
                record.value <= 0xFFFF ? ScanToDeviceUsage(target) : DeviceUsage{};
            const auto u = static_cast<std::uint8_t>(usage.page == kPageKeyboard ? usage.usage : 0);
            return {kRefKeyboard, kRefKeyboardUsage, u};
        }
        case KeyKind::Macro: {
            // A macro that is no longer in the list keeps the key's default function rather
            // than playing whatever macro sits at position 0.
            const auto position =
                macroPosition ? macroPosition(record.value) : std::optional<std::size_t>{};
            if (!position || *position > 0xFF) {
                return defaultEntry;
            }
            return {kRefAction, kRefActionPlayMacro, static_cast<std::uint8_t>(*position)};
        }
        case KeyKind::StopMacro:
            return kStopMacroEntry;
        case KeyKind::Media:
            // An index outside the catalogue has no usage to write: the default stays.
            return MediaKeymapEntry(record.value).value_or(defaultEntry);
        case KeyKind::Function:
            return FunctionKeymapEntry(record.value);
        default:
            return defaultEntry;
    }
}

}  // namespace

DeviceKeyRef KeymapEntry(const KeymapImage& image, std::size_t position) {
    if (position >= kKeymapPositions) {
        return {};
    }
    const std::size_t at = position * kKeymapEntrySize;
    return {image[at], image[at + 1], image[at + 2]};
}

void SetKeymapEntry(KeymapImage& image, std::size_t position, DeviceKeyRef entry) {
    if (position >= kKeymapPositions) {
        return;
    }
    const std::size_t at = position * kKeymapEntrySize;
    image[at] = entry.type;
    image[at + 1] = entry.b0;
    image[at + 2] = entry.b1;
}

std::optional<std::size_t> PositionRecord(const KeymapImage& defaults, std::size_t position) {
    const ScanCode scan = DeviceKeyRefToScan(KeymapEntry(defaults, position));
    if (scan == kNoKey) {
        return std::nullopt;
    }
    const std::size_t record = ScanToKeyIndex(scan);
    if (record >= kRecordsPerBlock) {
        return std::nullopt;
    }
    return record;
}

int KeymapImageToKeyBlock(const KeymapImage& image, const KeymapImage& defaults,
                          MutableByteSpan block) {
    if (block.size() != kKeyBlockSize) {
        return 0;
    }
    std::fill(block.begin(), block.end(), std::uint8_t{0});
    for (unsigned g = 1; g <= kGKeysPerBank; ++g) {
        KeyRecord a;
        a.extra = static_cast<std::uint16_t>(kGCodeBankA + g);
        a.Write(block.data() + GRecordIndex(0, g) * kKeyRecordSize);
        KeyRecord b;
        b.extra = static_cast<std::uint16_t>(kGCodeBankB + g);
        b.Write(block.data() + GRecordIndex(1, g) * kKeyRecordSize);
    }
    for (std::size_t p = 0; p < kKeymapPositions; ++p) {
        const DeviceKeyRef entry = KeymapEntry(image, p);
        if (entry == KeymapEntry(defaults, p)) {
            continue;
        }
        const auto r = PositionRecord(defaults, p);
        if (!r) {
            continue;
        }
        std::uint8_t* at = block.data() + *r * kKeyRecordSize;
        KeyRecord record = KeyRecord::Read(at);
        DecodeEntry(entry, record);
        record.Write(at);
    }
    return 1;
}

int KeyBlockToKeymapImage(ByteSpan block, const KeymapImage& defaults,
                          const MacroPositionOf& macroPosition, KeymapImage& out) {
    if (block.size() != kKeyBlockSize) {
        return 0;
    }
    KeymapImage image = defaults;
    for (std::size_t p = 0; p < kKeymapPositions; ++p) {
        const auto r = PositionRecord(defaults, p);
        if (!r) {
            continue;
        }
        const KeyRecord record = KeyRecord::Read(block.data() + *r * kKeyRecordSize);
        SetKeymapEntry(image, p, EncodeRecord(record, KeymapEntry(defaults, p), macroPosition));
    }
    out = image;
    return 1;
}

}  // namespace qf::keys
