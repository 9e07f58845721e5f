#include "fake_window.h"

#include <future>
#include <utility>

namespace qf::monitor::test {

FakeWindow::FakeWindow() : thread_([this] { Run(); }) {}

FakeWindow::~FakeWindow() {
    Close();
}

void FakeWindow::SetHandlers(MessageHandler onMessage, TimerHandler onTimer) {
    std::lock_guard lock(mutex_);
    onMessage_ = std::move(onMessage);
    onTimer_ = std::move(onTimer);
}

void FakeWindow::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable() && !OnWindowThread()) {
        thread_.join();
    }
}

void FakeWindow::Enqueue(std::function<void()> item) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return;
        }
        queue_.push_back(std::move(item));
    }
    wake_.notify_one();
}

void FakeWindow::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return closed_ || !queue_.empty(); });
        if (closed_) {
            // Whoever waits for a dropped item is released by its promise's destruction.
            queue_.clear();
            return;
        }
        auto item = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        item();
        item = nullptr;
        lock.lock();
    }
}

void FakeWindow::RunOnWindowThread(const std::function<void()>& work) {
    if (OnWindowThread()) {
        work();
        return;
    }
    auto done = std::make_shared<std::promise<void>>();
    auto future = done->get_future();
    Enqueue([&work, done] {
        work();
        done->set_value();
    });
    try {
        future.get();
    } catch (const std::future_error&) {
        // The window closed before it ran the work.
    }
}

void FakeWindow::Record(WindowEvent event) {
    {
        std::lock_guard lock(mutex_);
        handled_.push_back(event);
    }
    changed_.notify_all();
}

int FakeWindow::SendMessage(std::uint32_t message, std::uint32_t tag) {
    auto handle = [this, message, tag] {
        Record({WindowEvent::Kind::Message, message, tag});
        MessageHandler handler;
        {
            std::lock_guard lock(mutex_);
            handler = onMessage_;
        }
        return handler ? handler(message, tag) : 0;
    };
    if (OnWindowThread()) {
        return handle();
    }
    auto result = std::make_shared<std::promise<int>>();
    auto future = result->get_future();
    // The queued item is the promise's only owner, so that dropping it (the window closed)
    // breaks the promise and releases the wait below.
    Enqueue([handle, result = std::move(result)] { result->set_value(handle()); });
    try {
        return future.get();
    } catch (const std::future_error&) {
        return 0;  // closed before it was handled
    }
}

void FakeWindow::PostMessage(std::uint32_t message, std::uint32_t tag) {
    Enqueue([this, message, tag] { Record({WindowEvent::Kind::Posted, message, tag}); });
}

void FakeWindow::StartTimer(std::uint32_t timerId, std::uint32_t delayMs) {
    {
        std::lock_guard lock(mutex_);
        timersStarted_.push_back(timerId);
    }
    changed_.notify_all();
    // Every timer the device layer starts has a zero delay: it fires on the next loop turn.
    (void)delayMs;
    Enqueue([this, timerId] {
        Record({WindowEvent::Kind::Timer, timerId, 0});
        TimerHandler handler;
        {
            std::lock_guard lock(mutex_);
            handler = onTimer_;
        }
        if (handler) {
            handler(timerId);
        }
    });
}

void FakeWindow::SetTrayIcon(int iconId) {
    {
        std::lock_guard lock(mutex_);
        icons_.push_back(iconId);
    }
    changed_.notify_all();
}

void FakeWindow::HideWindow() {
    {
        std::lock_guard lock(mutex_);
        ++hides_;
    }
    changed_.notify_all();
}

std::vector<WindowEvent> FakeWindow::Handled() const {
    std::lock_guard lock(mutex_);
    return handled_;
}

std::vector<std::uint32_t> FakeWindow::TimersStarted() const {
    std::lock_guard lock(mutex_);
    return timersStarted_;
}

std::vector<int> FakeWindow::Icons() const {
    std::lock_guard lock(mutex_);
    return icons_;
}

int FakeWindow::hideCount() const {
    std::lock_guard lock(mutex_);
    return hides_;
}

std::size_t FakeWindow::CountHandled(WindowEvent::Kind kind, std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& event : handled_) {
        n += (event.kind == kind && event.id == id) ? 1 : 0;
    }
    return n;
}

bool FakeWindow::WaitUntil(const std::function<bool()>& condition,
                           std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(mutex_);
    for (;;) {
        lock.unlock();
        if (condition()) {
            return true;
        }
        lock.lock();
        // Conditions may depend on state outside the window: look again every few ms as well.
        if (changed_.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() +
                                                             std::chrono::milliseconds(5))) ==
                std::cv_status::timeout &&
            std::chrono::steady_clock::now() >= deadline) {
            lock.unlock();
            return condition();
        }
    }
}

}  // namespace qf::monitor::test
