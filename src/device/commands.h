// The keyboard's command set: fourteen operations, each one or more report transactions.
// Every operation returns 1 on success or the first failing result (0, -1, -2, -102, -103,
// -201, or -202 for arguments that cannot be encoded; nothing is sent then).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/memory_layout.h"
#include "device/report.h"
#include "device/transaction.h"

namespace qf::device {

// What a settings or user colour read copies out of its reply: the whole data part.
inline constexpr std::size_t kSettingsReplySize = kReportDataSize;

using KeymapBlockSpan = std::span<std::uint8_t, kKeymapBlockSize>;
using ConstKeymapBlockSpan = std::span<const std::uint8_t, kKeymapBlockSize>;
using ReplyDataSpan = std::span<std::uint8_t, kSettingsReplySize>;

enum class Command : std::uint8_t {
    BeginTransfer = 1,
    EndTransfer = 2,
    ReadDeviceInfo = 3,
    WriteDeviceInfo = 4,
    ReadSettings = 5,
    WriteSettings = 6,
    ReadKeymapBlock = 7,
    WriteKeymapBlock = 8,
    ReadMacroArea = 9,
    WriteMacroArea = 10,
    TestCommand = 13,
    ReadDefaultKeymap = 15,
    ReadUserColours = 16,
    WriteUserColours = 17,
};

// The 44-byte block read by ReadDeviceInfo (memory_layout.h). Bytes 0-9 are kept as read.
struct DeviceInfoBlock {
    std::array<std::uint8_t, kDeviceInfoSize> bytes{};

    std::uint8_t activeProfile() const { return bytes[kInfoActiveProfile]; }
    void setActiveProfile(std::uint8_t profile) { bytes[kInfoActiveProfile] = profile; }
    // Macro memory capacity in 128-byte units, and in bytes.
    std::uint8_t macroMemoryUnits() const { return bytes[kInfoMacroUnits]; }
    std::uint32_t macroMemoryBytes() const {
        return std::uint32_t{bytes[kInfoMacroUnits]} * std::uint32_t{kMacroUnitSize};
    }
    // Lighting mode code in slot i (0..31); 0 marks an empty slot.
    std::uint8_t modeCode(std::size_t slot) const { return bytes[kInfoModeList + slot]; }
    bool offersMode(std::uint8_t code) const;
    // Mode code 8 listed: the keyboard keeps user colours.
    bool keepsUserColours() const { return offersMode(kZoneColourMode); }
};

class DeviceCommands {
public:
    explicit DeviceCommands(ReportTransport& transport) : transport_(transport) {}

    [[nodiscard]] int BeginTransfer();
    [[nodiscard]] int EndTransfer();  // sleeps 10 ms before sending
    [[nodiscard]] int TestCommand();

    [[nodiscard]] int ReadDeviceInfo(DeviceInfoBlock& info);
    [[nodiscard]] int WriteDeviceInfo(const DeviceInfoBlock& info);

    // Copies reply bytes 8..63 (56 bytes) into `window` whatever length was asked.
    [[nodiscard]] int ReadSettings(ReplyDataSpan window, std::uint8_t length,
                                   std::uint16_t address);
    // length 1..56.
    [[nodiscard]] int WriteSettings(const std::uint8_t* data, std::uint8_t length,
                                    std::uint16_t address);

    // block 0..2, else -201 with nothing sent.
    [[nodiscard]] int ReadKeymapBlock(KeymapBlockSpan keymap, unsigned block);
    [[nodiscard]] int WriteKeymapBlock(ConstKeymapBlockSpan keymap, unsigned block);

    // count 0 returns 1 with nothing sent; counts whose addresses pass 16 bits give -202.
    // The macro memory's size is the keyboard's (its device info), so these take a length.
    [[nodiscard]] int ReadMacroArea(std::uint8_t* buffer, std::uint32_t count);
    [[nodiscard]] int WriteMacroArea(const std::uint8_t* data, std::uint32_t count);

    [[nodiscard]] int ReadDefaultKeymap(KeymapBlockSpan keymap);

    // Colour slot k (0..11) of `profile`: address 36 * profile + 3 * k. Reads copy 56 bytes.
    [[nodiscard]] int ReadUserColours(ReplyDataSpan window, std::uint8_t length, unsigned slot,
                                      unsigned profile);
    // `shownProfile` is the on-board profile the main window currently shows.
    [[nodiscard]] int WriteUserColours(const std::uint8_t* data, std::uint8_t length, unsigned slot,
                                       unsigned shownProfile);

    ReportTransport& transport() { return transport_; }

private:
    ReportTransport& transport_;
};

}  // namespace qf::device
