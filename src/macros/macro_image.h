// The keyboard's macro memory image: how a macro list is packed for the keyboard and read back.
//
//   0   u16 0x55AA          8   8 reserved bytes (written 0)
//   2   u16 total size      16  n x u16 offset of each macro block from the image start
//   4   u16 macro count n   16 + 2n  the macro blocks, back to back
//   6   u16 names flag
//
// Macro block: u16 action count a, u8 repeat count, u8 name length L (0 without names),
// a x 4-byte actions, then L UTF-16 units of name with names.
// Action: u16 word (bits 0-11 delay / 10, bits 12-14 key type, bit 15 press), then b0, b1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "keys/key_codes.h"
#include "macros/macro_record.h"

namespace qf::macros {

inline constexpr std::uint16_t kMacroImageMagic = 0x55AA;
inline constexpr std::size_t kImageMagicOffset = 0;
inline constexpr std::size_t kImageSizeOffset = 2;
inline constexpr std::size_t kImageCountOffset = 4;
inline constexpr std::size_t kImageNamesOffset = 6;
inline constexpr std::size_t kImageHeaderSize = 16;
inline constexpr std::size_t kImageBlockHeaderSize = 4;
inline constexpr std::size_t kImageActionSize = 4;
// The image's size and offsets are 16-bit.
inline constexpr std::size_t kMaxMacroImageSize = 0xFFFF;

inline constexpr std::uint16_t kImageDelayMask = 0x0FFF;
inline constexpr unsigned kImageTypeShift = 12;
inline constexpr std::uint16_t kImageTypeMask = 7;
inline constexpr std::uint16_t kImagePressBit = 0x8000;
inline constexpr std::int32_t kImageDelayUnitMs = 10;

// Key types of an action.
inline constexpr std::uint8_t kKeyTypeNone = keys::kRefNone;
inline constexpr std::uint8_t kKeyTypeKeyboard = keys::kRefKeyboard;
inline constexpr std::uint8_t kKeyTypeConsumer = keys::kRefConsumer;
inline constexpr std::uint8_t kKeyTypeSystem = keys::kRefSystemControl;

struct ImageSizes {
    std::uint32_t withNames = 0;
    std::uint32_t withoutNames = 0;
};

// The image sizes of a macro list: 16 + 2n + the sum of (4 + 4a + 2 x name length), the name
// terms dropped for the size without names.
[[nodiscard]] ImageSizes MacroImageSizes(std::span<const MacroRecord> list);

// Encodes one action: the word (delay, key type, press bit) and the key reference bytes from
// the key tables (ScanToDeviceKeyRef; keys without a keyboard, consumer or system-control usage
// give type 0 and both bytes 0). Delays beyond the keyboard's 12 bits are clamped
// (DeviceDelayMs) rather than wrapped.
[[nodiscard]] std::array<std::uint8_t, kImageActionSize> EncodeImageAction(
    const MacroAction& action);

// Builds the image of `list` in the first `size` bytes of `buffer`: 0x55AA, the size, the
// count and the names flag, bytes 8-15 zero, the offset table and the blocks. Returns 1, or 0
// (nothing written) when the list has more than 100 macros, or `size` is smaller than the image,
// larger than the buffer, or beyond the 16-bit size field.
[[nodiscard]] int BuildMacroImage(std::span<const MacroRecord> list, MutableByteSpan buffer,
                                  std::size_t size, bool names);

// What reading an image gave.
struct ImageReadResult {
    // 1 decoded (possibly with damaged macros emptied); 0 refused: no magic, a header or
    // offset table beyond the bytes, or more than 100 macros.
    int result = 0;
    std::vector<MacroRecord> records;
    // Macros whose block lay outside the image or had more than 2000 actions: they keep their
    // position (key maps refer to macros by position) with no actions.
    std::size_t damagedMacros = 0;
};

// Reads the macro records of an image: ids are positions + 1, new mark and play mode 0, names
// from the image or `prefix` + position + 1, keys from DeviceKeyRefToScan. Every offset and count
// is checked against the bytes of `image` (and against the size in its header when that is
// smaller).
[[nodiscard]] ImageReadResult MacroImageToRecords(ByteSpan image, std::u16string_view prefix);

}  // namespace qf::macros
