#include "mainwnd/COtherSubnetFriendsDlg.h"
#include "controls/PlainLabel.h"

#include "core/CConfig.h"
#include "core/ConfigValues.h"
#include "core/Gbk.h"
#include "core/Prompter.h"
#include "mainwnd/DialogButtons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

COtherSubnetFriendsDlg::COtherSubnetFriendsDlg(const QStringList &entries, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("355"));
    setWindowTitle(QStringLiteral("增加其他网段好友"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PlainLabel(
        QStringLiteral("输入其他网段的广播地址(如 192.168.2.255)或好友的IP地址,上线时也向这些地址通知:"), this));
    m_list = new QListWidget(this);
    m_list->addItems(entries);
    layout->addWidget(m_list, 1);
    auto *row = new QHBoxLayout;
    m_address = new QLineEdit(this);
    auto *add = new QPushButton(QStringLiteral("添加"), this);
    add->setObjectName(QStringLiteral("add"));
    auto *remove = new QPushButton(QStringLiteral("删除"), this);
    remove->setObjectName(QStringLiteral("remove"));
    row->addWidget(m_address, 1);
    row->addWidget(add);
    row->addWidget(remove);
    layout->addLayout(row);
    connect(add, &QPushButton::clicked, this, &COtherSubnetFriendsDlg::OnAdd);
    connect(m_address, &QLineEdit::returnPressed, this, &COtherSubnetFriendsDlg::OnAdd);
    connect(remove, &QPushButton::clicked, this, &COtherSubnetFriendsDlg::OnRemove);
    AddOkCancel(this, layout);
    resize(360, 300);
}

bool COtherSubnetFriendsDlg::OnAdd()
{
    const QString text = m_address->text().trimmed();
    if (text.isEmpty())
        return false;
    if (!ConfigValues::ParseIPv4(text) || Gbk::byteLength(text) >= CConfig::BroadcastEntryBytes) {
        Prompter::current().messageBox(this, QStringLiteral("IP地址格式不正确: %1").arg(text), QStringLiteral("提示"),
            Prompter::Buttons::Ok, Prompter::Icon::Information);
        return false;
    }
    if (m_list->findItems(text, Qt::MatchExactly).isEmpty())
        m_list->addItem(text);
    m_address->clear();
    return true;
}

void COtherSubnetFriendsDlg::OnRemove()
{
    delete m_list->currentItem();
}

QStringList COtherSubnetFriendsDlg::entries() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        out.append(m_list->item(i)->text());
    return out;
}
