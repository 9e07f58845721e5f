// Types shared by the virtual keyboard's parts and its users.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qf::vkbd {

// The keyboard's interfaces, as the request keys name them.
enum class Interface { Control, Consumer, Led };
enum class Direction { ToKeyboard, FromKeyboard };

// One report that went to the keyboard or came from it.
struct TraceEntry {
    Direction direction;
    Interface interface;
    std::vector<std::uint8_t> bytes;
};

// One control report the keyboard received, decoded: its command (byte 3), its length or
// parameter (byte 4), its address (bytes 5-6, low byte first) and its data bytes (from byte 8,
// as many as the length says, at most 56; zeros for a read).
struct ReceivedRequest {
    std::uint8_t command = 0;
    std::uint8_t length = 0;
    std::uint16_t address = 0;
    std::vector<std::uint8_t> data;

    bool operator==(const ReceivedRequest&) const = default;
};

// One line of text for a trace entry: '>' (to the keyboard) or '<' (from it), a space, CTRL,
// CONS or LED, a space, then the bytes as two lower-case hex digits separated by single spaces.
std::string FormatTraceLine(const TraceEntry& entry);

// The keyboard's memory areas, each addressed from 0 as the commands address it.
enum class Area { KeymapBlocks, DefaultKeymap, MacroMemory, Settings, UserColours, DeviceInfo };
inline constexpr std::size_t kAreaCount = 6;

}  // namespace qf::vkbd
