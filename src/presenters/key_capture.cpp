#include "presenters/key_capture.h"

#include "keys/key_codes.h"

namespace qf::presenters {

namespace {

constexpr keys::ScanCode kPrintScreenScan = 0x137;
// The low-level hook's keys take the extended scan code of their virtual key.
constexpr keys::ScanCode kExtendedScanBit = 0x100;

bool IsLowLevelCaptureKey(std::uint32_t vk) {
    return vk == keys::kVkLeftWin || vk == keys::kVkRightWin || vk == keys::kVkApps;
}

}  // namespace

CaptureResult CaptureThreadKeystroke(std::uint8_t vk, std::uint32_t keystrokeWord) {
    const keys::ScanCode scan = keys::VkToScan(vk, keystrokeWord);
    if (scan == keys::kNoKey || keys::IsMediaKey(scan)) {
        return {};
    }
    const bool released = (keystrokeWord & keys::kKeystrokeReleaseBit) != 0;
    const bool repeated = !released && (keystrokeWord & keys::kKeystrokeWasDownBit) != 0;
    if ((released || repeated) && scan != kPrintScreenScan) {
        return {true, std::nullopt};
    }
    return {true, scan};
}

CaptureResult CaptureLowLevelKey(const keys::LowLevelKeyMessage& message) {
    const bool keyMessage =
        message.message == keys::kWmKeyDown || message.message == keys::kWmKeyUp ||
        message.message == keys::kWmSysKeyDown || message.message == keys::kWmSysKeyUp;
    if (!keyMessage || !IsLowLevelCaptureKey(message.vkCode)) {
        return {};
    }
    return {true, static_cast<keys::ScanCode>(kExtendedScanBit | message.vkCode)};
}

CaptureResult CaptureEvdevKey(std::uint16_t evdevCode, bool pressed, bool autoRepeat,
                              keys::HookKeyState state) {
    if (const auto message = keys::TranslateEvdevLowLevel(evdevCode, pressed, state)) {
        const CaptureResult lowLevel = CaptureLowLevelKey(*message);
        if (lowLevel.swallow) {
            return lowLevel;
        }
    }
    if (const auto keystroke = keys::TranslateEvdev(evdevCode, pressed, autoRepeat, state)) {
        return CaptureThreadKeystroke(keystroke->vk, keystroke->word);
    }
    return {};
}

}  // namespace qf::presenters
