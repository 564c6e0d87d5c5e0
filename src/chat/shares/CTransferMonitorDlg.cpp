#include "chat/shares/CTransferMonitorDlg.h"

#include "chat/TransferProgressDelegate.h"
#include "chat/shares/ShareListWidget.h"
#include "controls/ProgramArt.h"
#include "core/CConfig.h"
#include "net/CFileOfferTable.h"
#include "net/FileServer.h"
#include "platform/WindowAlpha.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

CTransferMonitorDlg::CTransferMonitorDlg(CFileOfferTable &offers, FileServer *server, CConfig *config, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)
    , m_model(new TransferMonitorModel(offers, this))
{
    setObjectName(QStringLiteral("161"));
    setWindowTitle(QStringLiteral("文件传送监视"));
    setWindowIcon(ProgramIcon());
    m_model->setIconSource([](const MonitorRow &row) { return QVariant(ShareListWidget::IconFor(row.file, row.folder)); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("1081"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setIconSize(QSize(16, 16));
    m_list->setModel(m_model);
    const int widths[] = { 40, 180, 110, 180, 120 };
    for (int i = 0; i < TransferMonitorModel::ColumnCount; ++i)
        m_list->setColumnWidth(i, widths[i]);
    m_list->setItemDelegate(
        new TransferProgressDelegate(TransferMonitorModel::StateColumn, TransferMonitorModel::ProgressRole,
            TransferProgressDelegate::Style::Cell, m_list));
    layout->addWidget(m_list);
    auto *row = new QHBoxLayout;
    row->addStretch();
    connect(
        AddShareButton(row, 1, QStringLiteral("删除")), &QPushButton::clicked, this, &CTransferMonitorDlg::OnDelete);
    connect(AddShareButton(row, 2, QStringLiteral("关闭")), &QPushButton::clicked, this, &CTransferMonitorDlg::reject);
    layout->addLayout(row);
    resize(680, 320);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().left() + screen->availableGeometry().width() / 10, y());
    WindowAlpha::SetKind(this, WindowAlpha::OtherWindows);
    if (config && config->OtherOpacity != 0)
        WindowAlpha::SetLayeredAlpha(this, WindowAlpha::FromPercent(config->OtherOpacity));

    connect(&offers, &CFileOfferTable::offerChanged, this, &CTransferMonitorDlg::onOfferChanged);
    connect(&offers, &CFileOfferTable::offerRemoved, this, &CTransferMonitorDlg::onOfferChanged);
    connect(&offers, &CFileOfferTable::transferStateText, this, &CTransferMonitorDlg::SetStateText);
    connect(&offers, &CFileOfferTable::transferRemoved, this, &CTransferMonitorDlg::RemoveTransfer);
    if (server)
        connect(server, &FileServer::transferProgress, this, &CTransferMonitorDlg::onProgress);
}

void CTransferMonitorDlg::ShowRestored()
{
    showNormal();
    raise();
    activateWindow();
    AddTransfer();
}

bool CTransferMonitorDlg::AddTransfer()
{
    if (!isVisible())
        return false;
    m_model->Rebuild();
    return true;
}

void CTransferMonitorDlg::onOfferChanged(quint32 packetNumber)
{
    if (isVisible())
        m_model->UpdateOffer(packetNumber);
}

bool CTransferMonitorDlg::SetProgress(const QString &key, const QString &text, int value)
{
    return isVisible() && m_model->SetProgress(key, text, value);
}

bool CTransferMonitorDlg::SetStateText(const QString &key, const QString &text)
{
    return isVisible() && m_model->SetStateText(key, text);
}

bool CTransferMonitorDlg::RemoveTransfer(const QString &key)
{
    return isVisible() && m_model->RemoveTransfer(key);
}

void CTransferMonitorDlg::onProgress(const TransferState &state)
{
    if (!isVisible() || state.status != ServeStatus::Running)
        return;
    const MonitorProgress progress = TransferMonitorModel::ProgressOf(state);
    SetProgress(progress.key, progress.text, progress.percent);
}

void CTransferMonitorDlg::OnDelete()
{
    QList<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty())
        return;
    // The offers go (when nothing of them is being received); the rows are
    // rebuilt in case nothing went.
    m_model->DeleteRows(rows);
}

void CTransferMonitorDlg::reject()
{
    hide();
}

void CTransferMonitorDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
}
