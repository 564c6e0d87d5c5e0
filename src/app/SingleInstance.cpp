#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <unistd.h>

namespace {
const char kWindowClass[] = "KESP_CLASS";
const QByteArray kActivate = QByteArrayLiteral("activate\n");
}

SingleInstance::SingleInstance(const QString &lockDir, const QString &key, QObject *parent)
    : QObject(parent)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    m_serverName = QLatin1String(kWindowClass) + QLatin1Char('-') + QString::number(getuid()) + QLatin1Char('-')
                   + QString::fromLatin1(hash);
    QDir().mkpath(lockDir);
    m_lock = std::make_unique<QLockFile>(lockDir + QLatin1Char('/') + m_serverName + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith(kActivate.trimmed()))
                    emit activationRequested();
                socket->disconnectFromServer();
            });
        }
    });
}

SingleInstance::~SingleInstance()
{
    m_server.close();
    if (m_lock)
        m_lock->unlock();
}

bool SingleInstance::acquire()
{
    if (m_lock->tryLock(50)) {
        // A crashed copy may have left its socket file behind.
        QLocalServer::removeServer(m_serverName);
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        m_server.listen(m_serverName);
        return true;
    }
    askRunningCopyToActivate();
    return false;
}

bool SingleInstance::askRunningCopyToActivate()
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(500))
        return false;
    socket.write(kActivate);
    socket.flush();
    socket.waitForBytesWritten(500);
    socket.waitForDisconnected(200);
    return true;
}
