#include "net/CRobotInternet.h"

#include "core/Gbk.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>

namespace {

// Bytes Qt may buffer ahead of us: keeps an oversize body from piling up in
// memory before we notice it.
constexpr qint64 kReadBufferBytes = 64 * 1024;

bool isHttpScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool redirectAllowed(const QUrl &from, const QUrl &to)
{
    if (!to.isValid() || !isHttpScheme(to.scheme()))
        return false;
    return !(from.scheme() == QLatin1String("https") && to.scheme() == QLatin1String("http"));
}

bool declaresUtf8(const QNetworkReply *reply)
{
    static const QRegularExpression charset(
        QStringLiteral("charset\\s*=\\s*[\"']?utf-?8"), QRegularExpression::CaseInsensitiveOption);
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    return charset.match(type).hasMatch();
}

CRobotInternet::Error statusError(int status)
{
    switch (status) {
    case 403:
        return CRobotInternet::ErrorForbidden;
    case 404:
        return CRobotInternet::ErrorNotFound;
    case 407:
        return CRobotInternet::ErrorProxyAuthentication;
    default:
        return CRobotInternet::ErrorHttpStatus;
    }
}

CRobotInternet::Error transportError(QNetworkReply::NetworkError e)
{
    switch (e) {
    case QNetworkReply::ConnectionRefusedError:
        return CRobotInternet::ErrorConnectionRefused;
    case QNetworkReply::HostNotFoundError:
        return CRobotInternet::ErrorHostNotFound;
    case QNetworkReply::TimeoutError:
        return CRobotInternet::ErrorTimedOut;
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return CRobotInternet::ErrorProxyAuthentication;
    case QNetworkReply::ContentAccessDenied:
        return CRobotInternet::ErrorForbidden;
    case QNetworkReply::ContentNotFoundError:
        return CRobotInternet::ErrorNotFound;
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
    case QNetworkReply::ProtocolUnknownError:
        return CRobotInternet::ErrorRedirect;
    default:
        return CRobotInternet::ErrorNetwork;
    }
}

} // namespace

QUrl CRobotInternet::MakeUrl(const QString &address)
{
    QString text = address.trimmed();
    if (text.isEmpty())
        return {};
    if (!text.contains(QLatin1String("://")))
        text.prepend(QLatin1String("http://"));
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || !isHttpScheme(url.scheme()) || url.host().isEmpty())
        return {};
    return url;
}

int CRobotInternet::HttpGet(const QString &address, QString *body)
{
    QByteArray bytes;
    bool utf8 = false;
    const int ok = HttpGetBytes(address, &bytes, &utf8);
    if (body) {
        if (!ok)
            body->clear();
        else if (utf8 || bytes.startsWith("\xEF\xBB\xBF"))
            *body = QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes);
        else
            *body = Gbk::decode(bytes);
    }
    return ok;
}

int CRobotInternet::HttpGetBytes(const QString &address, QByteArray *body, bool *declaredUtf8)
{
    m_error = ErrorNone;
    m_httpStatus = 0;
    QByteArray data;
    bool utf8 = false;
    const auto finish = [&](Error error) {
        m_error = error;
        if (body)
            *body = error == ErrorNone ? data : QByteArray();
        if (declaredUtf8)
            *declaredUtf8 = utf8;
        return error == ErrorNone ? 1 : 0;
    };

    QUrl current = MakeUrl(address);
    if (!current.isValid())
        return finish(ErrorBadAddress);

    QNetworkAccessManager manager;
    QNetworkRequest request(current);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Kwel"));
    QNetworkReply *reply = manager.get(request);
    reply->setReadBufferSize(kReadBufferBytes);

    Error abortReason = ErrorNone;
    const auto abortWith = [&](Error e) {
        if (abortReason == ErrorNone)
            abortReason = e;
        reply->abort();
    };
    const auto status = [reply] { return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); };
    const auto takeBody = [&] {
        if (status() >= 300) {
            reply->readAll(); // an error page or redirect body: not ours to keep
            return;
        }
        data += reply->read(m_maxBodyBytes + 1 - data.size());
        if (data.size() > m_maxBodyBytes)
            abortWith(ErrorBodyTooLarge);
    };

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { abortWith(ErrorTimedOut); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, takeBody);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const int s = status();
        if (s >= 200 && s < 300 && reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > m_maxBodyBytes)
            abortWith(ErrorBodyTooLarge);
    });
    QObject::connect(reply, &QNetworkReply::redirected, &loop, [&](const QUrl &target) {
        const QUrl next = current.resolved(target);
        if (!redirectAllowed(current, next)) {
            abortWith(ErrorRedirect);
            return;
        }
        current = next;
        emit reply->redirectAllowed();
    });
    deadline.start(m_timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
    if (abortReason == ErrorNone && reply->error() == QNetworkReply::NoError)
        takeBody(); // whatever arrived together with the end of the response

    m_httpStatus = status();
    const QNetworkReply::NetworkError netError = reply->error();
    // Qt stops by itself at a redirect it will not follow (another scheme).
    const bool unfollowedRedirect = m_httpStatus >= 300 && m_httpStatus < 400
        && (transportError(netError) == ErrorRedirect
            || reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid());
    utf8 = declaresUtf8(reply);
    delete reply;

    if (abortReason != ErrorNone)
        return finish(abortReason);
    if (unfollowedRedirect)
        return finish(ErrorRedirect);
    if (m_httpStatus >= 300)
        return finish(statusError(m_httpStatus));
    if (netError != QNetworkReply::NoError)
        return finish(transportError(netError));
    return finish(ErrorNone);
}
