// The main window's handlers for the device layer's messages and timers. The main window calls
// them from its message and timer handlers, on the window thread:
//
//   0x5452 PROF   full refresh: reload the store from the keyboard, select the active profile's
//                 button, re-read the lighting state with the zone colours;
//   0x5045 LED    the G buttons take their looks from the current bank's G records of the
//                 active profile;
//   0x4753 (0)    the keyboard went away: close the editors;
//   timer 0x041B  re-read the lighting state (without zone colours) and refresh the panel;
//   timer 0x041D  send PROF to the window.
//
// A message whose tag differs from its own is ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "app/main_window_link.h"
#include "monitor/led_status.h"
#include "monitor/monitor_views.h"
#include "profiles/profile_store.h"

namespace qf::monitor {

// Debug trace text written by the full refresh.
inline constexpr std::string_view kTraceProfileRefreshed = "profile saem";

// Everything the handlers work with; all of it must outlive them.
struct WindowHandlerDependencies {
    app::MainWindowLink& window;
    profiles::ProfileStore& store;
    const LedStatusWord& ledStatus;
    DeviceWindowView& view;
    KeyboardRefresh& keyboard;
    // Null until the lighting is wired: the lighting steps are then skipped.
    LightingRefresh* lighting = nullptr;
    // The platform's debug output; may be empty.
    std::function<void(std::string_view)> trace{};
};

class DeviceWindowHandlers {
public:
    explicit DeviceWindowHandlers(WindowHandlerDependencies deps) : deps_(std::move(deps)) {}

    // True for the three messages handled here.
    static bool Handles(std::uint32_t message);
    // Dispatches one of them: 1 when it was handled, 0 for another message or a wrong tag.
    int OnMessage(std::uint32_t message, std::uint32_t tag);
    // Called after the window has stopped the timer. True when the timer was one of ours.
    bool OnTimer(std::uint32_t timerId);

    int OnProfMessage(std::uint32_t tag);
    int OnLedMessage(std::uint32_t tag);
    int OnRemovedMessage(std::uint32_t tag);

private:
    void Trace(std::string_view text) const;

    WindowHandlerDependencies deps_;
};

}  // namespace qf::monitor
