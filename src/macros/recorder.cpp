#include "macros/recorder.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>

#include "text/ini_file.h"
#include "text/language_keys.h"

namespace qf::macros {

namespace {

// Position of the scan code in kReleaseOnlyScans, or nothing.
std::optional<std::size_t> ReleaseOnlyIndex(keys::ScanCode scan) {
    const auto it = std::find(kReleaseOnlyScans.begin(), kReleaseOnlyScans.end(), scan);
    if (it == kReleaseOnlyScans.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - kReleaseOnlyScans.begin());
}

}  // namespace

std::uint32_t SteadyTickMs() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

bool InsertRecordedAction(RecordingEditor& editor, keys::ScanCode scan, std::uint16_t state,
                          std::int32_t delay) {
    const std::size_t count = editor.ActionCount();
    if (count >= kMaxMacroActions) {
        return false;
    }
    const std::optional<std::size_t> selected = editor.SelectedAction();
    const std::size_t position = selected ? std::min(*selected + 1, count) : count;
    MacroAction action{0, scan, state};
    if (position > 0) {
        // The measured time is the wait after the action before; the new action keeps the
        // wait that used to follow that one.
        action.delay = editor.ActionDelay(position - 1);
        editor.SetActionDelay(position - 1, delay);
    }
    editor.InsertAction(position, action);
    return true;
}

std::int32_t RecordedDelay(int option, std::uint32_t elapsedMs) {
    if (option != kRecordDelayMeasured) {
        return kFixedRecordDelayMs;
    }
    // Cut to one past the keyboard's limit first so that the conversion cannot overflow.
    const std::uint32_t limited =
        std::min(elapsedMs, static_cast<std::uint32_t>(kMaxDeviceDelayMs) + 1);
    return DeviceDelayMs(static_cast<std::int32_t>(limited));
}

MacroRecorder::MacroRecorder(TickSource tick, app::Settings& settings,
                             const text::LanguageTable& language, KeyboardHooks* hooks)
    : tick_(std::move(tick)), settings_(settings), language_(language), hooks_(hooks) {}

RecordResult MacroRecorder::StartRecording(RecordingEditor& editor) {
    if (editor_ == &editor) {
        return RecordResult::Started;
    }
    if (editor_ != nullptr) {
        return RecordResult::Busy;
    }
    editor_ = &editor;
    lastEventTime_ = tick_();
    // A Windows key held across an earlier recording's end was never seen released.
    leftWinDown_ = rightWinDown_ = false;
    releaseOnlyPressSeen_ = {};
    hooksInstalled_ = hooks_ != nullptr && hooks_->Install();
    return hooks_ == nullptr || hooksInstalled_ ? RecordResult::Started : RecordResult::HooksFailed;
}

bool MacroRecorder::StopRecording(RecordingEditor& editor) {
    if (editor_ != &editor) {
        return false;
    }
    if (hooksInstalled_) {
        hooks_->Remove();
        hooksInstalled_ = false;
    }
    editor_ = nullptr;
    return true;
}

void MacroRecorder::Record(keys::ScanCode scan, std::uint16_t state) {
    const std::uint32_t now = tick_();
    // Usually only the release of these keys arrives: put a short press before it. When the
    // press did arrive it has been recorded already and the release follows it alone.
    if (const auto index = ReleaseOnlyIndex(scan)) {
        bool& pressSeen = releaseOnlyPressSeen_[*index];
        if (state == kActionPress) {
            pressSeen = true;
        } else if (pressSeen) {
            pressSeen = false;
        } else {
            (void)InsertRecordedAction(*editor_, scan, kActionPress,
                                       RecordedDelay(recordDelay_, kMissingPressDelayMs));
        }
    }
    // Unsigned subtraction keeps the elapsed time right across the counter's wrap.
    (void)InsertRecordedAction(*editor_, scan, state,
                               RecordedDelay(recordDelay_, now - lastEventTime_));
    lastEventTime_ = now;
}

bool MacroRecorder::OnThreadKeystroke(std::uint8_t vk, std::uint32_t keystrokeWord) {
    if (editor_ == nullptr) {
        return false;
    }
    const keys::ScanCode scan = keys::VkToScan(vk, keystrokeWord);
    if (scan == keys::kNoKey || keys::IsMediaKey(scan)) {
        return false;
    }
    const bool released = (keystrokeWord & keys::kKeystrokeReleaseBit) != 0;
    if (!released && (keystrokeWord & keys::kKeystrokeWasDownBit) != 0) {
        return true;  // auto-repeat
    }
    Record(scan, released ? kActionRelease : kActionPress);
    return true;
}

bool MacroRecorder::OnLowLevelKey(const keys::LowLevelKeyMessage& message) {
    if (editor_ == nullptr) {
        return false;
    }
    bool* down = nullptr;
    keys::ScanCode scan = keys::kNoKey;
    if (message.vkCode == keys::kVkLeftWin) {
        down = &leftWinDown_;
        scan = kLeftWinScan;
    } else if (message.vkCode == keys::kVkRightWin) {
        down = &rightWinDown_;
        scan = kRightWinScan;
    } else {
        return false;
    }
    if (message.keyDown()) {
        if (*down) {
            return true;  // auto-repeat
        }
        *down = true;
        Record(scan, kActionPress);
        return true;
    }
    if (message.message == keys::kWmKeyUp || message.message == keys::kWmSysKeyUp) {
        *down = false;
        Record(scan, kActionRelease);
        return true;
    }
    return false;
}

bool MacroRecorder::OnEvdevKey(std::uint16_t evdevCode, bool pressed, bool autoRepeat,
                               keys::HookKeyState state) {
    if (const auto message = keys::TranslateEvdevLowLevel(evdevCode, pressed, state)) {
        if (OnLowLevelKey(*message)) {
            return true;
        }
    }
    if (const auto keystroke = keys::TranslateEvdev(evdevCode, pressed, autoRepeat, state)) {
        return OnThreadKeystroke(keystroke->vk, keystroke->word);
    }
    return false;
}

std::string MacroRecorder::RecordDelayValueName() const {
    const std::string& name = language_.Text(text::TextId::MACRO_ACTION_RECORD_DELAY);
    // A language file without the key leaves its text empty, which no settings value can be
    // named by: keep the built-in name then.
    if (name.empty()) {
        return std::string(text::TextKey(text::TextId::MACRO_ACTION_RECORD_DELAY).builtIn);
    }
    return name;
}

int MacroRecorder::ReadRecordDelay() {
    const int stored = text::ParseLeadingInt(settings_.ReadString(RecordDelayValueName(), "0"));
    recordDelay_ = stored == kRecordDelayMeasured ? kRecordDelayMeasured : kRecordDelayFixed;
    return recordDelay_;
}

int MacroRecorder::WriteRecordDelay(int value) {
    recordDelay_ = value == kRecordDelayMeasured ? kRecordDelayMeasured : kRecordDelayFixed;
    // A store that cannot be written keeps its old value; the option holds for this run.
    (void)settings_.WriteFlag(RecordDelayValueName(), recordDelay_);
    return recordDelay_;
}

}  // namespace qf::macros
