// The window-side handlers' interfaces (monitor_views.h) over the real profile transfers and
// lighting model. The main window builds them next to its DeviceWindowHandlers:
//
//   TransfersKeyboardRefresh keyboard(transfers);
//   LightingModelRefresh lighting(model, [&] { panel.Refresh(); });
//   CurrentProfileView view(windowView, model);
//   DeviceWindowHandlers handlers({window, store, led, view, keyboard, &lighting, trace});
//
// With the view wrapped, a full refresh (PROF) makes the keyboard's active profile the lighting
// model's current profile before it re-reads the lighting, so the record decoded is the active
// profile's. Everything here runs on the window thread, as the handlers do.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>

#include "lighting/lighting_model.h"
#include "monitor/monitor_views.h"
#include "profiles/transfers.h"

namespace qf::monitor {

// The profile side of a full refresh: the store reloaded through the profile cache file and the
// active profile read from the device info.
class TransfersKeyboardRefresh final : public KeyboardRefresh {
public:
    explicit TransfersKeyboardRefresh(profiles::ProfileTransfers& transfers)
        : transfers_(transfers) {}

    int LoadProfileFromKeyboard(bool quiet) override;
    int ReadActiveProfile() override;

private:
    profiles::ProfileTransfers& transfers_;
};

// The lighting side of the refreshes. The panel refresh is optional: without one (a window
// without a lighting panel yet, the command-line tool) only the model is read.
class LightingModelRefresh final : public LightingRefresh {
public:
    using PanelRefresh = std::function<void()>;

    explicit LightingModelRefresh(lighting::LightingModel& model, PanelRefresh panel = {})
        : model_(model), panel_(std::move(panel)) {}

    // For a panel built after the handlers. Window thread only.
    void SetPanelRefresh(PanelRefresh panel) { panel_ = std::move(panel); }

    lighting::LightingRead ReadLightingState(bool withZoneColours) override;
    void RefreshLightingPanel() override;

private:
    lighting::LightingModel& model_;
    PanelRefresh panel_;
};

// A DeviceWindowView that keeps the lighting model's current profile with the window's: a
// selected profile button makes that profile the model's current one first, then the window
// view shows it (so a window view that redraws its lighting panel on selection already sees the
// new profile). Everything else goes to the window view unchanged.
class CurrentProfileView final : public DeviceWindowView {
public:
    CurrentProfileView(DeviceWindowView& inner, lighting::LightingModel& model)
        : inner_(inner), model_(model) {}

    void SetGButtonAssigned(std::size_t index, bool assigned) override;
    // A profile outside 0..2 is not the model's to show: it is left as it was, and the window
    // view is not told either.
    void SelectProfileButton(int profile) override;
    void CloseEditors() override;

private:
    DeviceWindowView& inner_;
    lighting::LightingModel& model_;
};

}  // namespace qf::monitor
