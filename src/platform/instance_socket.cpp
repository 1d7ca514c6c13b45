#include "platform/instance_socket.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalSocket>

#include <unistd.h>

namespace morvaline {

QString instanceSocketName(const std::filesystem::path& dataDirectory) {
    std::error_code ec;
    const auto canonical = std::filesystem::weakly_canonical(dataDirectory, ec);
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString((ec ? dataDirectory : canonical).string()),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    return QStringLiteral("morvaline-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool askOpenElsewhere(const std::filesystem::path& dataDirectory, const QString& userId, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(instanceSocketName(dataDirectory));
    QDeadlineTimer deadline(timeoutMs);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) return false;
    socket.write("OPEN " + userId.toUtf8() + "\n");
    QByteArray answer;
    while (!answer.contains('\n') && !deadline.hasExpired()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
        answer += socket.readAll();
        if (answer.size() > 16) break;
    }
    return answer.startsWith("1\n");
}

bool InstanceServer::listen(const std::filesystem::path& dataDirectory, const QString& userId) {
    close();
    userId_ = userId;
    const QString name = instanceSocketName(dataDirectory);
    // The caller holds the data set's lock: a socket left by a program that ended without
    // closing it belongs to nobody.
    QLocalServer::removeServer(name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(name)) return false;
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) {
            QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            QObject::connect(peer, &QLocalSocket::readyRead, peer, [this, peer] {
                if (!peer->canReadLine()) {
                    if (peer->bytesAvailable() > 64) peer->abort();
                    return;
                }
                const QByteArray line = peer->readLine(64).trimmed();
                // Only the first eight characters name a user ID.
                const QString asked = QString::fromUtf8(line.mid(5)).left(8);
                const bool mine = line.startsWith("OPEN ") && asked.compare(userId_, Qt::CaseInsensitive) == 0;
                peer->write(mine ? "1\n" : "0\n");
                peer->flush();
                if (mine && activate_) activate_();
            });
        }
    });
    return true;
}

void InstanceServer::close() {
    if (server_.isListening()) server_.close();
}

}  // namespace morvaline
