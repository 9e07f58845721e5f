// What the device monitor and the window-side device handlers need from the windows and from
// the profile and lighting code. The main window implements the views; the profile transfers
// and the lighting state implement the refresh interfaces; tests use recording fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "keys/view_buttons.h"
#include "lighting/lighting_results.h"

namespace qf::monitor {

// The G buttons' ids, count and bank labels belong to the keyboard view and live with the keys
// (keys/view_buttons.h), where the windows' button table finds them too. The index of a G
// button below is its index into keys::kGButtonControlIds.
using keys::GButtonLabel;
using keys::kGButtonControlIds;
using keys::kGButtonCount;
using keys::kLabelledGButtons;

// The bank display after a bank switch. Called on the monitor's event thread, never on the
// window thread: a windowed implementation forwards each change to the window thread (queued,
// in order).
class BankView {
public:
    virtual ~BankView() = default;
    // The bank indicator (skin key LOCK_AB): highlighted pictures for bank B, normal for bank A.
    virtual void ShowBankIndicator(bool bankB) = 0;
    virtual void SetGButtonLabel(std::size_t index, std::string_view text) = 0;
};

// The main window's side of the device messages. Called on the window thread only.
class DeviceWindowView {
public:
    virtual ~DeviceWindowView() = default;
    // G button `index` takes its assigned look (the record's kind is not 0) or its free look.
    virtual void SetGButtonAssigned(std::size_t index, bool assigned) = 0;
    // Marks the profile button of `profile` (0..2: FUNC_PROFILE1..FUNC_PROFILE3) as selected and
    // the other two as not, and makes `profile` the window's current profile.
    virtual void SelectProfileButton(int profile) = 0;
    // Closes the About box, the profile manager and the composite editor when open, each as by
    // its own cancel (the keyboard went away).
    virtual void CloseEditors() = 0;
};

// The profile side of a full refresh.
class KeyboardRefresh {
public:
    virtual ~KeyboardRefresh() = default;
    // Refills the profile store from the keyboard through the profile cache file; unless
    // `quiet`, also clears the window's unapplied changes. Always 1.
    virtual int LoadProfileFromKeyboard(bool quiet) = 0;
    // The keyboard's active profile (device info byte 10, stored in the application state), or
    // -1 when the device info cannot be read.
    virtual int ReadActiveProfile() = 0;
};

// The lighting side of the refreshes.
class LightingRefresh {
public:
    virtual ~LightingRefresh() = default;
    // Reads the lighting state from the keyboard.
    virtual lighting::LightingRead ReadLightingState(bool withZoneColours) = 0;
    // Refreshes the lighting panel and its mode list from the lighting state.
    virtual void RefreshLightingPanel() = 0;
};

}  // namespace qf::monitor
