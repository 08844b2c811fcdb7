// The local-socket handshake between a running diary and a later start.
#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr char kRaise[] = "raise\n";
}

CSingleInstance::CSingleInstance(const QString& name, QObject* parent)
    : QObject(parent), socketName_(QStringLiteral("%1-%2").arg(name).arg(getuid())) {}

CSingleInstance::~CSingleInstance() {
    if (server_) server_->close();
}

CSingleInstance::Role CSingleInstance::BecomeTheInstance() {
    QLocalSocket probe;
    probe.connectToServer(socketName_);
    if (probe.waitForConnected(500)) {
        probe.write(kRaise);
        probe.waitForBytesWritten(500);
        probe.disconnectFromServer();
        return Second;
    }
    // Nobody answers: a socket file left by a crashed run is removed.
    QLocalServer::removeServer(socketName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    if (server_->listen(socketName_)) return First;
    listenError_ = server_->errorString();
    return Failed;
}

void CSingleInstance::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise")) emit raiseRequested();
        });
        if (socket->bytesAvailable() > 0 && socket->readAll().contains("raise")) emit raiseRequested();
    }
}
