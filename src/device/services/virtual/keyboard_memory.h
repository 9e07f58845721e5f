// The virtual keyboard's memory: six byte areas, each addressed from 0.
//
// Not thread-safe; the virtual keyboard guards it. Every access is bounds-checked: a read or
// write that does not lie wholly inside its area does nothing and returns false.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/services/virtual/virtual_types.h"

namespace qf::vkbd {

class KeyboardMemory {
public:
    // Factory contents; the macro memory holds macroUnits x 128 bytes.
    explicit KeyboardMemory(std::uint8_t macroUnits);

    // Back to the factory contents, keeping the macro memory size.
    void Reset();

    std::size_t Size(Area area) const { return area_(area).size(); }
    std::span<const std::uint8_t> Bytes(Area area) const { return area_(area); }

    // `out.size()` bytes from `offset`; false (out untouched) unless they all lie in the area.
    [[nodiscard]] bool Read(Area area, std::size_t offset, std::span<std::uint8_t> out) const;
    // false (nothing written) unless every byte lies in the area.
    [[nodiscard]] bool Write(Area area, std::size_t offset, std::span<const std::uint8_t> bytes);
    // Writes what fits and drops the rest; for setting up tests.
    void WriteClipped(Area area, std::size_t offset, std::span<const std::uint8_t> bytes);

    std::uint8_t macroUnits() const;
    // Resizes the macro memory (contents kept as far as they fit, new bytes zero) and records
    // the size in byte 11 of the device info.
    void SetMacroUnits(std::uint8_t units);

    std::uint8_t activeProfile() const;

private:
    std::vector<std::uint8_t>& area_(Area area) { return areas_[static_cast<std::size_t>(area)]; }
    const std::vector<std::uint8_t>& area_(Area area) const {
        return areas_[static_cast<std::size_t>(area)];
    }

    std::array<std::vector<std::uint8_t>, kAreaCount> areas_;
};

}  // namespace qf::vkbd
