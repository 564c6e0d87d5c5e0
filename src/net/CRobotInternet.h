// The HTTP client of the fetch threads (upgrade check, notice page).
//
// HttpGet is synchronous: it runs its own event loop in the calling thread
// until the response is complete, fails, or the time-out passes. Call it from
// a worker thread; in the GUI thread it would run a nested event loop.
// Every call uses a QNetworkAccessManager of its own, created in the calling
// thread, so one CRobotInternet may be used from any one thread at a time.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QtGlobal>

class CRobotInternet
{
public:
    // LastError() after a call. The HTTP statuses 403, 404 and 407 keep their
    // numbers; any other status of 300 and above that is not followed is
    // ErrorHttpStatus (LastHttpStatus() has it).
    enum Error : int {
        ErrorNone = 0,
        ErrorBadAddress = 1, // empty, not a URL, or a scheme other than http/https
        ErrorHttpStatus = 2, // another 3xx/4xx/5xx status
        ErrorConnectionRefused = 3, // nobody listens at the port
        ErrorHostNotFound = 4, // the name does not resolve
        ErrorTimedOut = 5, // no complete response within Timeout()
        ErrorBodyTooLarge = 6, // the body is (or announces to be) above MaxBodySize()
        ErrorRedirect = 7, // a redirect to another scheme, from https to http, or too many
        ErrorNetwork = 8, // any other transport failure (reset, TLS, protocol)
        ErrorForbidden = 403,
        ErrorNotFound = 404,
        ErrorProxyAuthentication = 407,
    };

    static constexpr int kDefaultTimeoutMs = 15000;
    static constexpr qint64 kDefaultMaxBodyBytes = 2 * 1024 * 1024;
    static constexpr int kMaxRedirects = 5;

    // Whole-request time-out (connect, headers and body together).
    void SetTimeout(int ms) { m_timeoutMs = ms > 0 ? ms : kDefaultTimeoutMs; }
    int Timeout() const { return m_timeoutMs; }
    void SetMaxBodySize(qint64 bytes) { m_maxBodyBytes = bytes >= 0 ? bytes : kDefaultMaxBodyBytes; }
    qint64 MaxBodySize() const { return m_maxBodyBytes; }

    // GETs the address ("http://" is put in front when it has no scheme) and
    // hands back the body as text: UTF-8 when the response's Content-Type
    // declares it or the body starts with a UTF-8 byte-order mark, GBK
    // otherwise. Returns 1 on success (any 2xx status), 0 on failure with
    // LastError() set and the body emptied.
    int HttpGet(const QString &address, QString *body);
    // The same, handing back the raw body bytes; *declaredUtf8 (optional)
    // tells whether the response declared UTF-8.
    int HttpGetBytes(const QString &address, QByteArray *body, bool *declaredUtf8 = nullptr);

    Error LastError() const { return m_error; }
    int LastHttpStatus() const { return m_httpStatus; }

    // The URL HttpGet fetches for an address; invalid when the address is
    // refused (empty, unparsable, or a scheme other than http/https).
    static QUrl MakeUrl(const QString &address);

private:
    int m_timeoutMs = kDefaultTimeoutMs;
    qint64 m_maxBodyBytes = kDefaultMaxBodyBytes;
    Error m_error = ErrorNone;
    int m_httpStatus = 0;
};
