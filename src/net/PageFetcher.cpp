#include "net/PageFetcher.h"

#include "net/CRobotInternet.h"

#include <QThread>

PageFetcher::PageFetcher(QObject *parent)
    : QObject(parent)
{
}

PageFetcher::~PageFetcher()
{
    m_hasPending = false;
    Wait();
}

bool PageFetcher::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void PageFetcher::Wait()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void PageFetcher::Fetch(const QUrl &url)
{
    m_pending = url;
    m_hasPending = true;
    if (!isRunning())
        startNext();
}

void PageFetcher::startNext()
{
    Wait();
    if (!m_hasPending)
        return;
    const QUrl url = m_pending;
    m_hasPending = false;
    m_thread = QThread::create([this, url] {
        CRobotInternet http;
        http.SetTimeout(kTimeoutMs);
        http.SetMaxBodySize(kMaxBytes);
        QString text;
        const bool ok = http.HttpGet(url.toString(QUrl::FullyEncoded), &text) != 0;
        QMetaObject::invokeMethod(
            this,
            [this, url, text, ok] {
                // A newer request wins; this result is then stale.
                if (!m_hasPending)
                    emit fetched(url, text, ok);
                startNext();
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
}
