#include "ui/shell/instance_channel.h"

#include <sys/stat.h>
#include <unistd.h>

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

// Owned by this user, and neither the group nor others may enter it or list it.
bool PrivateFolder(const std::filesystem::path& folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

}  // namespace

InstanceServer::InstanceServer(QObject* parent) : QObject(parent) {
    connect(&server_, &QLocalServer::newConnection, this, &InstanceServer::OnNewConnection);
}

InstanceServer::~InstanceServer() {
    Stop();
}

bool InstanceServer::Listen(const presenters::InstanceNames& names, QString* error) {
    const QString name = QString::fromStdString(names.socket.string());
    // In a folder of the user's that nobody else may enter (the runtime folder, mode 0700)
    // only the user reaches the socket anyway. Elsewhere the socket itself is made for the
    // user only: Qt then creates it in a private folder first and moves it, which costs a few
    // file operations at every start.
    server_.setSocketOptions(PrivateFolder(names.folder) ? QLocalServer::NoOptions
                                                         : QLocalServer::UserAccessOption);
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
