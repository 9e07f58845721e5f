#include "presenters/window_dispatcher.h"

namespace qf::presenters {

WindowDispatcher::WindowDispatcher(GuiThread gui) : gui_(std::move(gui)) {}

WindowDispatcher::~WindowDispatcher() {
    BeginClosing();
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return senders_ == 0; });
}

void WindowDispatcher::BeginClosing() {
    {
        std::lock_guard lock(mutex_);
        closing_.store(true);
    }
    wake_.notify_all();
}

bool WindowDispatcher::SendTask(WorkKind kind, Task work) {
    if (closing_.load()) {
        return false;
    }
    if (gui_.isCurrent()) {
        work();
        return true;
    }
    auto call = std::make_shared<PendingCall>();
    {
        std::lock_guard lock(mutex_);
        ++senders_;
    }
    gui_.post([this, kind, call, work = std::move(work)]() mutable {
        Arrive(kind, [this, call, work = std::move(work)] {
            work();
            {
                std::lock_guard lock(mutex_);
                call->done = true;
            }
            wake_.notify_all();
        });
    });
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return call->done || closing_.load(); });
    const bool done = call->done;
    --senders_;
    lock.unlock();
    // The destructor may be waiting for the last sender to leave.
    wake_.notify_all();
    return done;
}

void WindowDispatcher::Post(WorkKind kind, Task work) {
    if (closing_.load()) {
        return;
    }
    gui_.post([this, kind, work = std::move(work)]() mutable { Arrive(kind, std::move(work)); });
}

void WindowDispatcher::Call(WorkKind kind, Task work) {
    if (closing_.load()) {
        return;
    }
    if (gui_.isCurrent()) {
        work();
        return;
    }
    Post(kind, std::move(work));
}

void WindowDispatcher::Arrive(WorkKind kind, Task task) {
    if (closing_.load()) {
        return;
    }
    // Device work waits for the busy scope to end, and behind device work already waiting, so
    // it runs in the order it came.
    if (kind == WorkKind::Device && (busyDepth_ > 0 || !held_.empty())) {
        held_.push_back(std::move(task));
        return;
    }
    Run(kind, task);
}

void WindowDispatcher::Run(WorkKind kind, const Task& task) {
    if (kind == WorkKind::Device) {
        BusyScope scope(*this);
        task();
    } else {
        task();
    }
}

void WindowDispatcher::BeginBusy() {
    ++busyDepth_;
}

void WindowDispatcher::EndBusy() {
    --busyDepth_;
    if (busyDepth_ > 0 || held_.empty() || runHeldQueued_ || runningHeld_) {
        return;
    }
    // Not at once: the scope ends inside the operation's own frame; the held work runs when
    // the GUI thread is back in its loop.
    runHeldQueued_ = true;
    gui_.post([this] {
        runHeldQueued_ = false;
        RunHeld();
    });
}

void WindowDispatcher::RunHeld() {
    runningHeld_ = true;
    while (busyDepth_ == 0 && !held_.empty()) {
        if (closing_.load()) {
            held_.clear();
            break;
        }
        Task task = std::move(held_.front());
        held_.pop_front();
        Run(WorkKind::Device, task);
    }
    runningHeld_ = false;
}

}  // namespace qf::presenters
