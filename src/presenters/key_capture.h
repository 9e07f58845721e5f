// Key capture on the assignment editor's single-key page: which keystroke becomes the key the
// edited key sends, and which keystrokes are swallowed.
//
// It runs on the keystrokes the keys module builds from evdev events (keys/hook_keystroke.h),
// in the two forms a keyboard hook delivers them: the low-level message first, which takes the
// Windows and application keys on every key down and key up, then the thread hook's keystroke
// for every other key. The thread hook lets the media keys (and keys without a scan code) pass
// on, swallows releases and auto-repeats without effect, and takes everything else on its
// press. Print Screen is the exception: the system delivers only its release, which is taken.
#pragma once

#include <cstdint>
#include <optional>

#include "keys/hook_keystroke.h"
#include "keys/key_tables.h"

namespace qf::presenters {

// What capture does with one keystroke.
struct CaptureResult {
    bool swallow = false;                    // true: the keystroke does nothing else
    std::optional<keys::ScanCode> captured;  // the key the editor takes, if any

    bool operator==(const CaptureResult&) const = default;
};

// The thread hook: a keystroke's virtual key and keystroke word.
[[nodiscard]] CaptureResult CaptureThreadKeystroke(std::uint8_t vk, std::uint32_t keystrokeWord);

// The low-level hook: the Windows keys (0x5B, 0x5C) and the application key (0x5D) are taken
// as 0x15B, 0x15C and 0x15D on every key down and key up; every other key passes on.
[[nodiscard]] CaptureResult CaptureLowLevelKey(const keys::LowLevelKeyMessage& message);

// One evdev key event through both hooks, the low-level one first. Events of keys the
// translation does not know pass on.
[[nodiscard]] CaptureResult CaptureEvdevKey(std::uint16_t evdevCode, bool pressed, bool autoRepeat,
                                            keys::HookKeyState state = {});

}  // namespace qf::presenters
