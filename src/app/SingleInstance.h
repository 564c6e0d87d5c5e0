// One running copy per user and data folder. The first copy holds a lock file
// and listens on a local socket; a second copy asks it to come forward and
// then gives up.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // key: distinguishes data folders; the lock file lives in lockDir.
    SingleInstance(const QString &lockDir, const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock (waiting up to 50 ms). True for the first copy. A second
    // copy gets false after it has asked the first one to come forward.
    bool acquire();
    QString serverName() const { return m_serverName; }

signals:
    // Another copy was started and asked this one to come forward.
    void activationRequested();

private:
    bool askRunningCopyToActivate();

    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
