#include "lighting/lighting_fixture.h"

#include <algorithm>

#include "common/bytes.h"

namespace qf::lighting::test {

std::vector<Request> LightingTest::Requests() const {
    std::vector<Request> out;
    for (vkbd::ReceivedRequest& received : vk.ReceivedRequests()) {
        out.push_back({std::move(received)});
    }
    return out;
}

std::vector<Command> LightingTest::Commands() const {
    std::vector<Command> out;
    for (const Request& r : Requests()) {
        out.push_back(static_cast<Command>(r.command));
    }
    return out;
}

void LightingTest::SetKeyboardModes(std::initializer_list<std::uint8_t> codes) {
    Bytes modes(kModeListSize, 0);
    std::copy(codes.begin(), codes.end(), modes.begin());
    vk.SetMemory(vkbd::Area::DeviceInfo, kModeListOffset, modes);
}

void LightingTest::SetKeyboardRecord(int profile, std::span<const std::uint8_t> bytes) {
    vk.SetMemory(vkbd::Area::Settings, LightingRecordAddress(static_cast<std::size_t>(profile)),
                 bytes);
}

Bytes LightingTest::KeyboardRecord(int profile) const {
    const Bytes all = vk.Memory(vkbd::Area::Settings);
    const auto at =
        static_cast<std::ptrdiff_t>(LightingRecordAddress(static_cast<std::size_t>(profile)));
    return Bytes(all.begin() + at, all.begin() + at + kLightingRecordSize);
}

Bytes LightingTest::KeyboardColours(int profile) const {
    const Bytes all = vk.Memory(vkbd::Area::UserColours);
    const auto at =
        static_cast<std::ptrdiff_t>(UserColourAddress(static_cast<std::size_t>(profile), 0));
    return Bytes(all.begin() + at, all.begin() + at + kZoneColourTableSize);
}

}  // namespace qf::lighting::test
