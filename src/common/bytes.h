// Little-endian byte access. Every multi-byte field of the keyboard's formats and of the files
// the program writes is read and written through these helpers, never by casting a struct over
// a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qf {

using ByteSpan = std::span<const std::uint8_t>;
using MutableByteSpan = std::span<std::uint8_t>;

inline std::uint16_t ReadLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void WriteLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void WriteLe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    p[2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// Bounds-checked reads for parsers of outside bytes: each returns false, and leaves `out`
// alone, when the field does not lie wholly inside `bytes`.
inline bool TryReadLe16(ByteSpan bytes, std::size_t offset, std::uint16_t& out) {
    if (offset > bytes.size() || bytes.size() - offset < 2) {
        return false;
    }
    out = ReadLe16(bytes.data() + offset);
    return true;
}

inline bool TryReadLe32(ByteSpan bytes, std::size_t offset, std::uint32_t& out) {
    if (offset > bytes.size() || bytes.size() - offset < 4) {
        return false;
    }
    out = ReadLe32(bytes.data() + offset);
    return true;
}

}  // namespace qf
