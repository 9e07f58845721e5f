// The window bridge's dispatch rules (presenters/window_dispatcher.h) on Qt's GUI thread: work
// is queued into the event loop of the thread that created the object.
//
// Create it on the GUI thread, before anything can call the windows from another thread, and
// destroy it after every such thread has stopped (the device monitor included). The closing
// flag is raised by BeginClosing, and at the latest when the event loop is about to quit, so no
// sender waits for a loop that no longer runs.
#pragma once

#include <QObject>

#include "presenters/window_dispatcher.h"

namespace qf::ui {

class GuiDispatcher : public QObject {
    Q_OBJECT
public:
    using BusyScope = presenters::WindowDispatcher::BusyScope;

    explicit GuiDispatcher(QObject* parent = nullptr);
    ~GuiDispatcher() override;

    [[nodiscard]] presenters::WindowDispatcher& dispatcher() { return dispatcher_; }

    // Any thread: sends return at once from now on, waiting senders are released, and nothing
    // queued runs any more.
    void BeginClosing() { dispatcher_.BeginClosing(); }
    [[nodiscard]] bool closing() const { return dispatcher_.closing(); }

    // Open while a core operation runs on the GUI thread (Apply, import, export, download, a
    // profile switch): device messages and timers wait for its end. GUI thread only.
    //   auto busy = gui.Busy();
    [[nodiscard]] BusyScope Busy() { return dispatcher_.Busy(); }
    [[nodiscard]] bool busy() const { return dispatcher_.busy(); }

private:
    presenters::WindowDispatcher dispatcher_;
};

}  // namespace qf::ui
