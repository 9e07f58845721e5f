// The keyboard's command set: fourteen operations, each one or more report transactions.
// Every operation returns Ok on success or the first failing result (BadArgument for arguments
// that cannot be encoded and BlockOutOfRange for a keymap block past the last; nothing is sent
// then). The chunked transfers can also say which report of theirs failed.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/failure.h"
#include "device/memory_layout.h"
#include "device/report.h"
#include "device/result.h"
#include "device/transaction.h"

namespace qf::device {

// What a settings or user colour read copies out of its reply: the whole data part.
inline constexpr std::size_t kSettingsReplySize = kReportDataSize;

using KeymapBlockSpan = std::span<std::uint8_t, kKeymapBlockSize>;
using ConstKeymapBlockSpan = std::span<const std::uint8_t, kKeymapBlockSize>;
using ReplyDataSpan = std::span<std::uint8_t, kSettingsReplySize>;

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

    [[nodiscard]] DeviceResult BeginTransfer();
    [[nodiscard]] DeviceResult EndTransfer();  // sleeps 10 ms before sending
    [[nodiscard]] DeviceResult TestCommand();

    [[nodiscard]] DeviceResult ReadDeviceInfo(DeviceInfoBlock& info);
    [[nodiscard]] DeviceResult WriteDeviceInfo(const DeviceInfoBlock& info);

    // Copies reply bytes 8..63 (56 bytes) into `window` whatever length was asked.
    [[nodiscard]] DeviceResult ReadSettings(ReplyDataSpan window, std::uint8_t length,
                                            std::uint16_t address);
    // length 1..56.
    [[nodiscard]] DeviceResult WriteSettings(const std::uint8_t* data, std::uint8_t length,
                                             std::uint16_t address);

    // The chunked transfers below fill `failure`, when given and the transfer fails, with the
    // command, the block (keymaps) and the 1-based report that failed; it is left alone on
    // success.

    // block 0..2, else BlockOutOfRange with nothing sent.
    [[nodiscard]] DeviceResult ReadKeymapBlock(KeymapBlockSpan keymap, unsigned block,
                                               Failure* failure = nullptr);
    [[nodiscard]] DeviceResult WriteKeymapBlock(ConstKeymapBlockSpan keymap, unsigned block,
                                                Failure* failure = nullptr);

    // count 0 returns Ok with nothing sent; counts whose addresses pass 16 bits give
    // BadArgument. The macro memory's size is the keyboard's (its device info), so these take a
    // length.
    [[nodiscard]] DeviceResult ReadMacroArea(std::uint8_t* buffer, std::uint32_t count,
                                             Failure* failure = nullptr);
    [[nodiscard]] DeviceResult WriteMacroArea(const std::uint8_t* data, std::uint32_t count,
                                              Failure* failure = nullptr);

    [[nodiscard]] DeviceResult ReadDefaultKeymap(KeymapBlockSpan keymap,
                                                 Failure* failure = nullptr);

    // Colour slot k (0..11) of `profile`: address 36 * profile + 3 * k. Reads copy 56 bytes.
    [[nodiscard]] DeviceResult ReadUserColours(ReplyDataSpan window, std::uint8_t length,
                                               unsigned slot, unsigned profile);
    // `shownProfile` is the on-board profile the main window currently shows.
    [[nodiscard]] DeviceResult WriteUserColours(const std::uint8_t* data, std::uint8_t length,
                                                unsigned slot, unsigned shownProfile);

    ReportTransport& transport() { return transport_; }

private:
    ReportTransport& transport_;
};

}  // namespace qf::device
