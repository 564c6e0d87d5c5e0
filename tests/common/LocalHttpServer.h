// A scripted HTTP server on 127.0.0.1, served by the event loop of the
// test's thread. The handler gets the request path and returns the whole
// response; an empty one never answers.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

class LocalHttpServer : public QTcpServer
{
public:
    explicit LocalHttpServer(std::function<QByteArray(const QByteArray &path)> handler)
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this, handler] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [s, handler] {
                    if (!s->peek(65536).contains("\r\n\r\n"))
                        return;
                    const QByteArray response = handler(s->readAll().split(' ').value(1));
                    if (!response.isEmpty()) {
                        s->write(response);
                        s->disconnectFromHost();
                    }
                });
            }
        });
    }
    QString url(const char *path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(QLatin1String(path));
    }

    // A whole response with the status line, length and headers.
    static QByteArray response(const QByteArray &status, const QByteArray &body, const char *headers = "")
    {
        return QByteArray("HTTP/1.1 ") + status + "\r\nContent-Length: " + QByteArray::number(body.size())
            + "\r\nConnection: close\r\n" + headers + "\r\n" + body;
    }
};
