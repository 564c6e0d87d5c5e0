#include "mainwnd/CUserGroupManageDlg.h"

#include "core/CConfig.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CSelectUsersDlg.h"
#include "mainwnd/UserGroupMembers.h"
#include "mainwnd/UserPickEntry.h"
#include "net/MessengerEngine.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CUserGroupManageDlg::CUserGroupManageDlg(CMessengerDlg *messenger, QWidget *parent)
    : QDialog(parent)
    , m_messenger(messenger)
{
    setWindowTitle(QStringLiteral("管理组"));
    auto *layout = new QVBoxLayout(this);
    m_groups = new QListWidget(this);
    layout->addWidget(m_groups, 1);
    auto *buttons = new QHBoxLayout;
    m_add = new QPushButton(QStringLiteral("添加成员..."), this);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    buttons->addStretch(1);
    buttons->addWidget(m_add);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_add, &QPushButton::clicked, this, &CUserGroupManageDlg::OnAddMembers);
    connect(m_groups, &QListWidget::itemDoubleClicked, this, &CUserGroupManageDlg::OnAddMembers);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    fill();
    resize(260, 300);
}

void CUserGroupManageDlg::fill()
{
    const CConfig &config = m_messenger->engine().config();
    for (const UserGroupRecord &group : config.MemberGroups)
        m_groups->addItem(group.name);
    if (m_groups->count() > 0)
        m_groups->setCurrentRow(0);
    m_add->setEnabled(m_groups->count() > 0);
}

int CUserGroupManageDlg::OnAddMembers()
{
    const QListWidgetItem *item = m_groups->currentItem();
    if (!item)
        return 0;
    const QString group = item->text();
    MessengerEngine &engine = m_messenger->engine();
    QList<UserPickEntry> entries = UserGroupMembers::Candidates(HostsInTableOrder(engine.hostTable()), group);
    CSelectUsersDlg pick(entries, this);
    if (pick.exec() != QDialog::Accepted)
        return 0;
    const int moved = UserGroupMembers::PutSelected(engine.config(), engine.hostTable(), entries, group);
    if (moved > 0) {
        m_messenger->RebuildUserViews(false);
        engine.config().Save(CFG_GENERAL);
    }
    return moved;
}
