#include "mainwnd/CMessengerDlg.h"

#include "net/EngineEventLog.h"
#include "net/MessengerEngine.h"

#include <QDateTime>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum Column { NameColumn, GroupColumn, HostColumn, AddressColumn, ColumnCount };
constexpr int kHostRole = Qt::UserRole + 1;
}

CMessengerDlg::CMessengerDlg(MessengerEngine &engine, QWidget *parent)
    : QWidget(parent)
    , m_engine(engine)
{
    setObjectName(QStringLiteral("137"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto *splitter = new QSplitter(Qt::Vertical, this);
    m_list = new QTreeWidget(splitter);
    m_list->setObjectName(QStringLiteral("1000"));
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(ColumnCount);
    m_list->setHeaderLabels({QStringLiteral("用户名"), QStringLiteral("组名"), QStringLiteral("主机"),
        QStringLiteral("IP地址")});
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(NameColumn, Qt::AscendingOrder);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_messages = new QPlainTextEdit(splitter);
    m_messages->setReadOnly(true);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter);
    auto *refresh = new QPushButton(QStringLiteral("刷新"), this);
    refresh->setObjectName(QStringLiteral("1002"));
    layout->addWidget(refresh);
    connect(refresh, &QPushButton::clicked, this, [this] { m_engine.RefreshUsers(false); });

    connect(&m_engine, &MessengerEngine::hostAdded, this, &CMessengerDlg::insertOrRefreshUser);
    connect(&m_engine, &MessengerEngine::hostUpdated, this, &CMessengerDlg::insertOrRefreshUser);
    connect(&m_engine, &MessengerEngine::hostRemoved, this, [this](HostRecord *host, bool) { removeUser(host); });
    connect(&m_engine, &MessengerEngine::messageReceived, this, &CMessengerDlg::showMessage);
}

QTreeWidgetItem *CMessengerDlg::findRow(const HostRecord *host) const
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        if (item->data(0, kHostRole).value<quintptr>() == quintptr(host))
            return item;
    }
    return nullptr;
}

void CMessengerDlg::insertOrRefreshUser(HostRecord *host)
{
    QTreeWidgetItem *item = findRow(host);
    if (!item) {
        item = new QTreeWidgetItem(m_list);
        item->setData(0, kHostRole, QVariant::fromValue(quintptr(host)));
    }
    QString name = host->displayName;
    if (host->statusBits & HostRecord::StatusAway)
        name += QStringLiteral(" (离开)");
    item->setText(NameColumn, name);
    item->setText(GroupColumn, host->groupName);
    item->setText(HostColumn, host->key.hostName());
    item->setText(AddressColumn, EngineEventLog::dotted(host->key.address));
    emit peerCountChanged(m_list->topLevelItemCount());
}

void CMessengerDlg::removeUser(HostRecord *host)
{
    delete findRow(host);
    emit peerCountChanged(m_list->topLevelItemCount());
}

void CMessengerDlg::showMessage(const PacketRecord &packet, HostRecord *sender)
{
    const QString who = sender ? sender->displayName : packet.key.loginName();
    m_messages->appendPlainText(QStringLiteral("%1 %2\n  %3")
                                    .arg(who, QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")),
                                        packet.bodyText()));
}

int CMessengerDlg::peerRowCount() const
{
    return m_list->topLevelItemCount();
}

QString CMessengerDlg::peerRowText(int row, int column) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(column) : QString();
}

QString CMessengerDlg::messagesText() const
{
    return m_messages->toPlainText();
}
