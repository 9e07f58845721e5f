#include "macros/macro_image.h"

#include <algorithm>
#include <cstring>

namespace qf::macros {

namespace {

std::size_t BlockSize(const MacroRecord& record, bool names) {
    return kImageBlockHeaderSize + kImageActionSize * record.UsedActions() +
           (names ? 2 * record.NameView().size() : 0);
}

}  // namespace

ImageSizes MacroImageSizes(std::span<const MacroRecord> list) {
    // 100 macros of 2000 actions and 249-unit names stay far below 32 bits.
    std::size_t with = kImageHeaderSize + 2 * list.size();
    std::size_t without = with;
    for (const MacroRecord& record : list) {
        with += BlockSize(record, true);
        without += BlockSize(record, false);
    }
    return {static_cast<std::uint32_t>(with), static_cast<std::uint32_t>(without)};
}

std::array<std::uint8_t, kImageActionSize> EncodeImageAction(const MacroAction& action) {
    keys::DeviceKeyRef ref = keys::ScanToDeviceKeyRef(action.scan);
    switch (ref.type) {
        case kKeyTypeKeyboard:
        case kKeyTypeConsumer:
        case kKeyTypeSystem:
            break;
        default:
            ref = keys::DeviceKeyRef{};  // no usage: type 0, both bytes 0
            break;
    }
    const auto units = static_cast<std::uint16_t>(DeviceDelayMs(action.delay) / kImageDelayUnitMs);
    std::uint16_t word = static_cast<std::uint16_t>(units & kImageDelayMask);
    word = static_cast<std::uint16_t>(word | (ref.type << kImageTypeShift));
    if (action.state != kActionRelease) {
        word = static_cast<std::uint16_t>(word | kImagePressBit);
    }
    std::array<std::uint8_t, kImageActionSize> out{};
    WriteLe16(out.data(), word);
    out[2] = ref.b0;
    out[3] = ref.b1;
    return out;
}

int BuildMacroImage(std::span<const MacroRecord> list, MutableByteSpan buffer, std::size_t size,
                    bool names) {
    if (list.size() > kMaxMacros) {
        return 0;
    }
    const ImageSizes sizes = MacroImageSizes(list);
    const std::size_t needed = names ? sizes.withNames : sizes.withoutNames;
    if (size < needed || size > buffer.size() || size > kMaxMacroImageSize) {
        return 0;
    }
    std::uint8_t* p = buffer.data();
    std::memset(p, 0, kImageHeaderSize);
    WriteLe16(p + kImageMagicOffset, kMacroImageMagic);
    WriteLe16(p + kImageSizeOffset, static_cast<std::uint16_t>(size));
    WriteLe16(p + kImageCountOffset, static_cast<std::uint16_t>(list.size()));
    WriteLe16(p + kImageNamesOffset, names ? 1 : 0);

    std::size_t offset = kImageHeaderSize + 2 * list.size();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const MacroRecord& record = list[i];
        WriteLe16(p + kImageHeaderSize + 2 * i, static_cast<std::uint16_t>(offset));
        std::uint8_t* block = p + offset;
        const std::size_t actions = record.UsedActions();
        const std::u16string_view name = names ? record.NameView() : std::u16string_view{};
        WriteLe16(block, static_cast<std::uint16_t>(actions));
        block[2] = record.repeatCount;
        block[3] = static_cast<std::uint8_t>(name.size());
        std::uint8_t* at = block + kImageBlockHeaderSize;
        for (std::size_t j = 0; j < actions; ++j, at += kImageActionSize) {
            const auto encoded = EncodeImageAction(record.actions[j]);
            std::memcpy(at, encoded.data(), encoded.size());
        }
        for (char16_t unit : name) {
            WriteLe16(at, static_cast<std::uint16_t>(unit));
            at += 2;
        }
        offset += BlockSize(record, names);
    }
    return 1;
}

ImageReadResult MacroImageToRecords(ByteSpan image, std::u16string_view prefix) {
    ImageReadResult out;
    std::uint16_t magic = 0;
    std::uint16_t declared = 0;
    std::uint16_t count = 0;
    if (!TryReadLe16(image, kImageMagicOffset, magic) || magic != kMacroImageMagic ||
        !TryReadLe16(image, kImageSizeOffset, declared) ||
        !TryReadLe16(image, kImageCountOffset, count) || image.size() < kImageHeaderSize) {
        return out;
    }
    // A header that claims fewer bytes than were read bounds the image.
    if (declared < image.size()) {
        image = image.first(declared);
    }
    const std::size_t table = kImageHeaderSize + 2 * std::size_t{count};
    if (count > kMaxMacros || image.size() < table) {
        return out;
    }

    out.records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        MacroRecord record;
        record.id = static_cast<std::uint16_t>(i + 1);
        record.newMark = 0;
        record.playMode = 0;
        record.actionCount = 0;
        bool damaged = false;
        bool named = false;

        const std::size_t offset = ReadLe16(image.data() + kImageHeaderSize + 2 * i);
        if (offset < table || offset > image.size() ||
            image.size() - offset < kImageBlockHeaderSize) {
            damaged = true;
        } else {
            const std::uint8_t* block = image.data() + offset;
            const std::size_t actions = ReadLe16(block);
            const std::size_t nameUnits = block[3];
            const std::size_t room = image.size() - offset - kImageBlockHeaderSize;
            record.repeatCount = block[2];
            if (actions > kMaxMacroActions || room < actions * kImageActionSize) {
                damaged = true;
            } else {
                const std::uint8_t* at = block + kImageBlockHeaderSize;
                for (std::size_t j = 0; j < actions; ++j, at += kImageActionSize) {
                    const std::uint16_t word = ReadLe16(at);
                    MacroAction& action = record.actions[j];
                    action.delay = (word & kImageDelayMask) * kImageDelayUnitMs;
                    const keys::DeviceKeyRef ref{
                        static_cast<std::uint8_t>((word >> kImageTypeShift) & kImageTypeMask),
                        at[2], at[3]};
                    action.scan = keys::DeviceKeyRefToScan(ref);
                    action.state = (word & kImagePressBit) != 0 ? kActionPress : kActionRelease;
                }
                record.actionCount = static_cast<std::uint16_t>(actions);
                if (nameUnits != 0) {
                    if (room - actions * kImageActionSize < 2 * nameUnits) {
                        damaged = true;
                    } else {
                        std::u16string name(std::min(nameUnits, kMacroNameMaxChars), u'\0');
                        for (std::size_t u = 0; u < name.size(); ++u) {
                            name[u] = static_cast<char16_t>(ReadLe16(at + 2 * u));
                        }
                        record.SetName(name);
                        named = true;
                    }
                }
            }
        }
        if (!named) {
            record.SetName(NumberedName(prefix, static_cast<unsigned>(i + 1)));
        }
        if (damaged) {
            ++out.damagedMacros;
        }
        out.records.push_back(record);
    }
    out.result = 1;
    return out;
}

}  // namespace qf::macros
