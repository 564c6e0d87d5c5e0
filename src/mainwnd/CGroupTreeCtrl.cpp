#include "mainwnd/CGroupTreeCtrl.h"

#include "controls/HeadIcons.h"
#include "mainwnd/GroupRecord.h"
#include "mainwnd/HeadIcons.h"
#include "mainwnd/HeadImage.h"
#include "mainwnd/TreePainting.h"
#include "net/EngineEventLog.h"
#include "net/HostRecord.h"

#include <QStandardItemModel>

namespace {

// A member row keeps its peer's record alive for as long as it exists.
class MemberItem : public QStandardItem
{
public:
    HostPtr host;
};

QIcon imageIcon(int image)
{
    return QIcon(HeadImagePixmap(image, 16));
}

} // namespace

CGroupTreeCtrl::CGroupTreeCtrl(QWidget *parent)
    : QTreeView(parent)
    , m_model(new QStandardItemModel(this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFont(SongTiFont(12));
}

CGroupTreeCtrl::~CGroupTreeCtrl() = default;

QString CGroupTreeCtrl::MemberText(const HostRecord &host)
{
    return QStringLiteral("%1(%2)(%3) %4")
        .arg(host.displayName, host.keyText, host.key.hostName(), EngineEventLog::dotted(host.key.address));
}

int CGroupTreeCtrl::MemberImage(const HostRecord &host, int imageCount)
{
    if (host.headIcon + 1 >= 0 && host.headIcon + 1 < imageCount)
        return host.headIcon + 1;
    if (host.previousHeadIcon + 1 >= 0 && host.previousHeadIcon + 1 < imageCount)
        return host.previousHeadIcon + 1;
    return HeadImage::kDefaultHead;
}

int CGroupTreeCtrl::groupCount() const
{
    return m_model->rowCount();
}

QStandardItem *CGroupTreeCtrl::groupNode(quint32 groupId) const
{
    for (int i = 0; i < m_model->rowCount(); ++i) {
        QStandardItem *item = m_model->item(i);
        if (item->data(GroupIdRole).toUInt() == groupId)
            return item;
    }
    return nullptr;
}

QStandardItem *CGroupTreeCtrl::memberItem(QStandardItem *members, const HostRecord *host) const
{
    for (int i = 0; members && i < members->rowCount(); ++i) {
        QStandardItem *item = members->child(i);
        if (item->data(HostRole).value<quintptr>() == quintptr(host))
            return item;
    }
    return nullptr;
}

void CGroupTreeCtrl::setMember(QStandardItem *item, HostRecord *host) const
{
    static_cast<MemberItem *>(item)->host = HostPtr(host);
    const int image = MemberImage(*host, HeadIconCount());
    item->setText(MemberText(*host));
    item->setData(QVariant::fromValue(quintptr(host)), HostRole);
    item->setData(image, ImageRole);
    item->setIcon(imageIcon(image));
}

QStandardItem *CGroupTreeCtrl::InsertGroup(const QString &name, quint32 groupId)
{
    auto *group = new QStandardItem(imageIcon(HeadImage::kGroupWindow), name);
    group->setData(groupId, GroupIdRole);
    group->setData(HeadImage::kGroupWindow, ImageRole);
    auto *members = new QStandardItem(imageIcon(HeadImage::kGroupMembers), MembersNodeText());
    members->setData(0u, GroupIdRole);
    members->setData(HeadImage::kGroupMembers, ImageRole);
    group->appendRow(members);
    m_model->appendRow(group);
    return members;
}

bool CGroupTreeCtrl::AddMember(quint32 groupId, HostRecord *host)
{
    QStandardItem *group = groupNode(groupId);
    QStandardItem *members = group ? group->child(0) : nullptr;
    if (!host || !members || memberItem(members, host))
        return false;
    auto *item = new MemberItem;
    setMember(item, host);
    members->appendRow(item);
    return true;
}

bool CGroupTreeCtrl::RemoveMember(quint32 groupId, const HostRecord *host)
{
    QStandardItem *group = groupNode(groupId);
    QStandardItem *members = group ? group->child(0) : nullptr;
    QStandardItem *item = memberItem(members, host);
    if (!item)
        return false;
    members->removeRow(item->row());
    return true;
}

void CGroupTreeCtrl::RemoveMemberFromAllGroups(const HostRecord *host)
{
    for (int i = 0; i < m_model->rowCount(); ++i) {
        QStandardItem *members = m_model->item(i)->child(0);
        if (QStandardItem *item = memberItem(members, host))
            members->removeRow(item->row());
    }
}

void CGroupTreeCtrl::UpdateMember(HostRecord *host)
{
    if (!host)
        return;
    for (int i = 0; i < m_model->rowCount(); ++i)
        if (QStandardItem *item = memberItem(m_model->item(i)->child(0), host))
            setMember(item, host);
}

bool CGroupTreeCtrl::DeleteGroup(quint32 groupId)
{
    QStandardItem *group = groupNode(groupId);
    if (!group)
        return false;
    m_model->removeRow(group->row());
    return true;
}

void CGroupTreeCtrl::UpdateGroupLabel(quint32 groupId)
{
    QStandardItem *group = groupNode(groupId);
    const GroupRecord *record = m_lookup ? m_lookup(groupId) : nullptr;
    if (!group || !record)
        return;
    group->setText(record->unreadCount != 0
            ? QStringLiteral("%1(%2条新信息)").arg(record->name, QString::number(record->unreadCount))
            : record->name);
}
