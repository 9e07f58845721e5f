// A device event listener that records what reached it, for tests of the link's routing.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "device/device_link.h"

namespace qf::device::test {

class RecordingListener : public DeviceEventListener {
public:
    void OnConsumerCode(std::uint16_t code) override {
        std::lock_guard lock(mutex);
        codes.push_back(code);
    }
    void OnDeviceCountChanged(std::uint32_t count) override {
        std::lock_guard lock(mutex);
        counts.push_back(count);
    }
    std::mutex mutex;
    std::vector<std::uint16_t> codes;
    std::vector<std::uint32_t> counts;
};

}  // namespace qf::device::test
