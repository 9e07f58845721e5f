// The one owner of the keyboard hooks, shared by the assignment editor's key capture and the
// macro recorder.
//
// While either runs, the program catches every keystroke before the desktop does (on Linux an
// application event filter plus a keyboard grab, which the window side supplies as a
// KeyboardGrab). Capture and recording never run together, but a page change of the editor
// stops one and starts the other, so the hooks are held by this one object: they are taken when
// the first of the two starts and released when the last one ends. The window side watches
// mode() (or its own Take/Release calls) to grab and release the keyboard; every way out of
// capture or recording ends here, so the desktop never keeps losing its keyboard.
//
// Runs on the user-interface thread only.
#pragma once

#include <cstdint>

#include "keys/hook_keystroke.h"
#include "keys/key_tables.h"
#include "macros/recorder.h"

namespace qf::presenters {

// What holds the keystrokes while capture or recording runs: on Linux an application event
// filter plus a keyboard grab. Take starts delivering key events to HookOwner::OnKeyEvent; it
// fails only when key events cannot be caught at all (a grab the desktop refuses is a warning,
// see HookOwner::NoteGrabRefused, not a failure).
class KeyboardGrab {
public:
    virtual ~KeyboardGrab() = default;
    [[nodiscard]] virtual bool Take() = 0;
    virtual void Release() = 0;
};

// Where captured keys go: the assignment editor.
class KeyCaptureSink {
public:
    virtual ~KeyCaptureSink() = default;
    virtual void OnKeyCaptured(keys::ScanCode scan) = 0;
};

enum class HookMode { Off, Capture, Recording };

// A key event as the window system's event filter sees it.
struct NativeKeyEvent {
    std::uint32_t nativeKeycode = 0;    // X11 and Wayland key code: evdev code + 8
    std::uint32_t nativeModifiers = 0;  // the X11 modifier state at the time of the event
    bool pressed = true;
    bool autoRepeat = false;
};

// X11 modifier state bits.
inline constexpr std::uint32_t kX11ControlMask = 1u << 2;
inline constexpr std::uint32_t kX11Mod1Mask = 1u << 3;  // Alt
inline constexpr std::uint32_t kX11Mod2Mask = 1u << 4;  // Num Lock

// The lock and modifier state the key conversions need, from the X11 modifier state.
[[nodiscard]] keys::HookKeyState HookKeyStateFromX11(std::uint32_t modifiers);

class HookOwner final : public macros::KeyboardHooks {
public:
    // `grab` must outlive the owner.
    explicit HookOwner(KeyboardGrab& grab) : grab_(grab) {}
    HookOwner(const HookOwner&) = delete;
    HookOwner& operator=(const HookOwner&) = delete;
    ~HookOwner() override;

    // The program's recorder, built with this owner as its KeyboardHooks.
    void AttachRecorder(macros::MacroRecorder* recorder) { recorder_ = recorder; }

    // Starts key capture into `sink`, ending a recording first. False when the keystrokes cannot
    // be caught (capture is then off).
    [[nodiscard]] bool StartCapture(KeyCaptureSink& sink);
    // Ends key capture; nothing when it is not running.
    void StopCapture();

    // Starts recording into `editor` through the recorder, ending key capture first (the hooks
    // stay held across the change). The recorder's result: Started, Busy or HooksFailed (then
    // the recording state stands until StopRecording, as the recorder keeps it). Busy too when
    // no recorder is attached.
    [[nodiscard]] macros::RecordResult StartRecording(macros::RecordingEditor& editor);
    // Ends the recording of `editor`; nothing when it is not recording.
    void StopRecording(macros::RecordingEditor& editor);
    [[nodiscard]] bool IsRecordingInto(const macros::RecordingEditor& editor) const;

    // Ends capture and recording, whatever runs: the editor's closing, the keyboard's removal,
    // the program's end.
    void StopAll();

    // One key event while the hooks are held: to key capture or to the recorder. True when the
    // event is swallowed and must do nothing else. The release half of an auto-repeat pair
    // (X11 reports each auto-repeat as a release and a press, both marked as auto-repeats) is
    // swallowed here, so that neither capture nor the recorder sees a key go up that is still
    // held. Events while nothing runs, and keys the translation does not know, pass on.
    bool OnKeyEvent(const NativeKeyEvent& event);

    [[nodiscard]] HookMode mode() const { return mode_; }
    // The hooks are taken (the window side holds its event filter and grab).
    [[nodiscard]] bool held() const { return held_; }

    // The window side reports that the desktop refused the keyboard grab. True the first time
    // in the program's run: the caller then warns once (KEYBOARD_GRAB_REFUSED) that the Windows
    // and system keys may reach the desktop.
    [[nodiscard]] bool NoteGrabRefused();

    // macros::KeyboardHooks, called by the recorder as it starts and stops.
    [[nodiscard]] bool Install() override;
    void Remove() override;

private:
    bool Hold();
    void Let();

    KeyboardGrab& grab_;
    macros::MacroRecorder* recorder_ = nullptr;
    KeyCaptureSink* sink_ = nullptr;
    macros::RecordingEditor* recordingEditor_ = nullptr;
    HookMode mode_ = HookMode::Off;
    bool held_ = false;
    bool grabRefusalNoted_ = false;
};

}  // namespace qf::presenters
