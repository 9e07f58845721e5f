// How calls from any thread reach the windows: the rules of the window bridge, without Qt.
//
// The core calls the windows from other threads (the bank view from the monitor's event thread,
// the main-window link from the presence thread, the prompter from anywhere). Every such call
// runs on the GUI thread:
//
// - Send runs its work on the GUI thread and waits for the result. Called on the GUI thread it
//   runs the work at once (waiting for itself would deadlock). The wait is a condition that
//   closing releases: once closing has started, Send returns its "closed" value at once and
//   every sender already waiting returns it too, so a thread that joins a sender (stopping the
//   device monitor) never waits on the GUI thread.
// - Post queues work for the GUI thread and returns at once; Call runs it at once on the GUI
//   thread and queues it from any other.
// - Device work (the device layer's messages and timers: full refresh, LED, removal) never runs
//   inside a busy scope. A busy scope is open while a core operation runs on the GUI thread
//   (an Apply, an import, a profile switch); a message box or modal dialog inside it runs a
//   nested event loop, and device work arriving then is kept, in order, and runs after the
//   outermost scope has ended. Device work itself runs inside a busy scope, so device work
//   never nests in device work.
// - Nothing queued runs once closing has started.
//
// The GUI thread is given from outside: a function that queues a task for it (the Qt binding
// posts into the event loop; tests run a loop of their own) and one that tells whether the
// caller is on it. The dispatcher must outlive every task it queued, or the queue must drop
// them when it goes (the Qt binding posts to an object that dies with the dispatcher).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace qf::presenters {

// Device work is held while a busy scope is open; plain work is not.
enum class WorkKind { Plain, Device };

struct GuiThread {
    // Queues a task for the GUI thread; tasks run in the order queued, never inside this call.
    std::function<void(std::function<void()>)> post;
    // True when the calling thread is the GUI thread.
    std::function<bool()> isCurrent;
};

class WindowDispatcher {
public:
    using Task = std::function<void()>;

    explicit WindowDispatcher(GuiThread gui);
    // Begins closing and waits until no thread is inside Send any more.
    ~WindowDispatcher();
    WindowDispatcher(const WindowDispatcher&) = delete;
    WindowDispatcher& operator=(const WindowDispatcher&) = delete;

    // Runs `work` on the GUI thread and returns its result; `whenClosed` when closing has
    // started before the work finished (the work then does not run, or its result is dropped).
    template <typename Result>
    [[nodiscard]] Result Send(WorkKind kind, std::function<Result()> work, Result whenClosed) {
        auto result = std::make_shared<std::optional<Result>>();
        const bool ran =
            SendTask(kind, [result, work = std::move(work)]() { result->emplace(work()); });
        // A finished task's result was written before the wait saw it finish.
        return ran && result->has_value() ? std::move(**result) : std::move(whenClosed);
    }
    // Same for work without a result: true when it ran.
    bool Send(WorkKind kind, Task work) { return SendTask(kind, std::move(work)); }

    // Queues `work` for the GUI thread.
    void Post(WorkKind kind, Task work);
    // Runs `work` now when called on the GUI thread (device work too, even in a busy scope:
    // the GUI thread asked for it), queues it otherwise.
    void Call(WorkKind kind, Task work);

    // Any thread. Irreversible.
    void BeginClosing();
    [[nodiscard]] bool closing() const { return closing_.load(); }

    [[nodiscard]] bool OnGuiThread() const { return gui_.isCurrent(); }

    // Holds device work while it lives. GUI thread only; scopes nest.
    class BusyScope {
    public:
        explicit BusyScope(WindowDispatcher& dispatcher) : dispatcher_(&dispatcher) {
            dispatcher_->BeginBusy();
        }
        ~BusyScope() {
            if (dispatcher_ != nullptr) {
                dispatcher_->EndBusy();
            }
        }
        BusyScope(BusyScope&& other) noexcept
            : dispatcher_(std::exchange(other.dispatcher_, nullptr)) {}
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
        BusyScope& operator=(BusyScope&&) = delete;

    private:
        WindowDispatcher* dispatcher_;
    };
    [[nodiscard]] BusyScope Busy() { return BusyScope(*this); }

    // GUI thread only.
    [[nodiscard]] bool busy() const { return busyDepth_ > 0; }
    [[nodiscard]] std::size_t heldDeviceWork() const { return held_.size(); }

private:
    struct PendingCall {
        bool done = false;  // guarded by mutex_
    };

    bool SendTask(WorkKind kind, Task work);
    // On the GUI thread: runs a queued task, or keeps device work for later.
    void Arrive(WorkKind kind, Task task);
    void Run(WorkKind kind, const Task& task);
    void BeginBusy();
    void EndBusy();
    void RunHeld();

    GuiThread gui_;
    std::atomic<bool> closing_{false};

    std::mutex mutex_;
    std::condition_variable wake_;
    int senders_ = 0;  // threads inside SendTask, guarded by mutex_

    // GUI thread only.
    int busyDepth_ = 0;
    std::deque<Task> held_;
    bool runHeldQueued_ = false;
    bool runningHeld_ = false;
};

}  // namespace qf::presenters
