// One flotsam per user: the first start listens on a local socket named after the
// window class and the user; a later start asks it to bring its window to the front
// and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class CSalvageInstance : public QObject {
    Q_OBJECT
public:
    explicit CSalvageInstance(const QString& windowClass, QObject* parent = nullptr);
    ~CSalvageInstance() override;

    // true when this is the only instance (it now listens); false after asking the
    // running one to come to the front.
    bool BecomeTheInstance();

signals:
    void raiseRequested();

private:
    QString socketName_;
    QLocalServer* server_ = nullptr;
};
