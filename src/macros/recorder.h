// The macro recorder: turns the keystrokes typed while the composite editor's Record button is
// on into press and release actions of the editor's action list.
//
// The recorder holds no operating-system hooks. The user interface routes every keystroke to it
// while it records (KeyboardHooks below) in the two forms the keys module builds from evdev
// events (keys/hook_keystroke.h): first the low-level message, which handles the Windows keys,
// then, when that one was passed on, the thread hook's keystroke. OnEvdevKey does both in that
// order. A handler returning true means the keystroke is swallowed: it must do nothing else.
//
// Delays: an action's delay is the wait after it. A recorded event measured `d` milliseconds
// after the previous one is inserted at position p (after the selected action, or at the end):
// the action at p - 1 gets d and the new action takes over the old delay of p - 1; at p = 0 the
// new action gets 0 and d is dropped. With the record-delay option 0 every d is 50 ms.
//
// One recorder serves the whole program and runs one recording at a time. Not synchronised:
// everything runs on the user-interface thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/settings.h"
#include "keys/hook_keystroke.h"
#include "keys/key_codes.h"
#include "macros/macro_record.h"
#include "text/language.h"

namespace qf::macros {

// A 32-bit millisecond counter that wraps round.
using TickSource = std::function<std::uint32_t()>;

// The production tick: milliseconds of the steady clock, cut to 32 bits.
[[nodiscard]] std::uint32_t SteadyTickMs();

// Record-delay option values.
inline constexpr int kRecordDelayFixed = 0;     // every delay is kFixedRecordDelayMs
inline constexpr int kRecordDelayMeasured = 1;  // delays as measured
inline constexpr std::int32_t kFixedRecordDelayMs = 50;
// Delay of the press put before a key that reports only its release.
inline constexpr std::int32_t kMissingPressDelayMs = 2;

// Keys whose press the system does not report: Sys Req, the two Korean keys, Print Screen.
inline constexpr std::array<keys::ScanCode, 4> kReleaseOnlyScans = {0x054, 0x071, 0x072, 0x137};
// Scan codes recorded for the Windows keys.
inline constexpr keys::ScanCode kLeftWinScan = 0x15B;
inline constexpr keys::ScanCode kRightWinScan = 0x15C;

// StartRecording results.
enum class RecordResult : int {
    Started = 1,
    Busy = 0,          // another editor is recording: nothing changed
    HooksFailed = -1,  // recording, but no keystrokes will arrive
};

// The editor's action list as the recorder sees it.
class RecordingEditor {
public:
    virtual ~RecordingEditor() = default;

    [[nodiscard]] virtual std::size_t ActionCount() const = 0;
    // The selected action's position, or nothing when none is selected.
    [[nodiscard]] virtual std::optional<std::size_t> SelectedAction() const = 0;
    [[nodiscard]] virtual std::int32_t ActionDelay(std::size_t position) const = 0;
    virtual void SetActionDelay(std::size_t position, std::int32_t delay) = 0;
    // Inserts the action at `position` (0 to ActionCount()), selects it, scrolls it into view
    // and sets the editor's modified flag.
    virtual void InsertAction(std::size_t position, const MacroAction& action) = 0;
};

// Whatever delivers the keystrokes to the recorder and lets it swallow them (on Linux an
// application event filter and a keyboard grab).
class KeyboardHooks {
public:
    virtual ~KeyboardHooks() = default;
    // False when the keystrokes cannot be caught.
    [[nodiscard]] virtual bool Install() = 0;
    virtual void Remove() = 0;
};

// Inserts a recorded (scan, state) after the editor's selected action, or at the end, placing
// `delay` as the wait before it (see above). Returns false, and changes nothing, when the list
// already holds kMaxMacroActions actions.
[[nodiscard]] bool InsertRecordedAction(RecordingEditor& editor, keys::ScanCode scan,
                                        std::uint16_t state, std::int32_t delay);

// The delay recorded for `elapsedMs`: as measured with kRecordDelayMeasured, limited to what the
// keyboard can hold (DeviceDelayMs); kFixedRecordDelayMs with any other option.
[[nodiscard]] std::int32_t RecordedDelay(int option, std::uint32_t elapsedMs);

class MacroRecorder {
public:
    // `settings`, `language` and `hooks` (which may be null) must outlive the recorder.
    MacroRecorder(TickSource tick, app::Settings& settings, const text::LanguageTable& language,
                  KeyboardHooks* hooks = nullptr);
    MacroRecorder(const MacroRecorder&) = delete;
    MacroRecorder& operator=(const MacroRecorder&) = delete;

    // Starts recording into `editor`: Started (also when `editor` already records), Busy when
    // another editor records, HooksFailed when the hooks could not be installed (the recording
    // state stands; StopRecording ends it as usual). The editor must call StopRecording before it
    // goes away.
    [[nodiscard]] RecordResult StartRecording(RecordingEditor& editor);
    // Ends the recording of `editor`: true, or false when `editor` is not recording.
    bool StopRecording(RecordingEditor& editor);

    [[nodiscard]] bool IsRecording() const { return editor_ != nullptr; }
    [[nodiscard]] bool IsRecordingInto(const RecordingEditor& editor) const {
        return editor_ == &editor;
    }

    // The thread hook: a keystroke's virtual key and keystroke word. True when swallowed.
    bool OnThreadKeystroke(std::uint8_t vk, std::uint32_t keystrokeWord);
    // The low-level hook: handles the Windows keys only. True when swallowed.
    bool OnLowLevelKey(const keys::LowLevelKeyMessage& message);
    // One evdev key event through both hooks, the low-level one first. True when swallowed.
    bool OnEvdevKey(std::uint16_t evdevCode, bool pressed, bool autoRepeat,
                    keys::HookKeyState state = {});

    // The record-delay option from the settings store (missing reads as 0; anything but 1 is
    // 0). The recorder uses it from then on.
    [[nodiscard]] int ReadRecordDelay();
    // Stores the option ("%d"; values other than 0 and 1 store 0) and uses it from then on.
    // Returns the value stored. When the store cannot be written the option still holds for
    // this run.
    int WriteRecordDelay(int value);
    // The option in use.
    [[nodiscard]] int RecordDelay() const { return recordDelay_; }

private:
    // Steps common to both hooks: the missing press, the action itself, the event time.
    void Record(keys::ScanCode scan, std::uint16_t state);
    // The settings value name: the text of MACRO_ACTION_RECORD_DELAY.
    [[nodiscard]] std::string RecordDelayValueName() const;

    TickSource tick_;
    app::Settings& settings_;
    const text::LanguageTable& language_;
    KeyboardHooks* hooks_;

    RecordingEditor* editor_ = nullptr;
    bool hooksInstalled_ = false;
    std::uint32_t lastEventTime_ = 0;
    // Which Windows keys the low-level hook has seen down (left, right).
    bool leftWinDown_ = false;
    bool rightWinDown_ = false;
    // Which keys of kReleaseOnlyScans had their press reported and recorded.
    std::array<bool, kReleaseOnlyScans.size()> releaseOnlyPressSeen_{};
    int recordDelay_ = kRecordDelayFixed;
};

}  // namespace qf::macros
