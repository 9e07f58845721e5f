// What the device monitor and the window-side device handlers need from the windows and from
// the profile and lighting code. The main window implements the views; the profile transfers
// and the lighting state implement the refresh interfaces; tests use recording fakes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qf::monitor {

// The nine G buttons of the keyboard view, G1 to G9, by control id. The index into this array
// is the G button's index everywhere below.
inline constexpr std::array<std::uint32_t, 9> kGButtonControlIds = {1000, 1001, 1002, 1003, 1004,
                                                                    1140, 1141, 1142, 1143};
inline constexpr std::size_t kGButtonCount = kGButtonControlIds.size();
// G buttons that carry a bank label ("A1".."A6", "B1".."B6"); the others get an empty text.
inline constexpr std::size_t kLabelledGButtons = 6;

// The caption of G button `index` for a bank.
std::string GButtonLabel(bool bankB, std::size_t index);

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
    // Reads the lighting state from the keyboard; 0 on success, -1 when the device info cannot
    // be read.
    virtual int ReadLightingState(bool withZoneColours) = 0;
    // Refreshes the lighting panel and its mode list from the lighting state.
    virtual void RefreshLightingPanel() = 0;
};

}  // namespace qf::monitor
