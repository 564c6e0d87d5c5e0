#include "net/CRobotInternet.h"
#include "core/Gbk.h"
#include "LocalHttpServer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <functional>
#include <memory>

namespace {

QByteArray response(const QByteArray &status, const QByteArray &body, const char *headers = "")
{
    return LocalHttpServer::response(status, body, headers);
}

class CRobotInternetTest : public ::testing::Test
{
protected:
    void SetUp() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    CRobotInternet robot;
    QString body;
};

TEST_F(CRobotInternetTest, BodiesAndStatuses)
{
    const QString text = QString::fromUtf8("[MYKWELGBTAGBEGIN]蓝雀新版本[MYKWELTAGEND]");
    LocalHttpServer server([&](const QByteArray &path) -> QByteArray {
        if (path == "/gbk")
            return response("200 OK", Gbk::encode(text), "Content-Type: text/html\r\n");
        if (path == "/utf8")
            return response("200 OK", text.toUtf8(), "Content-Type: text/html; charset=UTF-8\r\n");
        if (path == "/403" || path == "/404" || path == "/407" || path == "/500")
            return response(path.mid(1) + " No", "error page", "Proxy-Authenticate: Basic realm=\"x\"\r\n");
        return response("200 OK", path);
    });
    EXPECT_EQ(robot.HttpGet(server.url("/gbk"), &body), 1);
    EXPECT_EQ(body, text);
    EXPECT_EQ(robot.LastError(), CRobotInternet::ErrorNone);
    EXPECT_EQ(robot.HttpGet(server.url("/utf8"), &body), 1);
    EXPECT_EQ(body, text);
    // No scheme: "http://" goes in front.
    EXPECT_EQ(robot.HttpGet(server.url("/plain").mid(7), &body), 1);
    EXPECT_EQ(body, QStringLiteral("/plain"));

    const std::pair<const char *, CRobotInternet::Error> statuses[] = {
        { "/403", CRobotInternet::ErrorForbidden },
        { "/404", CRobotInternet::ErrorNotFound },
        { "/407", CRobotInternet::ErrorProxyAuthentication },
        { "/500", CRobotInternet::ErrorHttpStatus },
    };
    for (const auto &[path, error] : statuses) {
        EXPECT_EQ(robot.HttpGet(server.url(path), &body), 0) << path;
        EXPECT_EQ(robot.LastError(), error) << path;
        EXPECT_TRUE(body.isEmpty()) << path;
    }
    EXPECT_EQ(robot.LastHttpStatus(), 500);
}

TEST_F(CRobotInternetTest, TransportFailures)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    EXPECT_EQ(robot.HttpGet(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort), &body), 0);
    EXPECT_EQ(robot.LastError(), CRobotInternet::ErrorConnectionRefused);

    LocalHttpServer silent([](const QByteArray &) { return QByteArray(); });
    robot.SetTimeout(300);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(robot.HttpGet(silent.url("/"), &body), 0);
    EXPECT_EQ(robot.LastError(), CRobotInternet::ErrorTimedOut);
    EXPECT_LT(clock.elapsed(), 5000);

    for (const char *refused : { "", "   ", "ftp://127.0.0.1/x", "file:///etc/passwd", "http://" }) {
        EXPECT_EQ(robot.HttpGet(QString::fromLatin1(refused), &body), 0) << refused;
        EXPECT_EQ(robot.LastError(), CRobotInternet::ErrorBadAddress) << refused;
    }
}

TEST_F(CRobotInternetTest, OversizeBodiesAndRedirects)
{
    const QByteArray big(200 * 1024, 'x');
    LocalHttpServer server([&](const QByteArray &path) -> QByteArray {
        if (path == "/announced")
            return "HTTP/1.1 200 OK\r\nContent-Length: 10485760\r\n\r\nxx";
        if (path == "/streamed")
            return QByteArray("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n") + big;
        if (path == "/to-ftp")
            return response("302 Found", "", "Location: ftp://127.0.0.1/x\r\n");
        if (path == "/to-exact")
            return response("302 Found", "", "Location: /exact\r\n");
        return response("200 OK", big.left(64 * 1024));
    });
    robot.SetMaxBodySize(64 * 1024);
    QByteArray bytes;
    EXPECT_EQ(robot.HttpGetBytes(server.url("/to-exact"), &bytes), 1);
    EXPECT_EQ(bytes.size(), 64 * 1024);
    EXPECT_EQ(robot.HttpGetBytes(server.url("/announced"), &bytes), 0);
    EXPECT_EQ(robot.LastError(), CRobotInternet::ErrorBodyTooLarge);
    EXPECT_EQ(robot.HttpGetBytes(server.url("/streamed"), &bytes), 0);
    EXPECT_EQ(robot.LastError(), CRobotInternet::ErrorBodyTooLarge);
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_EQ(robot.HttpGetBytes(server.url("/to-ftp"), &bytes), 0);
    EXPECT_EQ(robot.LastError(), CRobotInternet::ErrorRedirect);
}

TEST_F(CRobotInternetTest, WorksFromAWorkerThread)
{
    LocalHttpServer server([](const QByteArray &) { return response("200 OK", "worker"); });
    int result = 0;
    std::unique_ptr<QThread> worker(QThread::create([&] { result = robot.HttpGet(server.url("/"), &body); }));
    QEventLoop serving; // the server answers from this thread
    QObject::connect(worker.get(), &QThread::finished, &serving, &QEventLoop::quit);
    worker->start();
    serving.exec();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(body, QStringLiteral("worker"));
}

} // namespace
