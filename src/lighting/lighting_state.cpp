#include "lighting/lighting_state.h"

#include <algorithm>

namespace qf::lighting {

std::vector<ModeEntry> BuildModeList(std::span<const std::uint8_t, kModeListSize> modeBytes) {
    std::vector<ModeEntry> entries;
    for (const std::uint8_t code : modeBytes) {
        if (code != 0) {
            entries.push_back(ModeEntry{static_cast<int>(entries.size()), code});
        }
    }
    return entries;
}

bool LightingState::OffersMode(int code) const {
    return code > 0 && std::find(modeList.begin(), modeList.end(), code) != modeList.end();
}

void LightingState::DecodeCurrentRecord() {
    const LightingRecord& record = records[static_cast<std::size_t>(currentProfile)];
    mode = record.mode();
    brightness = record.brightness();
    speed = record.speed();
    direction = record.direction();
    multicolour = record.multicolour();
    colour = record.colour();
    reportRate = record.reportRate();
    fourColourChoice = record.fourColourChoice();
}

}  // namespace qf::lighting
