// What the lighting model's operations report, one type per meaning: the read of the lighting
// state, and painting a zone, whose refusals are kept apart from the keyboard's results. The
// numbers are the ones callers and logs have always seen.
#pragma once

#include <optional>

#include "device/result.h"

namespace qf::lighting {

// The outcome of ReadLightingState. A device failure while reading the records or zone
// colours is not an outcome of its own: the state is read (Read) and the model's
// lastReadResult() holds the keyboard's result.
enum class LightingRead : int {
    Read = 0,
    DeviceInfoUnreadable = -1,  // the mode list is empty, everything else as before
};

// Why PaintZone did nothing.
enum class PaintRefusal : int {
    NotPainting = -401,     // panel off or mode other than 8
    ButtonInNoZone = -402,  // right Win, G7..G9
};

struct PaintResult {
    std::optional<PaintRefusal> refused;  // set when nothing was done
    // The first failing write of the zone's two colour slots when painted, else Ok.
    device::DeviceResult device = device::DeviceResult::Ok;

    bool painted() const { return !refused && device == device::DeviceResult::Ok; }
};

}  // namespace qf::lighting
