#include "ui/bridge/gui_dispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace qf::ui {

GuiDispatcher::GuiDispatcher(QObject* parent)
    : QObject(parent),
      dispatcher_(presenters::GuiThread{[this](std::function<void()> task) {
                                            // Queued events for this object die with it, so no task
                                            // outlives the dispatcher.
                                            QMetaObject::invokeMethod(this, std::move(task),
                                                                      Qt::QueuedConnection);
                                        },
                                        [this] { return QThread::currentThread() == thread(); }}) {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { BeginClosing(); });
    }
}

GuiDispatcher::~GuiDispatcher() {
    dispatcher_.BeginClosing();
}

}  // namespace qf::ui
