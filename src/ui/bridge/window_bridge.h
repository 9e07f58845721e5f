// Everything the core needs from the windows, in one object the session creates on the GUI
// thread before any window exists (and destroys after the device monitor has stopped):
//
//   WindowBridge bridge;                       // real message boxes
//   DeviceMonitor monitor({link, ..., bridge.link(), led, bridge.bankView(), ...,
//                          bridge.prompter(), language});
//   ...                                        // windows built later bind themselves:
//   bridge.link().Bind(&mainWindow);
//   bridge.bankView().Bind(&keyboardView);
//   bridge.prompter().SetParent(&mainWindow);
//   ...
//   { auto busy = bridge.Busy(); transfers.Apply(...); }   // device messages wait
//   ...
//   bridge.BeginClosing();                     // first step of the ending
//
// Threads, closing and busy scopes: see gui_dispatcher.h, window_link.h and view_bridges.h.
#pragma once

#include <memory>

#include "ui/bridge/gui_dispatcher.h"
#include "ui/bridge/view_bridges.h"
#include "ui/bridge/window_link.h"
#include "ui/bridge/window_prompter.h"

namespace qf::ui {

class WindowBridge {
public:
    // `boxes`: the message boxes to use (tests pass a fake); null for real ones. It outlives
    // the bridge.
    explicit WindowBridge(MessageBoxes* boxes = nullptr);
    // Begins closing, so that nothing queued runs while the parts go.
    ~WindowBridge();
    WindowBridge(const WindowBridge&) = delete;
    WindowBridge& operator=(const WindowBridge&) = delete;

    [[nodiscard]] GuiDispatcher& gui() { return gui_; }
    [[nodiscard]] WindowLink& link() { return link_; }
    [[nodiscard]] WindowPrompter& prompter() { return prompter_; }
    [[nodiscard]] BankViewBridge& bankView() { return bankView_; }
    [[nodiscard]] AssignmentViewBridge& assignmentView() { return assignmentView_; }
    [[nodiscard]] LightingViewBridge& lightingView() { return lightingView_; }
    [[nodiscard]] DeviceWindowViewBridge& deviceWindowView() { return deviceWindowView_; }
    [[nodiscard]] SwitchHostBridge& switchHost() { return switchHost_; }

    void BeginClosing() { gui_.BeginClosing(); }
    [[nodiscard]] bool closing() const { return gui_.closing(); }
    [[nodiscard]] GuiDispatcher::BusyScope Busy() { return gui_.Busy(); }

private:
    std::unique_ptr<QtMessageBoxes> ownBoxes_;
    GuiDispatcher gui_;
    WindowLink link_;
    WindowPrompter prompter_;
    BankViewBridge bankView_;
    AssignmentViewBridge assignmentView_;
    LightingViewBridge lightingView_;
    DeviceWindowViewBridge deviceWindowView_;
    SwitchHostBridge switchHost_;
};

}  // namespace qf::ui
