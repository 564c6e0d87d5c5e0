#include "mainwnd/CMemoListDlg.h"

#include "core/CConfig.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/ContactCommands.h"
#include "mainwnd/UserPickEntry.h"
#include "net/MessengerEngine.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

CMemoListDlg::CMemoListDlg(CConfig &config, CMessengerDlg *messenger, QWidget *parent)
    : QDialog(parent)
    , m_config(config)
    , m_messenger(messenger)
{
    setObjectName(QStringLiteral("390"));
    setWindowTitle(QStringLiteral("所有备注用户信息资料"));
    auto *layout = new QVBoxLayout(this);
    m_table = new QTableWidget(this);
    m_table->setColumnCount(9);
    m_table->setHorizontalHeaderLabels({ QStringLiteral("备注名"), QStringLiteral("组名"), QStringLiteral("办公电话"),
        QStringLiteral("家庭电话"), QStringLiteral("手机"), QStringLiteral("电子邮件"), QStringLiteral("地址"),
        QStringLiteral("其它"), QStringLiteral("MAC地址") });
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    layout->addWidget(m_table, 1);
    auto *row = new QHBoxLayout;
    auto *remove = new QPushButton(QStringLiteral("删除"), this);
    remove->setObjectName(QStringLiteral("delete"));
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("2"));
    row->addStretch(1);
    row->addWidget(remove);
    row->addWidget(close);
    layout->addLayout(row);
    connect(remove, &QPushButton::clicked, this, &CMemoListDlg::OnDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    fill();
    resize(640, 320);
}

void CMemoListDlg::fill()
{
    QStringList keys = m_config.memoNickNames.keys() + m_config.memoUsesInfos.keys();
    keys.removeDuplicates();
    keys.sort();
    m_table->setRowCount(int(keys.size()));
    for (int r = 0; r < keys.size(); ++r) {
        const QString &key = keys[r];
        QStringList cells { m_config.memoNickNames.value(key), m_config.memoGroupNames.value(key) };
        cells += ContactCommands::SplitMemoDetails(m_config.memoUsesInfos.value(key));
        cells.append(key);
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
}

int CMemoListDlg::OnDelete()
{
    QSet<QString> keys;
    const auto selected = m_table->selectionModel()->selectedRows(8);
    for (const QModelIndex &index : selected)
        keys.insert(index.data().toString());
    if (keys.isEmpty())
        return 0;
    QList<HostRecord *> changed;
    if (m_messenger) {
        const QList<HostRecord *> hosts = HostsInTableOrder(m_messenger->engine().hostTable());
        for (HostRecord *host : hosts)
            if (keys.contains(host->keyText)) {
                ContactCommands::SetMemo(m_config, *host, QString(), QString());
                changed.append(host);
            }
    }
    for (const QString &key : std::as_const(keys)) {
        m_config.memoNickNames.remove(key);
        m_config.memoUsesInfos.remove(key);
    }
    m_config.Save(CFG_GENERAL);
    for (HostRecord *host : std::as_const(changed))
        m_messenger->UpdateUserTitles(host);
    fill();
    return int(keys.size());
}
