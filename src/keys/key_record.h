// KeyRecord: the 16-byte assignment of one key, as held in a profile's key block and in
// profile files. Little-endian: u16 kind, u16 extra, u32 value, two reserved u32.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/bytes.h"

namespace qf::keys {

inline constexpr std::size_t kKeyRecordSize = 16;
inline constexpr std::size_t kRecordsPerBlock = 512;
inline constexpr std::size_t kKeyBlockSize = kKeyRecordSize * kRecordsPerBlock;  // 8192

// Record numbering inside one key block.
inline constexpr std::size_t kKeyIndexRecords = 256;    // records 0..255: keys by key index
inline constexpr std::size_t kFirstGRecord = 256;       // 256..264 bank A G1..G9
inline constexpr std::size_t kFirstBankBGRecord = 265;  // 265..273 bank B G1..G9
inline constexpr std::size_t kGKeysPerBank = 9;
inline constexpr std::size_t kLastGRecord = 273;
// G code kept in a G record's extra field: low byte = G number, 0x1000 = bank B.
inline constexpr std::uint16_t kGCodeBankA = 0x0300;
inline constexpr std::uint16_t kGCodeBankB = 0x1300;

enum class KeyKind : std::uint16_t {
    Default = 0,   // the keyboard's own function
    Disabled = 1,  // no function
    Key = 2,       // value = target ScanCode
    Program = 3,   // path in the record's string-table slot
    Macro = 4,     // value = macro id 1..100, extra = repeat count
    StopMacro = 5,
    Text = 6,      // text in the record's string-table slot
    Media = 7,     // value = media index 0..17
    Function = 8,  // value = function index 0..10
};

struct KeyRecord {
    std::uint16_t kind = 0;
    std::uint16_t extra = 0;
    std::uint32_t value = 0;
    std::uint32_t reserved0 = 0;
    std::uint32_t reserved1 = 0;

    KeyKind keyKind() const { return static_cast<KeyKind>(kind); }
    bool operator==(const KeyRecord&) const = default;

    static KeyRecord Read(const std::uint8_t* p) {
        KeyRecord r;
        r.kind = ReadLe16(p);
        r.extra = ReadLe16(p + 2);
        r.value = ReadLe32(p + 4);
        r.reserved0 = ReadLe32(p + 8);
        r.reserved1 = ReadLe32(p + 12);
        return r;
    }

    void Write(std::uint8_t* p) const {
        WriteLe16(p, kind);
        WriteLe16(p + 2, extra);
        WriteLe32(p + 4, value);
        WriteLe32(p + 8, reserved0);
        WriteLe32(p + 12, reserved1);
    }
};

// Record number of G key `g` (1..9) in bank A (bank 0) or B (bank 1).
constexpr std::size_t GRecordIndex(unsigned bank, unsigned g) {
    return (bank == 0 ? kFirstGRecord : kFirstBankBGRecord) + (g - 1);
}

}  // namespace qf::keys
