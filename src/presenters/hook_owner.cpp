#include "presenters/hook_owner.h"

#include "presenters/key_capture.h"

namespace qf::presenters {

keys::HookKeyState HookKeyStateFromX11(std::uint32_t modifiers) {
    keys::HookKeyState state;
    state.numLock = (modifiers & kX11Mod2Mask) != 0;
    state.ctrl = (modifiers & kX11ControlMask) != 0;
    state.alt = (modifiers & kX11Mod1Mask) != 0;
    return state;
}

HookOwner::~HookOwner() {
    // The recorder may be gone already (it is built after its hooks): only let the hooks go.
    Let();
}

bool HookOwner::Hold() {
    if (!held_) {
        held_ = grab_.Take();
    }
    return held_;
}

void HookOwner::Let() {
    if (held_) {
        held_ = false;
        grab_.Release();
    }
}

bool HookOwner::StartCapture(KeyCaptureSink& sink) {
    if (recordingEditor_ != nullptr) {
        StopRecording(*recordingEditor_);
    }
    if (!Hold()) {
        mode_ = HookMode::Off;
        sink_ = nullptr;
        return false;
    }
    mode_ = HookMode::Capture;
    sink_ = &sink;
    return true;
}

void HookOwner::StopCapture() {
    if (mode_ != HookMode::Capture) {
        return;
    }
    mode_ = HookMode::Off;
    sink_ = nullptr;
    Let();
}

macros::RecordResult HookOwner::StartRecording(macros::RecordingEditor& editor) {
    if (recorder_ == nullptr) {
        return macros::RecordResult::Busy;
    }
    if (mode_ == HookMode::Capture) {
        // Keep the hooks across the change: Install finds them held.
        mode_ = HookMode::Off;
        sink_ = nullptr;
    }
    const macros::RecordResult result = recorder_->StartRecording(editor);
    if (result == macros::RecordResult::Started || result == macros::RecordResult::HooksFailed) {
        recordingEditor_ = &editor;
    }
    if (mode_ != HookMode::Recording) {
        Let();  // held for capture but not taken over by a recording
    }
    return result;
}

void HookOwner::StopRecording(macros::RecordingEditor& editor) {
    if (recordingEditor_ != &editor) {
        return;
    }
    recordingEditor_ = nullptr;
    if (recorder_ != nullptr) {
        (void)recorder_->StopRecording(editor);
    }
    // The recorder removes the hooks it installed; these lines cover a recording whose hooks
    // were never installed.
    if (mode_ == HookMode::Recording) {
        mode_ = HookMode::Off;
    }
    if (mode_ == HookMode::Off) {
        Let();
    }
}

bool HookOwner::IsRecordingInto(const macros::RecordingEditor& editor) const {
    return recordingEditor_ == &editor;
}

void HookOwner::StopAll() {
    StopCapture();
    if (recordingEditor_ != nullptr) {
        StopRecording(*recordingEditor_);
    }
    mode_ = HookMode::Off;
    sink_ = nullptr;
    Let();
}

bool HookOwner::Install() {
    if (!Hold()) {
        return false;
    }
    mode_ = HookMode::Recording;
    return true;
}

void HookOwner::Remove() {
    if (mode_ != HookMode::Recording) {
        return;
    }
    mode_ = HookMode::Off;
    Let();
}

bool HookOwner::NoteGrabRefused() {
    if (grabRefusalNoted_) {
        return false;
    }
    grabRefusalNoted_ = true;
    return true;
}

bool HookOwner::OnKeyEvent(const NativeKeyEvent& event) {
    if (mode_ == HookMode::Off) {
        return false;
    }
    const auto evdev = keys::EvdevFromNativeKeycode(event.nativeKeycode);
    if (!evdev) {
        return false;
    }
    if (!event.pressed && event.autoRepeat) {
        return true;  // the release half of an auto-repeat: the key is still held
    }
    const keys::HookKeyState state = HookKeyStateFromX11(event.nativeModifiers);
    if (mode_ == HookMode::Capture) {
        const CaptureResult result =
            CaptureEvdevKey(*evdev, event.pressed, event.autoRepeat, state);
        if (result.captured && sink_ != nullptr) {
            sink_->OnKeyCaptured(*result.captured);
        }
        return result.swallow;
    }
    if (recorder_ == nullptr) {
        return false;
    }
    return recorder_->OnEvdevKey(*evdev, event.pressed, event.autoRepeat, state);
}

}  // namespace qf::presenters
