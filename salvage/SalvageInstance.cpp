// The local-socket handshake between a running flotsam and a later start.
#include "salvage/SalvageInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

CSalvageInstance::CSalvageInstance(const QString& windowClass, QObject* parent)
    : QObject(parent), socketName_(QStringLiteral("%1-%2").arg(windowClass).arg(getuid())) {}

CSalvageInstance::~CSalvageInstance() {
    if (server_) server_->close();
}

bool CSalvageInstance::BecomeTheInstance() {
    QLocalSocket probe;
    probe.connectToServer(socketName_);
    if (probe.waitForConnected(500)) {
        probe.write("raise\n");
        probe.waitForBytesWritten(500);
        probe.disconnectFromServer();
        return false;
    }
    // Nobody answers: a socket file left by a crashed run is removed.
    QLocalServer::removeServer(socketName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("raise")) emit raiseRequested();
            });
        }
    });
    return server_->listen(socketName_);
}
