// The device service slot the command-line tool's session is built over before the keyboard is
// opened.
#pragma once

#include <cstdint>

#include "device/device_service.h"

namespace qf::cli {

// The device service the session's link uses: nothing until the run opens the keyboard (no
// keyboard found, every request refused), then the traced service, to which it forwards every
// call unchanged.
class ServiceSlot final : public device::ForwardingService {
public:
    void Bind(device::DeviceService* service) { BindInner(service); }
};

}  // namespace qf::cli
