// Hot-plug events from udev.
#pragma once

#include <memory>

#include "device/services/hidraw/hid_backend.h"

namespace qf::hidserv {

// Watches the "hidraw" subsystem and reports every add, remove or change. Without udev events
// (no netlink socket, for example in some containers) it falls back to reporting a possible
// change every `fallbackPollMs`, so that arrivals are still seen, only later.
[[nodiscard]] std::unique_ptr<HotplugSource> MakeUdevHotplugSource(int fallbackPollMs = 2000);

}  // namespace qf::hidserv
