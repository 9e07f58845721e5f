#include "ui/shell/instance_channel.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <memory>

namespace qf::ui {

namespace {

// A connection that sends nothing is dropped after this long.
constexpr int kIdleConnectionMs = 2000;
// Between two connection attempts of a second start, and its wait for each step.
constexpr int kRetryPauseMs = 50;
constexpr int kStepWaitMs = 500;

}  // namespace

InstanceServer::InstanceServer(QObject* parent) : QObject(parent) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceServer::OnNewConnection);
}

InstanceServer::~InstanceServer() {
    Stop();
}

bool InstanceServer::Listen(const presenters::InstanceNames& names, QString* error) {
    const QString name = QString::fromStdString(names.socket.string());
    QLocalServer::removeServer(name);
    if (server_.listen(name)) {
        return true;
    }
    if (error != nullptr) {
        *error = QStringLiteral("cannot listen on %1: %2").arg(name, server_.errorString());
    }
    return false;
}

void InstanceServer::Stop() {
    server_.close();
}

void InstanceServer::OnNewConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        auto decoder = std::make_shared<presenters::InstanceMessageDecoder>();
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, decoder] {
            const QByteArray bytes = socket->readAll();
            const auto messages = decoder->Feed(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            for (const auto& message : messages) {
                const auto request = presenters::ClassifyInstanceMessage(message);
                if (request != presenters::InstanceRequest::None) {
                    emit requestReceived(request);
                }
            }
            if (decoder->overflowed()) {
                socket->abort();
            }
        });
        QPointer<QLocalSocket> guarded(socket);
        QTimer::singleShot(kIdleConnectionMs, this, [guarded] {
            if (guarded) {
                guarded->abort();
            }
        });
    }
}

bool SendToRunningInstance(const presenters::InstanceNames& names,
                           presenters::InstanceMessage message,
                           std::chrono::milliseconds patience) {
    const QString name = QString::fromStdString(names.socket.string());
    const QDeadlineTimer deadline(patience.count());
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(name);
        if (socket.waitForConnected(kStepWaitMs)) {
            break;
        }
        socket.abort();
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(kRetryPauseMs);
    }
    const auto bytes = presenters::EncodeInstanceMessage(message);
    socket.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    const bool sent = socket.waitForBytesWritten(kStepWaitMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        (void)socket.waitForDisconnected(kStepWaitMs);
    }
    return sent;
}

}  // namespace qf::ui
