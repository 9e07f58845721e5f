// AppState: the application's shared record of the keyboard and the main window.
//
// One instance, owned by the application and passed by reference to the device monitor, the
// profile switching and the windows. Presence threads and the window thread write it without a
// lock, so every field is atomic.
#pragma once

#include <atomic>
#include <cstdint>

namespace qf::app {

struct AppState {
    // 1 once the automatic first showing of the main window has been used up or must not
    // happen ("/Start", or the first presence thread has run).
    std::atomic<std::uint32_t> openedOnce{0};
    // The keyboard's active on-board profile as last read; -1 when no value has been read.
    std::atomic<std::int32_t> activeProfile{-1};
    // Macro memory capacity in bytes (device info byte 11 x 128).
    std::atomic<std::uint32_t> macroMemorySize{0};
    // The device count the presence thread last handled.
    std::atomic<std::uint32_t> lastDeviceCount{0};
};

}  // namespace qf::app
