// The profile file: the on-disk form of the profile store, used for .fwc files and for the
// profile cache file alike.
//
//   0                      32832 bytes   main block: header, device id record, four key blocks
//   32832                  count x 16512 macro records in list order
//   32832 + count x 16512  string bytes  string area (UTF-16LE strings of kind 3 and 6 records)
//
// This header holds the layout constants, the store's contents as a plain value, and the pure
// conversions between contents and file bytes. Locking and files on disk are profile_store.h's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "device/memory_layout.h"
#include "keys/key_record.h"
#include "macros/macro_record.h"

namespace qf::profiles {

// Names of the profile folder and the cache file.
inline constexpr const char* kProfileFolderName = "Quillfen_09A";
inline constexpr const char* kProfileCacheNameFormat = "$Profile%d";
inline constexpr int kProfileCacheNumber = 0;
inline constexpr const char* kProfileFileExtension = ".fwc";
// Number of on-board profiles.
inline constexpr int kOnBoardProfiles = static_cast<int>(device::kProfileCount);

// Language keys of this module and their built-in wording.
inline constexpr const char* kProfileFormatErrorKey = "PROFILE_FORMAT_ERROR";
inline constexpr const char* kProfileFormatErrorDefault =
    "wrong file format, revert to the default values: \n  %s";

// Layout of the file.
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kDeviceIdRecordOffset = 32;
inline constexpr std::size_t kDeviceIdRecordSize = 32;
inline constexpr std::size_t kKeyBlocksOffset = 64;
inline constexpr std::size_t kKeyBlockCount = 4;
// Blocks 0..2 are the on-board profiles, one per keymap block of the keyboard.
inline constexpr std::size_t kDeviceKeyBlockCount = device::kKeymapBlockCount;
inline constexpr std::size_t kKeyRecordCount = kKeyBlockCount * keys::kRecordsPerBlock;  // 2048
inline constexpr std::size_t kMainBlockSize =
    kKeyBlocksOffset + kKeyRecordCount * keys::kKeyRecordSize;
static_assert(kMainBlockSize == 32832);
static_assert(kDeviceIdRecordOffset + kDeviceIdRecordSize == kKeyBlocksOffset);
inline constexpr std::size_t kStringSlotCount = kKeyRecordCount;

// Header fields (offsets inside the main block) and the values written.
inline constexpr std::size_t kHdrMagic = 0;         // u16
inline constexpr std::size_t kHdrHeaderSize = 2;    // u16
inline constexpr std::size_t kHdrVersionA = 4;      // u16
inline constexpr std::size_t kHdrVersionB = 6;      // u16
inline constexpr std::size_t kHdrTotalSize = 8;     // u32
inline constexpr std::size_t kHdrRecordCount = 12;  // u16
inline constexpr std::size_t kHdrMacroCount = 14;   // u16
inline constexpr std::size_t kHdrStringBytes = 16;  // u32
inline constexpr std::size_t kHdrReserved20 = 20;   // u32
inline constexpr std::size_t kHdrReserved24 = 24;   // u32
inline constexpr std::size_t kHdrReserved28 = 28;   // u16
inline constexpr std::size_t kHdrFlag = 30;         // u8
inline constexpr std::size_t kHdrChecksum = 31;     // u8
inline constexpr std::uint16_t kMagic = 0x4446;
inline constexpr std::uint16_t kVersionA = 3;
inline constexpr std::uint16_t kVersionB = 1;
inline constexpr std::uint8_t kMaxFlag = 1;
// Files of 4 GiB or more are refused before they are read.
inline constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFull;
// The bytes a loader gives records that read a string another record has read already (each
// record keeps a copy): a thousand program paths of the longest kind and more, while a file
// that points all 2048 records at one huge string cannot claim gigabytes.
inline constexpr std::size_t kSharedStringAllowance = 16u * 1024u * 1024u;

// The fixed device id record of a new main block.
inline constexpr std::array<std::uint32_t, 8> kDeviceIdRecord = {
    0x0020484Bu, 0x00008020u, 0x02000004u, 0u, 0x65230C45u, 0x000E1C4Fu, 0u, 0u};

// Offsets inside a key record that the store relies on.
inline constexpr std::size_t kRecordKindOffset = 0;
inline constexpr std::size_t kRecordExtraOffset = 2;
inline constexpr std::size_t kRecordValueOffset = 4;

// The kinds whose record carries a string in its string-table slot.
constexpr bool KindHasString(std::uint16_t kind) {
    return kind == static_cast<std::uint16_t>(keys::KeyKind::Program) ||
           kind == static_cast<std::uint16_t>(keys::KeyKind::Text);
}

// Byte length of a slot's string in files and in the string total: characters plus terminator,
// two bytes each.
constexpr std::uint32_t StringByteLength(std::size_t chars) {
    return static_cast<std::uint32_t>((chars + 1) * 2);
}

// The string table: slot n belongs to key record n. A slot holds no string or one string (which
// may be empty and then still takes the 2 bytes of its terminator).
class StringTable {
public:
    StringTable() : slots_(kStringSlotCount) {}

    bool Has(std::size_t slot) const { return slot < slots_.size() && slots_[slot].has_value(); }
    // The slot's string, or an empty view when it has none.
    std::u16string_view Get(std::size_t slot) const;
    // Stores `text` up to its first NUL. Returns false for a slot number out of range.
    bool Set(std::size_t slot, std::u16string_view text);
    void Clear(std::size_t slot);
    void ClearAll();
    // Byte length of the slot, terminator included; 0 when it holds no string.
    std::uint32_t ByteLength(std::size_t slot) const;
    // Sum of the byte lengths of all slots.
    std::uint32_t Total() const { return total_; }

    bool operator==(const StringTable&) const = default;

private:
    std::vector<std::optional<std::u16string>> slots_;
    std::uint32_t total_ = 0;
};

// Everything a profile store holds: the main block, the macro list and the string table. The
// main block is empty only after FreeContents.
struct StoreContents {
    std::vector<std::uint8_t> mainBlock;
    std::vector<macros::MacroRecord> macros;
    StringTable strings;

    bool HasMainBlock() const { return mainBlock.size() == kMainBlockSize; }

    // Key record n (0..2047) of the main block; record k of block b is n = b * 512 + k.
    // Reading a record out of range, or without a main block, gives a zero record; writing one
    // does nothing and returns false.
    keys::KeyRecord Record(std::size_t n) const;
    bool SetRecord(std::size_t n, const keys::KeyRecord& record);
    keys::KeyRecord BlockRecord(std::size_t block, std::size_t k) const {
        return Record(block * keys::kRecordsPerBlock + k);
    }
    bool SetBlockRecord(std::size_t block, std::size_t k, const keys::KeyRecord& record) {
        return SetRecord(block * keys::kRecordsPerBlock + k, record);
    }
    // The 8192 bytes of key block b (0..3); empty when out of range or without a main block.
    ByteSpan KeyBlock(std::size_t block) const;
    MutableByteSpan MutableKeyBlock(std::size_t block);

    // Empties the string table, the macro list and the main block.
    void FreeContents();
};

// A new main block: header with count 0, string bytes 0 and `flag`; the fixed device id record;
// all key records zero except the G records 256..273 of block 0, whose extra field holds the G
// codes 0x0301..0x0309 and 0x1301..0x1309.
std::vector<std::uint8_t> NewMainBlock(std::uint8_t flag);

// The sum of header bytes 0..30, modulo 256.
std::uint8_t HeaderChecksum(ByteSpan mainBlock);

// Rewrites the header of a main block for a file with `count` macros, `stringBytes` of string
// area and `flag`, and its checksum.
void RefreshHeader(MutableByteSpan mainBlock, std::uint16_t count, std::uint32_t stringBytes,
                   std::uint8_t flag);

// Result of checking a profile file's bytes.
struct Validation {
    int result = 0;            // 1 valid, 0 not, -2 unopenable, -3 out of memory
    bool formatError = false;  // the caller shows PROFILE_FORMAT_ERROR naming the file
    std::string reason;        // what is wrong, for logs and the command-line tool
};

// Checks the header of a whole profile file: magic and fixed values, total size at least 32832
// and equal to count x 16512 + string bytes + 32832, 2048 records, count at most 100, flag 0 or
// 1, checksum; and that the file really holds the total size (trailing bytes are allowed).
[[nodiscard]] Validation ValidateProfileBytes(ByteSpan file);

// What a load found and repaired.
struct LoadReport {
    std::size_t macroCount = 0;
    std::size_t stringsLoaded = 0;
    // Kind 3 and 6 records whose string lay outside the string area or had no terminator
    // there: they keep their kind and get an empty string.
    std::size_t damagedStrings = 0;
    std::string reason;  // set when the load is refused
};

// Reads a whole profile file into `out` (replaced only on success). Refuses (0) a file shorter
// than the main block, with more than 100 macros, or whose macro records are cut short. A
// string area cut short, or a string offset outside it or at an unterminated string, never
// reads past the bytes: the record's slot gets an empty string and the report counts it.
// Records may share a string (the same offset, or one inside another string); each gets a
// copy, within kSharedStringAllowance bytes of copies in all.
[[nodiscard]] int ParseProfileFile(ByteSpan file, StoreContents& out, LoadReport* report = nullptr);

// Lays the strings out as a save does: packed in record order with no gaps, every kind 3 and
// 6 record's value set to its string's offset (a record of those kinds without a string gets an
// empty one, its terminator, so that its value always points at its own string). Returns the
// size of the string area. Slots of other kinds take no room.
std::uint64_t PlaceStrings(StoreContents& contents);

// Builds the file image of `contents` and brings the contents up to date with it as every save
// does: the main block's header describes the written file (flag 0), and every kind 3 and 6
// record's value becomes its string's offset in the string area (PlaceStrings).
// Returns 0, with `file` untouched, when the contents have no main block or more than 100
// macros.
[[nodiscard]] int BuildProfileFile(StoreContents& contents, std::vector<std::uint8_t>& file);

}  // namespace qf::profiles
