#include "presenters/main_window_view.h"

#include <array>

namespace qf::presenters {

namespace {

// The profile files' dialogs: "(*.fwc)|*.fwc|(*.*)|*.*||" in Qt's filter form.
constexpr std::string_view kProfileFilter = "*.fwc (*.fwc);;*.* (*)";
constexpr std::string_view kProfileInitialName = "*.fwc";
constexpr std::string_view kProfileSuffix = "fwc";

constexpr std::array kEndingSequence = {
    EndingStep::BeginClosing,          EndingStep::HideWindow,
    EndingStep::CloseSubWindows,       EndingStep::ReleaseInstance,
    EndingStep::ForgetEventNames,      EndingStep::RemoveTrayIcon,
    EndingStep::ClearUnappliedChanges, EndingStep::StopMonitor,
    EndingStep::ClearDeviceListener,   EndingStep::FreeStores,
    EndingStep::QuitEventLoop,
};

}  // namespace

FileDialogSpec ProfileOpenDialog() {
    return {std::string(kProfileFilter), std::string(kProfileInitialName),
            std::string(kProfileSuffix), false};
}

FileDialogSpec ProfileSaveDialog() {
    return {std::string(kProfileFilter), std::string(kProfileInitialName),
            std::string(kProfileSuffix), true};
}

std::span<const EndingStep> EndingSequence() {
    return kEndingSequence;
}

std::string_view EndingStepName(EndingStep step) {
    switch (step) {
        case EndingStep::BeginClosing:
            return "begin closing";
        case EndingStep::HideWindow:
            return "hide window";
        case EndingStep::CloseSubWindows:
            return "close sub-windows";
        case EndingStep::ReleaseInstance:
            return "release instance";
        case EndingStep::ForgetEventNames:
            return "forget event names";
        case EndingStep::RemoveTrayIcon:
            return "remove tray icon";
        case EndingStep::ClearUnappliedChanges:
            return "clear unapplied changes";
        case EndingStep::StopMonitor:
            return "stop monitor";
        case EndingStep::ClearDeviceListener:
            return "clear device listener";
        case EndingStep::FreeStores:
            return "free stores";
        case EndingStep::QuitEventLoop:
            return "quit event loop";
    }
    return "unknown";
}

}  // namespace qf::presenters
