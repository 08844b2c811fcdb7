// One diary per user: the first start listens on a local socket named after the
// window class and the user; a later start finds it, asks it to raise its window and
// ends without a message.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // name: the socket name before the user id ("TIDELOG").
    explicit CSingleInstance(const QString& name, QObject* parent = nullptr);
    ~CSingleInstance() override;

    enum Role { First, Second, Failed };
    // First when this is the only instance (it now listens); Second after telling the
    // running one to come to the front; Failed when the socket cannot listen (the
    // reason is in listenError()).
    Role BecomeTheInstance();
    QString listenError() const { return listenError_; }
    const QString& socketName() const { return socketName_; }

signals:
    // A later start asked the running instance to show itself.
    void raiseRequested();

private:
    void OnConnection();

    QString socketName_;
    QLocalServer* server_ = nullptr;
    QString listenError_;
};
