// The virtual keyboard's device info set as a test needs it: the active on-board profile and
// the macro memory size. Header only: the tests that use it link qf_virtual_keyboard.
#pragma once

#include <array>
#include <cstdint>

#include "device/memory_layout.h"
#include "device/services/virtual/virtual_keyboard.h"

namespace qf::testing {

inline void SetKeyboardProfile(vkbd::VirtualKeyboard& keyboard, std::uint8_t profile) {
    const std::array<std::uint8_t, 1> byte = {profile};
    keyboard.SetMemory(vkbd::Area::DeviceInfo, device::kInfoActiveProfile, byte);
}

// `units` of 128 bytes; the keyboard resizes its macro memory to them.
inline void SetKeyboardMacroUnits(vkbd::VirtualKeyboard& keyboard, std::uint8_t units) {
    const std::array<std::uint8_t, 1> byte = {units};
    keyboard.SetMemory(vkbd::Area::DeviceInfo, device::kInfoMacroUnits, byte);
}

}  // namespace qf::testing
