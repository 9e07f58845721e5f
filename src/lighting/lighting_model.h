// The lighting model: the program's LightingState and the operations that read it from the
// keyboard and change one setting at a time. Every change goes to the keyboard at once, each
// inside one BeginTransfer/EndTransfer pair; the key tints that show the colours go to a
// LightingView, which the keyboard view implements.
//
// All operations block while the device commands run and are called from one thread (the main
// window's). Write failures never undo the in-memory change; the result of the device commands
// is returned (the first result other than Ok) for callers that want it, such as the command
// line tool, while the panel may ignore it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>

#include "device/commands.h"
#include "device/result.h"
#include "lighting/key_zones.h"
#include "lighting/lighting_results.h"
#include "lighting/lighting_state.h"
#include "text/ini_file.h"

namespace qf::lighting {

// The key tints of the keyboard view.
class LightingView {
public:
    virtual ~LightingView() = default;
    // Every key button, G button and the Fn button loses its tint and its assigned look (the
    // assignment views bring the looks back).
    virtual void ClearAllTints() = 0;
    // Every key button, G button and the Fn button is tinted with `colour` at 50 %.
    virtual void TintAllKeys(Rgb colour) = 0;
    // The buttons of zone `zone` (1..6), listed in `buttons`, are tinted with `colour`.
    virtual void TintZone(int zone, std::span<const KeyButtonId> buttons, Rgb colour) = 0;
};

// For users without a keyboard picture (the command line tool).
class NoLightingView final : public LightingView {
public:
    void ClearAllTints() override {}
    void TintAllKeys(Rgb) override {}
    void TintZone(int, std::span<const KeyButtonId>, Rgb) override {}
};

class LightingModel {
public:
    // `userSettingsFile` is the per-user settings file that keeps the panel switch.
    LightingModel(device::DeviceCommands& commands, LightingView& view, text::IniFiles& files,
                  std::filesystem::path userSettingsFile);
    LightingModel(const LightingModel&) = delete;
    LightingModel& operator=(const LightingModel&) = delete;

    const LightingState& state() const { return state_; }

    // Reads the mode list, the three lighting records and, when `withZoneColours` is true and
    // the keyboard offers mode 8, the three zone colour tables; decodes the current profile's
    // record and reads the panel switch. Read on success; DeviceInfoUnreadable when the device
    // info cannot be read (the mode list is then empty, everything else as before, and
    // lastReadResult() holds the info read's result). A record or colour table whose read fails
    // keeps its previous bytes; lastReadResult() tells.
    // A full refresh (the keyboard reported a profile change) passes true; a lighting change
    // reported by the keyboard, a profile button or a language change pass false.
    [[nodiscard]] LightingRead ReadLightingState(bool withZoneColours);
    // Ok when every command of the last ReadLightingState succeeded, else the first failure.
    device::DeviceResult lastReadResult() const { return lastReadResult_; }

    // The on-board profile shown and edited (0..2); decodes its record as last read. 0 (and
    // nothing changed) for any other number.
    int SetCurrentProfile(int profile);

    // BeginTransfer; WriteSettings(bytes) at the current profile's record + offset;
    // EndTransfer. BadArgument (nothing sent) when the bytes do not lie inside the record.
    device::DeviceResult WriteLightingBytes(std::size_t offset,
                                            std::span<const std::uint8_t> bytes);

    // Clears the tints, writes the mode (codes 1, 3, 5, 7, 9, 13, 14 and 15 also write the
    // multicolour byte in the same transfer) and, for mode 8, tints the zones.
    device::DeviceResult SelectMode(int code);
    // Sliders, positions 0..4 (clamped). No write when the value does not change.
    device::DeviceResult SetBrightness(int position);
    device::DeviceResult SetSpeedFromSlider(int position);  // speed = 4 - position
    device::DeviceResult SetDirection(int value);           // any non-zero value is 1
    // Multicolour off and the colour, in one transfer; tints every key with the colour.
    device::DeviceResult SetColour(Rgb colour);
    device::DeviceResult ToggleMulticolour();
    device::DeviceResult SetFourColourChoice(int index);  // clamped to 0..3
    device::DeviceResult SetReportRate(int index);        // clamped to 0..3
    // Paints the button's zone with the paint colour: both slots in memory and on the keyboard,
    // and the zone's tint. Only while the panel is on and mode 8 is chosen; otherwise, or for a
    // button in no zone, refused with nothing done.
    PaintResult PaintZone(KeyButtonId button);
    // Mode 1 through SelectMode, then the default block over the current profile's record.
    device::DeviceResult RestoreLightingDefaults();

    // The zone tint: every key of zone z shows slot 2z-1 of the current profile.
    void TintZones();

    void SetPaintColour(Rgb colour) { state_.paintColour = colour; }
    // The panel sets the paint colour to black on every refresh.
    void ResetPaintColour() { state_.paintColour = kBlack; }

    // The panel switch in memory, and in the settings file ("1" / "0"; Written when written).
    void SetPanelOn(bool on) { state_.panelOn = on; }
    [[nodiscard]] text::IniWriteResult StorePanelOn();

    // True while a key button click paints its zone: panel on and mode 8.
    bool PaintsZones() const { return state_.panelOn && state_.mode == kZoneColourMode; }

private:
    struct Field {
        std::size_t offset;
        std::span<const std::uint8_t> bytes;
    };
    // One BeginTransfer, a WriteSettings per field of the current record, one EndTransfer. Each
    // field is copied into the record in memory whatever the keyboard answers.
    device::DeviceResult WriteFields(std::initializer_list<Field> fields);
    device::DeviceResult WriteByte(std::size_t offset, int value);
    LightingRecord& currentRecord() {
        return state_.records[static_cast<std::size_t>(state_.currentProfile)];
    }

    device::DeviceCommands& commands_;
    LightingView& view_;
    text::IniFiles& files_;
    std::filesystem::path userSettingsFile_;
    LightingState state_;
    device::DeviceResult lastReadResult_ = device::DeviceResult::Ok;
};

}  // namespace qf::lighting
