// A recording fake of the keyboard picture as the lighting model tints it. Header only: the
// tests that use it link qf_lighting.
#pragma once

#include <algorithm>
#include <span>
#include <vector>

#include "lighting/lighting_model.h"

namespace qf::testing {

// One call of the view, in order.
struct LightingViewCall {
    enum class Kind { Clear, TintAll, TintZone } kind;
    int zone = 0;
    std::vector<lighting::KeyButtonId> buttons;
    lighting::Rgb colour{};
};

class RecordingLightingView final : public lighting::LightingView {
public:
    void ClearAllTints() override { calls.push_back({LightingViewCall::Kind::Clear, 0, {}, {}}); }
    void TintAllKeys(lighting::Rgb colour) override {
        calls.push_back({LightingViewCall::Kind::TintAll, 0, {}, colour});
    }
    void TintZone(int zone, std::span<const lighting::KeyButtonId> buttons,
                  lighting::Rgb colour) override {
        calls.push_back(
            {LightingViewCall::Kind::TintZone, zone, {buttons.begin(), buttons.end()}, colour});
    }
    int Clears() const {
        return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const auto& call) {
            return call.kind == LightingViewCall::Kind::Clear;
        }));
    }

    std::vector<LightingViewCall> calls;
};

}  // namespace qf::testing
