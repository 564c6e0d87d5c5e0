// The two fetches from the maker's site, each on a worker thread of its own:
// the upgrade check (is there a newer release, what it brings, where to get
// it) and the notice page that the chat windows' web panes show. Results come
// back as queued signals; the workers touch only their own cache files.
//
// Cache files live in the user's cache folder (XDG): "kweL_Upgrade.html" and
// "kweL_Upgrade.txt" while the check runs, "kwelaccessrst.txt" (the last
// notice page as fetched) and the web-access page (GetWebAccessPagePath).
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

class QThread;

// The folder of the fetched pages.
QString SiteCacheFolder();
// The local page the chat windows' web panes show: the notice page's marked
// part, in GBK.
QString GetWebAccessPagePath();

class VersionFetch : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFetchTimeoutMs = 8000;

    explicit VersionFetch(QObject *parent = nullptr);
    // Waits for running fetches.
    ~VersionFetch() override;

    // The addresses are tried in turn until one page has the marked text.
    // A fetch already running is not started again.
    void StartUpgradeCheck(const QStringList &addresses, const QDateTime &programTime);
    void StartNoticePage(const QStringList &addresses);
    bool isRunning() const;
    // Waits for both workers (tests).
    void Wait();

signals:
    // A newer release: the numbered items and the download address.
    void newerVersionFound(const QString &items, const QString &downloadUrl);
    // The web-access page was written.
    void noticePageReady(const QString &path);

private:
    QThread *m_upgrade = nullptr;
    QThread *m_notice = nullptr;
};
