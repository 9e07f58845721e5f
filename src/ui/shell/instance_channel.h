// The local socket between two starts of the program. The running instance listens and turns
// each (message, tag) pair it receives into a request; a second start connects, sends one
// message and goes. Only this user can connect.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <chrono>

#include "presenters/instance.h"

namespace qf::ui {

class InstanceServer : public QObject {
    Q_OBJECT

public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // Listens on `names.socket`, first removing a socket left by a crashed instance (the
    // caller holds the instance lock, so no live instance owns it). False with a reason.
    bool Listen(const presenters::InstanceNames& names, QString* error = nullptr);
    // Stops listening and removes the socket; connections under way are dropped.
    void Stop();
    [[nodiscard]] bool listening() const { return server_.isListening(); }

signals:
    // OPEN or KILL from another start. Anything else on the socket is ignored.
    void requestReceived(qf::presenters::InstanceRequest request);

private:
    void OnNewConnection();

    QLocalServer server_;
};

// The second start's side: connects to the running instance, retrying for up to `patience`
// while it is still starting, and sends `message`. True when the message was handed over;
// false when no instance answered in time (then nothing is sent).
bool SendToRunningInstance(const presenters::InstanceNames& names,
                           presenters::InstanceMessage message, std::chrono::milliseconds patience);

}  // namespace qf::ui
