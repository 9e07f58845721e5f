// The device monitor: what the keyboard and the device service report unasked.
//
// It is the device link's event listener. Consumer codes from the keyboard:
//   0x02FF  switch the key bank: flip the LED status word, write it to the keyboard, send the
//           main window LED and wait for it, then show the bank indicator and relabel the nine
//           G buttons;
//   0x0401  start the lighting re-read timer (0x041B) on the main window;
//   0x0402  start the keyboard re-read timer (0x041D) on the main window;
//   0x1811  show the alternate notification-area icon (142);
//   0x1810  show the remembered device-state icon again;
//   others  nothing.
// A change in the number of keyboards runs a presence check (see RunPresence in the source).
//
// Threads. The listener calls arrive on the device service's thread and only queue work: the
// service's thread never waits here, so the replies to the report transactions that the window
// thread runs while the monitor waits for it (the LED handler's ReadDeviceInfo) are always
// delivered, whichever thread the service delivers them on. Key events run in arrival order on
// the monitor's event thread; presence checks run in notification order on its presence
// thread, one after the other, so the last count handled is always the last count notified.
// Both threads are owned by the monitor and joined by Stop.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "app/app_state.h"
#include "app/main_window_link.h"
#include "device/device_link.h"
#include "keys/default_keymap.h"
#include "monitor/led_status.h"
#include "monitor/monitor_views.h"
#include "monitor/serial_worker.h"
#include "monitor/tray_icons.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::monitor {

// Consumer event codes.
inline constexpr std::uint16_t kCodeBankSwitch = 0x02FF;
inline constexpr std::uint16_t kCodeLightingChanged = 0x0401;
inline constexpr std::uint16_t kCodeKeyboardChanged = 0x0402;
inline constexpr std::uint16_t kCodeAlternateIcon = 0x1811;
inline constexpr std::uint16_t kCodeDeviceStateIcon = 0x1810;

struct MonitorTiming {
    // How often a presence check looks at the main window's ready flag.
    std::chrono::milliseconds readyPoll{50};
};

// Everything the monitor works with; all of it must outlive the monitor.
struct MonitorDependencies {
    device::DeviceLink& link;
    app::AppState& appState;
    app::MainWindowLink& window;
    // Shared with the window-side handlers, which read the bank from it.
    LedStatusWord& ledStatus;
    BankView& bankView;
    keys::DefaultKeymap& defaultKeymap;
    // Shows MAIN_DEFAULT_MATRIX_PROMPT from the presence thread.
    text::Prompter& prompter;
    // Read-only here: only the text of MAIN_DEFAULT_MATRIX_PROMPT.
    const text::LanguageTable& language;
};

class DeviceMonitor final : public device::DeviceEventListener {
public:
    explicit DeviceMonitor(MonitorDependencies deps, MonitorTiming timing = {});
    // Stop().
    ~DeviceMonitor() override;
    DeviceMonitor(const DeviceMonitor&) = delete;
    DeviceMonitor& operator=(const DeviceMonitor&) = delete;

    // The device layer's part of the main window's start-up: resets the LED status word to bank
    // A, becomes the link's listener, issues the CONS and CTRL read requests, asks the number of
    // keyboards and queues the first presence check with it. With no keyboard the opened-once
    // flag is set, so that the window is not shown when one is plugged in later. Returns the
    // number of keyboards found. Call once.
    std::uint32_t Start();

    // Stops listening, drops queued work and joins the monitor's threads; a presence check
    // waiting for the ready flag gives up. Idempotent. A task blocked in a send to the main
    // window finishes that send first, so call it off the window thread, or once the window
    // link no longer blocks (its SendMessage returns at once when the window is closing).
    // The service may still be inside a listener call that began before; the owner lets it
    // end (withdraws the requests, or waits for the service to go idle) before destroying the
    // monitor.
    void Stop();

    // Returns when no key event or presence check is queued or running. For tools and tests;
    // never from the window thread while work may be waiting for it.
    void WaitIdle();

    // --- DeviceEventListener, on the device service's thread; they never block ---
    void OnConsumerCode(std::uint16_t code) override;
    void OnDeviceCountChanged(std::uint32_t count) override;

    // The remembered device-state icon (128 or 141) and the icon shown.
    int deviceStateIcon() const { return icons_.deviceStateIcon(); }
    int shownIcon() const { return icons_.shownIcon(); }

private:
    void SwitchBank();
    void RunPresence(std::uint32_t count);
    void ReadKeyboardOnArrival();
    // False when Stop ended the wait.
    bool WaitForWindowReady();
    bool stopping() const { return stopping_.load(); }

    MonitorDependencies deps_;
    MonitorTiming timing_;
    TrayIcons icons_;

    std::atomic<bool> stopping_{false};
    std::atomic<bool> listening_{false};
    std::mutex stopMutex_;
    std::condition_variable stopWake_;

    // Declared last, so that their threads end before the members their tasks use go.
    SerialWorker events_;
    SerialWorker presence_;
};

}  // namespace qf::monitor
