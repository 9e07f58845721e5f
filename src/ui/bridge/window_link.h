// The main-window link (app/main_window_link.h) for the Qt windows.
//
// The session creates it before any window exists and hands it to the device monitor; the main
// window binds itself when it is built. Until then the link is safe to use: messages and timers
// wait (their senders with them) and are delivered, in order, once a window is bound; the tray
// icon asked for last is shown at binding. Messages, posted messages and timers are device work:
// they never run inside a busy scope (see GuiDispatcher::Busy). Once closing has started, a send
// returns 0 at once and nothing more is delivered.
//
//   WindowLink link(gui);                         // GUI thread
//   DeviceMonitor monitor({..., link, ...});
//   MainWindow window(...);
//   link.Bind(&window);                           // MainWindow implements MainWindowTarget
//   ...
//   link.SetReady(true);                          // end of its start-up
#pragma once

#include <QTimer>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "app/main_window_link.h"
#include "ui/bridge/gui_dispatcher.h"

namespace qf::ui {

// What the main window does with what the link delivers. Called on the GUI thread only.
class MainWindowTarget {
public:
    virtual ~MainWindowTarget() = default;
    // A window message (app/window_messages.h) with its tag: the handler's result.
    virtual int OnWindowMessage(std::uint32_t message, std::uint32_t tag) = 0;
    // A timer fired; it is already stopped.
    virtual void OnWindowTimer(std::uint32_t timerId) = 0;
    virtual void ShowTrayIcon(int iconId) = 0;
    virtual void HideMainWindow() = 0;
};

class WindowLink final : public app::MainWindowLink {
public:
    // GUI thread.
    explicit WindowLink(GuiDispatcher& gui);
    ~WindowLink() override;
    WindowLink(const WindowLink&) = delete;
    WindowLink& operator=(const WindowLink&) = delete;

    // GUI thread. A target receives from now on (what waited comes once the GUI thread is back
    // in its loop); null unbinds, and messages wait again.
    void Bind(MainWindowTarget* target);
    // The main window's ready flag (any thread).
    void SetReady(bool ready) { ready_.store(ready); }

    // --- MainWindowLink, any thread ---
    int SendMessage(std::uint32_t message, std::uint32_t tag) override;
    void PostMessage(std::uint32_t message, std::uint32_t tag) override;
    void StartTimer(std::uint32_t timerId, std::uint32_t delayMs) override;
    void SetTrayIcon(int iconId) override;
    [[nodiscard]] bool IsReady() const override { return ready_.load(); }
    void HideWindow() override;

private:
    void StartTimerOnGui(std::uint32_t timerId, std::uint32_t delayMs);

    GuiDispatcher& gui_;
    std::atomic<bool> ready_{false};

    // GUI thread only.
    MainWindowTarget* target_ = nullptr;
    std::optional<GuiDispatcher::BusyScope> waitingForTarget_;
    std::optional<int> trayIcon_;
    std::map<std::uint32_t, std::unique_ptr<QTimer>> timers_;
};

}  // namespace qf::ui
