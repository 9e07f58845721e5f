// The HID backend on hidapi's hidraw flavour.
#pragma once

#include <memory>

#include "device/services/hidraw/hid_backend.h"

namespace qf::hidserv {

[[nodiscard]] std::unique_ptr<HidBackend> MakeHidapiBackend();

}  // namespace qf::hidserv
