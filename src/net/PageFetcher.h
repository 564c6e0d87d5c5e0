// Fetches one web page at a time on a worker thread (CRobotInternet) and
// hands the text back on the owner's thread. A fetch started while one runs
// replaces its result: only the last address asked for is reported.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

class QThread;

class PageFetcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 10000;
    static constexpr qint64 kMaxBytes = 1024 * 1024;

    explicit PageFetcher(QObject *parent = nullptr);
    // Waits for a running fetch.
    ~PageFetcher() override;

    void Fetch(const QUrl &url);
    bool isRunning() const;
    void Wait();

signals:
    // ok false: the page could not be fetched (text empty).
    void fetched(const QUrl &url, const QString &text, bool ok);

private:
    void startNext();

    QThread *m_thread = nullptr;
    QUrl m_pending;
    bool m_hasPending = false;
};
