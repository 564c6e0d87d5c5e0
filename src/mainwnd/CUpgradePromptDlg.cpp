#include "mainwnd/CUpgradePromptDlg.h"

#include "core/CConfig.h"
#include "platform/OpenUrl.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CUpgradePromptDlg::CUpgradePromptDlg(CConfig *config, QWidget *parent)
    : QDialog(parent)
    , m_config(config)
{
    setObjectName(QStringLiteral("381"));
    setWindowTitle(QStringLiteral("蓝雀Kwel提示"));
    auto *text = new QLabel(QStringLiteral("GdiPlus.dll"), this);
    m_noMore = new QCheckBox(QStringLiteral("下次不再提示"), this);
    m_noMore->setObjectName(QStringLiteral("1046"));
    auto *web = new QPushButton(QStringLiteral("网上下载"), this);
    web->setObjectName(QStringLiteral("1001"));
    m_lan = new QPushButton(QStringLiteral("局域网下载"), this);
    m_lan->setObjectName(QStringLiteral("1003"));
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("2"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_noMore);
    buttons->addStretch();
    buttons->addWidget(web);
    buttons->addWidget(m_lan);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
    connect(web, &QPushButton::clicked, this, &CUpgradePromptDlg::OnWebDownload);
    connect(m_lan, &QPushButton::clicked, this, &CUpgradePromptDlg::OnLanDownload);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    m_lan->setEnabled(false);
}

int &CUpgradePromptDlg::nextPeerIndex()
{
    static int index = 0;
    return index;
}

void CUpgradePromptDlg::SetSources(const QString &downloadUrl, const QList<quint32> &peers, PeerRequest request)
{
    m_url = downloadUrl;
    m_peers = peers;
    m_request = std::move(request);
    m_lan->setEnabled(lanDownloadEnabled());
}

bool CUpgradePromptDlg::lanDownloadEnabled() const
{
    return m_request && !m_peers.isEmpty();
}

void CUpgradePromptDlg::OnLanDownload()
{
    if (!lanDownloadEnabled())
        return;
    int &index = nextPeerIndex();
    if (index < 0 || index >= m_peers.size())
        index = 0;
    m_request(m_peers[index]);
    ++index;
}

void CUpgradePromptDlg::OnWebDownload()
{
    OpenUrlOrReport(this, m_url);
}

void CUpgradePromptDlg::done(int result)
{
    if (m_config && m_noMore->isChecked())
        m_config->GdiPlusTip = 0;
    QDialog::done(result);
}
