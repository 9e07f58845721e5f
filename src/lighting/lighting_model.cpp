#include "lighting/lighting_model.h"

#include <algorithm>
#include <array>
#include <utility>

#include "device/result.h"
#include "lighting/modes.h"
#include "lighting/panel_switch.h"

namespace qf::lighting {

namespace {

using device::DeviceResult;

// The first result other than Ok of a series of commands that all run.
void KeepFirstFailure(DeviceResult& first, DeviceResult result) {
    if (first == DeviceResult::Ok && result != DeviceResult::Ok) {
        first = result;
    }
}

std::uint8_t ClampToByte(int value, int low, int high) {
    return static_cast<std::uint8_t>(std::clamp(value, low, high));
}

}  // namespace

LightingModel::LightingModel(device::DeviceCommands& commands, LightingView& view,
                             text::IniFiles& files, std::filesystem::path userSettingsFile)
    : commands_(commands),
      view_(view),
      files_(files),
      userSettingsFile_(std::move(userSettingsFile)) {}

LightingRead LightingModel::ReadLightingState(bool withZoneColours) {
    state_.modeList.fill(0);
    state_.modeEntries.clear();

    device::DeviceInfoBlock info;
    const DeviceResult infoResult = commands_.ReadDeviceInfo(info);
    if (infoResult != DeviceResult::Ok) {
        lastReadResult_ = infoResult;
        return LightingRead::DeviceInfoUnreadable;
    }
    std::copy_n(info.bytes.begin() + kModeListOffset, kModeListSize, state_.modeList.begin());
    state_.modeEntries = BuildModeList(state_.modeList);

    DeviceResult first = DeviceResult::Ok;
    KeepFirstFailure(first, commands_.BeginTransfer());

    // Each reply lands in a buffer of its own; only a read that succeeded replaces what the
    // state holds, so a failed read never leaves stale or partial reply bytes in a record.
    std::array<std::uint8_t, device::kSettingsReplySize> reply{};
    if (withZoneColours && state_.OffersMode(kZoneColourMode)) {
        for (unsigned p = 0; p < kProfileCount; ++p) {
            reply.fill(0);
            const DeviceResult result = commands_.ReadUserColours(
                reply, static_cast<std::uint8_t>(kZoneColourTableSize), 0, p);
            KeepFirstFailure(first, result);
            if (result == DeviceResult::Ok) {
                std::copy_n(reply.begin(), kZoneColourTableSize,
                            state_.zoneColours[p].bytes.begin());
            }
        }
    }
    for (unsigned p = 0; p < kProfileCount; ++p) {
        reply.fill(0);
        const DeviceResult result = commands_.ReadSettings(
            reply, static_cast<std::uint8_t>(device::kSettingsReplySize), LightingRecordAddress(p));
        KeepFirstFailure(first, result);
        if (result == DeviceResult::Ok) {
            std::copy_n(reply.begin(), kLightingRecordSize, state_.records[p].bytes.begin());
        }
    }
    KeepFirstFailure(first, commands_.EndTransfer());
    lastReadResult_ = first;

    state_.DecodeCurrentRecord();
    state_.panelOn = ReadPanelOn(files_, userSettingsFile_);
    return LightingRead::Read;
}

int LightingModel::SetCurrentProfile(int profile) {
    if (profile < 0 || profile >= static_cast<int>(kProfileCount)) {
        return 0;
    }
    state_.currentProfile = profile;
    state_.DecodeCurrentRecord();
    return 1;
}

DeviceResult LightingModel::WriteFields(std::initializer_list<Field> fields) {
    for (const Field& field : fields) {
        if (field.bytes.empty() || field.bytes.size() > device::kSettingsReplySize ||
            field.offset > kLightingRecordSize ||
            field.bytes.size() > kLightingRecordSize - field.offset) {
            return DeviceResult::BadArgument;
        }
    }
    LightingRecord& record = currentRecord();
    const std::uint16_t base =
        LightingRecordAddress(static_cast<std::size_t>(state_.currentProfile));
    DeviceResult first = commands_.BeginTransfer();
    for (const Field& field : fields) {
        std::copy(field.bytes.begin(), field.bytes.end(), record.bytes.begin() + field.offset);
        KeepFirstFailure(first,
                         commands_.WriteSettings(field.bytes.data(),
                                                 static_cast<std::uint8_t>(field.bytes.size()),
                                                 static_cast<std::uint16_t>(base + field.offset)));
    }
    KeepFirstFailure(first, commands_.EndTransfer());
    return first;
}

DeviceResult LightingModel::WriteByte(std::size_t offset, int value) {
    const std::array<std::uint8_t, 1> byte{static_cast<std::uint8_t>(value)};
    return WriteFields({{offset, byte}});
}

DeviceResult LightingModel::WriteLightingBytes(std::size_t offset,
                                               std::span<const std::uint8_t> bytes) {
    return WriteFields({{offset, bytes}});
}

DeviceResult LightingModel::SelectMode(int code) {
    if (code < 1 || code > 0xFF) {
        return DeviceResult::BadArgument;
    }
    view_.ClearAllTints();
    const std::array<std::uint8_t, 1> modeByte{static_cast<std::uint8_t>(code)};
    const std::array<std::uint8_t, 1> multicolourByte{
        static_cast<std::uint8_t>(state_.multicolour ? 1 : 0)};
    const DeviceResult result =
        ParametersOfMode(code).writesMulticolourWhenChosen
            ? WriteFields({{record::kMode, modeByte}, {record::kMulticolour, multicolourByte}})
            : WriteFields({{record::kMode, modeByte}});
    state_.mode = code;
    if (code == kZoneColourMode) {
        TintZones();
    }
    return result;
}

DeviceResult LightingModel::SetBrightness(int position) {
    const int value = ClampToByte(position, 0, kMaxLevel);
    if (value == state_.brightness) {
        return DeviceResult::Ok;
    }
    state_.brightness = value;
    return WriteByte(record::kBrightness, value);
}

DeviceResult LightingModel::SetSpeedFromSlider(int position) {
    const int value = kMaxLevel - ClampToByte(position, 0, kMaxLevel);
    if (value == state_.speed) {
        return DeviceResult::Ok;
    }
    state_.speed = value;
    return WriteByte(record::kSpeed, value);
}

DeviceResult LightingModel::SetDirection(int value) {
    state_.direction = value != 0 ? 1 : 0;
    return WriteByte(record::kDirection, state_.direction);
}

DeviceResult LightingModel::SetColour(Rgb colour) {
    state_.multicolour = false;
    const std::array<std::uint8_t, 1> off{0};
    const std::array<std::uint8_t, 3> rgb{colour.r, colour.g, colour.b};
    const DeviceResult result = WriteFields({{record::kMulticolour, off}, {record::kColour, rgb}});
    state_.colour = colour;
    view_.TintAllKeys(colour);
    return result;
}

DeviceResult LightingModel::ToggleMulticolour() {
    state_.multicolour = !state_.multicolour;
    return WriteByte(record::kMulticolour, state_.multicolour ? 1 : 0);
}

DeviceResult LightingModel::SetFourColourChoice(int index) {
    state_.fourColourChoice = ClampToByte(index, 0, LightingRecord::kMaxFourColourChoice);
    return WriteByte(record::kFourColourChoice, state_.fourColourChoice);
}

DeviceResult LightingModel::SetReportRate(int index) {
    state_.reportRate = ClampToByte(index, 0, kMaxReportRate);
    return WriteByte(record::kReportRate, state_.reportRate);
}

PaintResult LightingModel::PaintZone(KeyButtonId button) {
    if (!PaintsZones()) {
        return {PaintRefusal::NotPainting, DeviceResult::Ok};
    }
    const int zone = ZoneOf(button);
    if (zone == kNoZone) {
        return {PaintRefusal::ButtonInNoZone, DeviceResult::Ok};
    }
    const Rgb c = state_.paintColour;
    const auto profile = static_cast<unsigned>(state_.currentProfile);
    ZoneColourTable& table = state_.zoneColours[profile];
    table.SetSlot(FirstSlotOfZone(zone), c);
    table.SetSlot(SecondSlotOfZone(zone), c);
    view_.TintZone(zone, ButtonsOfZone(zone), c);

    const std::array<std::uint8_t, kColourSlotSize> rgb{c.r, c.g, c.b};
    const auto length = static_cast<std::uint8_t>(rgb.size());
    DeviceResult first = commands_.BeginTransfer();
    KeepFirstFailure(
        first, commands_.WriteUserColours(rgb.data(), length,
                                          static_cast<unsigned>(FirstSlotOfZone(zone)), profile));
    KeepFirstFailure(
        first, commands_.WriteUserColours(rgb.data(), length,
                                          static_cast<unsigned>(SecondSlotOfZone(zone)), profile));
    KeepFirstFailure(first, commands_.EndTransfer());
    return {std::nullopt, first};
}

DeviceResult LightingModel::RestoreLightingDefaults() {
    DeviceResult first = SelectMode(1);
    state_.colour = kRed;
    state_.multicolour = true;
    if (state_.OffersMode(kZoneColourMode)) {
        ResetPaintColour();
    }
    KeepFirstFailure(first, WriteFields({{0, kDefaultLightingBlock}}));
    // The record now holds the default block: the decoded fields follow it, so that brightness,
    // speed and the rest describe what the keyboard holds and the sliders' "unchanged" test
    // compares against the real values.
    state_.DecodeCurrentRecord();
    return first;
}

void LightingModel::TintZones() {
    for (int zone = kFirstZone; zone <= kLastZone; ++zone) {
        view_.TintZone(zone, ButtonsOfZone(zone), state_.ZoneTint(zone));
    }
}

text::IniWriteResult LightingModel::StorePanelOn() {
    return WritePanelOn(files_, userSettingsFile_, state_.panelOn);
}

}  // namespace qf::lighting
