#include "mainwnd/CMainPanelDlg.h"

#include "mainwnd/CMessengerDlg.h"

#include <QLabel>
#include <QVBoxLayout>

CMainPanelDlg::CMainPanelDlg(MessengerEngine &engine, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CMainPanelDlg"));
    setWindowTitle(QStringLiteral("Kwel"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    resize(260, 560);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_folder = new QLabel(titleText(0), this);
    m_folder->setAlignment(Qt::AlignCenter);
    m_folder->setMinimumHeight(24);
    layout->addWidget(m_folder);
    m_messenger = new CMessengerDlg(engine, this);
    layout->addWidget(m_messenger, 1);
    connect(m_messenger, &CMessengerDlg::peerCountChanged, this,
        [this](int count) { m_folder->setText(titleText(count)); });
}

QString CMainPanelDlg::titleText(int peers)
{
    return QStringLiteral("蓝雀Kwel(在线人数: %1)").arg(peers);
}

QString CMainPanelDlg::folderTitle() const
{
    return m_folder->text();
}

void CMainPanelDlg::bringForward()
{
    showNormal();
    raise();
    activateWindow();
}
