#include "net/VersionFetch.h"

#include "core/Gbk.h"
#include "net/CRobotInternet.h"
#include "net/VersionPage.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

namespace {

bool writeWhole(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// The first page of the addresses whose marked section is there, cached
// under `cacheName` as fetched.
VersionPage::Section fetchSection(const QStringList &addresses, const QString &cacheName, bool normalize)
{
    const QString cache = SiteCacheFolder() + QLatin1Char('/') + cacheName;
    for (const QString &address : addresses) {
        CRobotInternet http;
        http.SetTimeout(VersionFetch::kFetchTimeoutMs);
        http.SetMaxBodySize(VersionPage::kMaxPageBytes);
        QByteArray page;
        if (!http.HttpGetBytes(address, &page))
            continue;
        writeWhole(cache, page);
        VersionPage::Section section = VersionPage::ExtractSection(page, normalize);
        if (section.status == VersionPage::Status::Ok)
            return section;
    }
    return {};
}

void stop(QThread *&thread)
{
    if (!thread)
        return;
    thread->wait();
    delete thread;
    thread = nullptr;
}

} // namespace

QString SiteCacheFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.cache/kwel");
    QDir().mkpath(folder);
    return folder;
}

QString GetWebAccessPagePath()
{
    return SiteCacheFolder() + QStringLiteral("/kwelaccess.htm");
}

VersionFetch::VersionFetch(QObject *parent)
    : QObject(parent)
{
}

VersionFetch::~VersionFetch()
{
    Wait();
}

bool VersionFetch::isRunning() const
{
    return (m_upgrade && m_upgrade->isRunning()) || (m_notice && m_notice->isRunning());
}

void VersionFetch::Wait()
{
    stop(m_upgrade);
    stop(m_notice);
}

void VersionFetch::StartUpgradeCheck(const QStringList &addresses, const QDateTime &programTime)
{
    if (m_upgrade && m_upgrade->isRunning())
        return;
    stop(m_upgrade);
    m_upgrade = QThread::create([this, addresses, programTime] {
        const VersionPage::Section section = fetchSection(addresses, QStringLiteral("kweL_Upgrade.html"), true);
        QFile::remove(SiteCacheFolder() + QStringLiteral("/kweL_Upgrade.html"));
        VersionPage::UpgradeInfo info;
        if (section.status == VersionPage::Status::Ok) {
            const QString textPath = SiteCacheFolder() + QStringLiteral("/kweL_Upgrade.txt");
            writeWhole(textPath, section.gbk);
            info = VersionPage::ParseUpgradeText(Gbk::decode(section.gbk), programTime);
            QFile::remove(textPath);
        }
        QMetaObject::invokeMethod(
            this,
            [this, info] {
                if (info.newer)
                    emit newerVersionFound(info.items, info.downloadUrl);
            },
            Qt::QueuedConnection);
    });
    m_upgrade->start();
}

void VersionFetch::StartNoticePage(const QStringList &addresses)
{
    if (m_notice && m_notice->isRunning())
        return;
    stop(m_notice);
    m_notice = QThread::create([this, addresses] {
        const VersionPage::Section section = fetchSection(addresses, QStringLiteral("kwelaccessrst.txt"), false);
        const QString path = GetWebAccessPagePath();
        const bool ok = section.status == VersionPage::Status::Ok && writeWhole(path, section.gbk);
        QMetaObject::invokeMethod(
            this,
            [this, ok, path] {
                if (ok)
                    emit noticePageReady(path);
            },
            Qt::QueuedConnection);
    });
    m_notice->start();
}
