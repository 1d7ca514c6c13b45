#pragma once
// A host for connection tests: a TCP server on 127.0.0.1 (an ephemeral port) that runs on
// the test's event loop, takes one connection, records what it receives and sends what
// the test tells it to.

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <string>

namespace morvaline::test {

class FakeHost {
public:
    FakeHost() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            client_.reset(server_.nextPendingConnection());
            QObject::connect(client_.get(), &QTcpSocket::readyRead, client_.get(), [this] {
                const QByteArray bytes = client_->readAll();
                received.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            });
        });
    }
    int port() const { return server_.serverPort(); }
    bool connected() const { return client_ != nullptr; }
    // The client closed its side.
    bool clientGone() const {
        return client_ && client_->state() != QAbstractSocket::ConnectedState;
    }
    void send(std::string_view bytes) {
        client_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void close() {
        client_->flush();
        client_->disconnectFromHost();
    }

    std::string received;

private:
    QTcpServer server_;
    std::unique_ptr<QTcpSocket> client_;
};

}  // namespace morvaline::test
