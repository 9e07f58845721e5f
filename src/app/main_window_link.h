// How threads outside the window thread reach the main window. The windows implement it with
// blocking and queued calls into the event loop; tests implement it with a fake window running
// its own thread.
#pragma once

#include <cstdint>

namespace qf::app {

class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;

    // Runs the message's handler on the window thread and waits until it has run. Called from
    // the window thread itself, the handler runs at once. Returns the handler's result.
    virtual int SendMessage(std::uint32_t message, std::uint32_t tag) = 0;
    // Queues the message for the window thread and returns at once.
    virtual void PostMessage(std::uint32_t message, std::uint32_t tag) = 0;
    // Starts (or restarts) a timer on the window thread; its handler stops it when it fires.
    virtual void StartTimer(std::uint32_t timerId, std::uint32_t delayMs) = 0;
    // Shows this icon in the notification area.
    virtual void SetTrayIcon(int iconId) = 0;
    // The main window's ready flag: set once its start-up has finished.
    virtual bool IsReady() const = 0;
    // Hides the main window (the keyboard went away).
    virtual void HideWindow() = 0;
};

}  // namespace qf::app
