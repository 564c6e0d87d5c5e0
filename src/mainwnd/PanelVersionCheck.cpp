#include "mainwnd/PanelVersionCheck.h"

#include "core/CConfig.h"
#include "mainwnd/CNewVersionDlg.h"
#include "mainwnd/CUpgradePromptDlg.h"
#include "mainwnd/NewerPeers.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"
#include "net/VersionFetch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

QStringList nonEmpty(std::initializer_list<QString> addresses)
{
    QStringList list;
    for (const QString &a : addresses) {
        if (!a.trimmed().isEmpty())
            list.append(a.trimmed());
    }
    return list;
}

} // namespace

PanelVersionCheck::PanelVersionCheck(MessengerEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_fetch(std::make_unique<VersionFetch>())
{
    m_versionTimer.setSingleShot(true);
    m_versionTimer.setInterval(kVersionDelayMs);
    m_noticeTimer.setSingleShot(true);
    m_noticeTimer.setInterval(kNoticeDelayMs);
    connect(&m_versionTimer, &QTimer::timeout, this, &PanelVersionCheck::CheckVersion);
    connect(&m_noticeTimer, &QTimer::timeout, this, &PanelVersionCheck::FetchNoticePage);
    connect(m_fetch.get(), &VersionFetch::newerVersionFound, this,
        [this](const QString &items, const QString &url) { ShowNewVersion(items, url, false, 0); });
    connect(m_fetch.get(), &VersionFetch::noticePageReady, this, &PanelVersionCheck::webAccessPageReady);
}

PanelVersionCheck::~PanelVersionCheck() = default;

void PanelVersionCheck::Start()
{
    const CConfig &config = m_engine.config();
    if (config.AutoCheckVersion)
        m_versionTimer.start();
    if (config.ChatShowWeb)
        m_noticeTimer.start();
}

QDateTime PanelVersionCheck::programTime() const
{
    if (m_programTime.isValid())
        return m_programTime;
    return QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
}

void PanelVersionCheck::CheckVersion()
{
    m_versionTimer.stop();
    CConfig &config = m_engine.config();
    if (!PictureLibraryAvailable() && config.GdiPlusTip) {
        if (!m_prompt)
            m_prompt = std::make_unique<CUpgradePromptDlg>(&config);
        // The LAN download would bring another system's library: not offered.
        m_prompt->SetSources(config.DownloadPageURL,
            NewerPeers::ExtensionPeerAddresses(m_engine.hostTable(), m_engine.net().ownAddress()), {});
        m_prompt->show();
        return;
    }
    const QList<const HostRecord *> newest = NewerPeers::Newest(m_engine.hostTable());
    if (!newest.isEmpty()) {
        const HostRecord *peer = newest[int(QRandomGenerator::global()->bounded(quint32(newest.size())))];
        ShowNewVersion(NewerPeers::NoticeText(*peer), config.DownloadPageURL, true, peer->key.address);
        return;
    }
    m_fetch->StartUpgradeCheck(nonEmpty({config.UpgradePageURL1, config.UpgradePageURL2}), programTime());
}

void PanelVersionCheck::FetchNoticePage()
{
    m_noticeTimer.stop();
    const CConfig &config = m_engine.config();
    m_fetch->StartNoticePage(nonEmpty({config.NoticePageURL1, config.NoticePageURL2}));
}

void PanelVersionCheck::ShowNewVersion(const QString &text, const QString &downloadUrl, bool lan, quint32 peerAddress)
{
    if (!m_newVersion)
        m_newVersion = std::make_unique<CNewVersionDlg>();
    m_newVersion->SetInfo(text, downloadUrl, lan, peerAddress);
    m_newVersion->ShowSliding();
}
