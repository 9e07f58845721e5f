// A stand-in for the main window: a thread of its own running an event loop. SendMessage runs
// the handler on that thread and waits for it; posted messages and timers run there too. Every
// call and every handled event is recorded so tests can check what reached the window.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "app/main_window_link.h"

namespace qf::monitor::test {

struct WindowEvent {
    enum class Kind { Message, Timer, Posted };
    Kind kind;
    std::uint32_t id;  // message number or timer id
    std::uint32_t tag;
    bool operator==(const WindowEvent&) const = default;
};

class FakeWindow final : public app::MainWindowLink {
public:
    using MessageHandler = std::function<int(std::uint32_t message, std::uint32_t tag)>;
    using TimerHandler = std::function<void(std::uint32_t timerId)>;

    FakeWindow();
    ~FakeWindow() override;

    // Set before anything is sent.
    void SetHandlers(MessageHandler onMessage, TimerHandler onTimer);
    void SetReady(bool ready) { ready_.store(ready); }

    // Runs `work` on the window thread and waits for it.
    void RunOnWindowThread(const std::function<void()>& work);
    // Ends the loop; later sends return 0 at once.
    void Close();
    bool OnWindowThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    // --- MainWindowLink ---
    int SendMessage(std::uint32_t message, std::uint32_t tag) override;
    void PostMessage(std::uint32_t message, std::uint32_t tag) override;
    void StartTimer(std::uint32_t timerId, std::uint32_t delayMs) override;
    void SetTrayIcon(int iconId) override;
    bool IsReady() const override { return ready_.load(); }
    void HideWindow() override;

    // --- What happened ---
    std::vector<WindowEvent> Handled() const;          // in the order the window thread ran them
    std::vector<std::uint32_t> TimersStarted() const;  // in the order StartTimer was called
    std::vector<int> Icons() const;
    int hideCount() const;
    std::size_t CountHandled(WindowEvent::Kind kind, std::uint32_t id) const;

    // Waits (at most `limit`) until `condition` holds; checked after every change.
    bool WaitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds limit = std::chrono::seconds(20)) const;

private:
    void Enqueue(std::function<void()> item);
    void Run();
    void Record(WindowEvent event);

    MessageHandler onMessage_;
    TimerHandler onTimer_;
    std::atomic<bool> ready_{false};

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool closed_ = false;
    std::vector<WindowEvent> handled_;
    std::vector<std::uint32_t> timersStarted_;
    std::vector<int> icons_;
    int hides_ = 0;
    std::thread thread_;
};

}  // namespace qf::monitor::test
