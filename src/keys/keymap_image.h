// Conversions between a profile's key block (512 key records) and the keyboard's keymap image
// (512 bytes: 160 three-byte entries for the key positions 0..159, then 32 bytes).
//
// The default keymap tells which key sits at each position: the key at position p is
// DeviceKeyRefToScan of default entry p, and its record is ScanToKeyIndex of that scan code.
// A position whose default entry names no key holds no assignable key and keeps its default
// entry. Entries of an image:
//
//   00 00 00  no function            05 01 n  play the macro at position n of the macro memory
//   02 01 m   modifier mask m        05 02 00 stop the macro that is playing
//   02 02 u   keyboard-page usage u  05 05 v  keyboard function v
//   03 lo hi  consumer usage         other    keyboard-specific, kept as the default has it
//   04 lo hi  system-control usage
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "common/bytes.h"
#include "keys/default_keymap.h"
#include "keys/key_codes.h"
#include "keys/key_record.h"

namespace qf::keys {

inline constexpr std::size_t kKeymapPositions = 160;
inline constexpr std::size_t kKeymapEntrySize = 3;
// Bytes 480..511 follow the entries; they are always the default keymap's.
inline constexpr std::size_t kKeymapTailOffset = kKeymapPositions * kKeymapEntrySize;
static_assert(kKeymapTailOffset == 480);

// Entry p of an image (p < 160).
DeviceKeyRef KeymapEntry(const KeymapImage& image, std::size_t position);
void SetKeymapEntry(KeymapImage& image, std::size_t position, DeviceKeyRef entry);

// The record number, inside a key block, of the key at `position` by the default keymap, or
// nothing when the position holds no assignable key.
std::optional<std::size_t> PositionRecord(const KeymapImage& defaults, std::size_t position);

// Fills a key block (8192 bytes) from a keymap image: every record zeroed, the G codes in the
// extra field of records 256..273, then each position that differs from its default entry gives
// its key's record the kind and value the entry stands for (kind 1 for an entry the system does
// not know). Returns 1, or 0 with the block untouched when it is not 8192 bytes.
[[nodiscard]] int KeymapImageToKeyBlock(const KeymapImage& image, const KeymapImage& defaults,
                                        MutableByteSpan block);

// The position (0-based) in the macro list of the macro with an id, or nothing when no macro
// has it.
using MacroPositionOf = std::function<std::optional<std::size_t>(std::uint32_t id)>;

// Builds the keymap image of a key block (8192 bytes) on top of the default keymap. Kinds with
// nothing the keyboard can hold write the key's default entry: kind 0 and 3, a macro that is no
// longer in the list, a media index outside the catalogue and any unknown kind. Returns 1, or 0
// with `out` untouched when the block is not 8192 bytes.
[[nodiscard]] int KeyBlockToKeymapImage(ByteSpan block, const KeymapImage& defaults,
                                        const MacroPositionOf& macroPosition, KeymapImage& out);

}  // namespace qf::keys
