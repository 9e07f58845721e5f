#include "device/services/virtual/keyboard_memory.h"

#include <algorithm>

#include "device/factory_lighting.h"
#include "device/services/virtual/virtual_constants.h"

namespace qf::vkbd {

namespace {

bool InRange(std::size_t size, std::size_t offset, std::size_t count) {
    return offset <= size && count <= size - offset;
}

}  // namespace

KeyboardMemory::KeyboardMemory(std::uint8_t macroUnits) {
    area_(Area::MacroMemory).assign(std::size_t{macroUnits} * kMacroUnitSize, 0);
    area_(Area::DeviceInfo).assign(kDeviceInfoSize, 0);
    Reset();
    SetMacroUnits(macroUnits);
}

void KeyboardMemory::Reset() {
    const std::uint8_t units = static_cast<std::uint8_t>(Size(Area::MacroMemory) / kMacroUnitSize);

    auto& keymaps = area_(Area::KeymapBlocks);
    keymaps.clear();
    for (std::size_t b = 0; b < kKeymapBlockCount; ++b) {
        keymaps.insert(keymaps.end(), kFactoryKeymap.begin(), kFactoryKeymap.end());
    }
    area_(Area::DefaultKeymap).assign(kFactoryKeymap.begin(), kFactoryKeymap.end());
    area_(Area::MacroMemory).assign(std::size_t{units} * kMacroUnitSize, 0);
    area_(Area::Settings)
        .assign(lighting::kFactoryLightingRecords.begin(), lighting::kFactoryLightingRecords.end());

    auto& colours = area_(Area::UserColours);
    colours.clear();
    for (std::size_t p = 0; p < kProfileCount; ++p) {
        colours.insert(colours.end(), kFactoryZoneColours.begin(), kFactoryZoneColours.end());
    }

    auto& info = area_(Area::DeviceInfo);
    info.assign(kDeviceInfoSize, 0);
    std::copy(kFactoryInfoHead.begin(), kFactoryInfoHead.end(), info.begin());
    info[kInfoActiveProfile] = 0;
    info[kInfoMacroUnits] = units;
    std::copy(kFactoryModeList.begin(), kFactoryModeList.end(),
              info.begin() + static_cast<std::ptrdiff_t>(kInfoModeList));
}

bool KeyboardMemory::Read(Area area, std::size_t offset, std::span<std::uint8_t> out) const {
    const auto& bytes = area_(area);
    if (!InRange(bytes.size(), offset, out.size())) {
        return false;
    }
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
}

bool KeyboardMemory::Write(Area area, std::size_t offset, std::span<const std::uint8_t> bytes) {
    auto& target = area_(area);
    if (!InRange(target.size(), offset, bytes.size())) {
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), target.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

void KeyboardMemory::WriteClipped(Area area, std::size_t offset,
                                  std::span<const std::uint8_t> bytes) {
    const std::size_t size = Size(area);
    if (offset >= size) {
        return;
    }
    const std::size_t count = std::min(bytes.size(), size - offset);
    (void)Write(area, offset, bytes.first(count));
}

std::uint8_t KeyboardMemory::macroUnits() const {
    return area_(Area::DeviceInfo)[kInfoMacroUnits];
}

void KeyboardMemory::SetMacroUnits(std::uint8_t units) {
    area_(Area::MacroMemory).resize(std::size_t{units} * kMacroUnitSize, 0);
    area_(Area::DeviceInfo)[kInfoMacroUnits] = units;
}

std::uint8_t KeyboardMemory::activeProfile() const {
    return area_(Area::DeviceInfo)[kInfoActiveProfile];
}

}  // namespace qf::vkbd
