// One running instance per user: the names of its lock file and local socket, the messages a
// second start sends over the socket, and the names of the instance events.
//
// The instance that takes the lock file (flock) runs; it listens on the local socket. A second
// start connects and sends one message, (0x5350, OPEN) to show the window or (0x4D4B, KILL)
// with "/Kill" to end the program, and ends. On the socket a message is 8 bytes: the message
// number and its tag, each a 32-bit little-endian value. The running instance acts only on a
// known message with its own tag; anything else, a short message included, is ignored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"

namespace qf::presenters {

// ---- Lock file and socket ----

// The environment variable naming the user's private runtime folder, and the folder used when
// it is unset, empty or not absolute (or too long for a socket path).
inline constexpr std::string_view kRuntimeDirVariable = "XDG_RUNTIME_DIR";
inline constexpr std::string_view kSharedTempFolder = "/tmp";
inline constexpr std::string_view kLockFileSuffix = ".lock";
inline constexpr std::string_view kSocketSuffix = ".socket";
// A local socket's path must fit sockaddr_un::sun_path (108 bytes with the terminator).
inline constexpr std::size_t kMaxSocketPathLength = 107;

struct InstanceNames {
    std::filesystem::path folder;    // the runtime folder, or /tmp
    std::filesystem::path lockFile;  // <folder>/<executable>-<uid>.lock
    std::filesystem::path socket;    // <folder>/<executable>-<uid>.socket: the server's full name
    // The folder is /tmp, shared with other users: the lock file must be opened without
    // following links and checked to be the user's own.
    bool sharedFolder = false;
};

// The names for `executableName` (the executable's file name, InstallPaths::executableName) and
// user `uid`. `runtimeDir` is the value of XDG_RUNTIME_DIR, if set. Two copies of the program
// installed under different names run independently; two users never share a name.
[[nodiscard]] InstanceNames MakeInstanceNames(std::string_view executableName, unsigned uid,
                                              const std::optional<std::string>& runtimeDir);

// ---- Messages between instances ----

struct InstanceMessage {
    std::uint32_t message = 0;
    std::uint32_t tag = 0;
    bool operator==(const InstanceMessage&) const = default;
};

inline constexpr std::size_t kInstanceMessageSize = 8;
// What a running instance reads from one connection at most; the rest is dropped, so a client
// that floods the socket costs nothing.
inline constexpr std::size_t kMaxInstanceBytesPerConnection = 64;

[[nodiscard]] std::array<std::uint8_t, kInstanceMessageSize> EncodeInstanceMessage(
    InstanceMessage message);

// What a second start asks for.
enum class InstanceRequest {
    None,  // unknown message, wrong tag, or garbage
    Open,  // 0x5350 with OPEN: show the window (or the no-keyboard message)
    Kill,  // 0x4D4B with KILL: end the program
};
[[nodiscard]] InstanceRequest ClassifyInstanceMessage(InstanceMessage message);

// The message a second start sends for its command line.
[[nodiscard]] InstanceMessage MessageForRequest(InstanceRequest request);

// Splits the bytes of one connection into messages, however the bytes arrive in pieces. A
// message cut short when the connection ends is never delivered. One decoder per connection.
class InstanceMessageDecoder {
public:
    // The messages completed by these bytes, in order.
    [[nodiscard]] std::vector<InstanceMessage> Feed(ByteSpan bytes);
    [[nodiscard]] std::vector<InstanceMessage> Feed(std::string_view bytes);
    // Bytes of an incomplete message held back.
    [[nodiscard]] std::size_t pending() const { return have_; }
    // More than kMaxInstanceBytesPerConnection bytes arrived: the rest was ignored.
    [[nodiscard]] bool overflowed() const { return overflowed_; }

private:
    std::array<std::uint8_t, kInstanceMessageSize> partial_{};
    std::size_t have_ = 0;
    std::size_t total_ = 0;
    bool overflowed_ = false;
};

// ---- Instance events ----

// The names the instance events are known by: "%sMain_%02d" of the prefix and 1..210. Nothing
// system-wide is created for them: nothing signals or waits on them, so the program only keeps
// their names from its start to its end.
inline constexpr std::string_view kInstanceEventPrefix = "Quillfen_Event_";
inline constexpr std::string_view kInstanceEventFormat = "%sMain_%02d";
inline constexpr int kInstanceEventCount = 210;

[[nodiscard]] std::string InstanceEventName(int number);
[[nodiscard]] std::vector<std::string> InstanceEventNames();

}  // namespace qf::presenters
