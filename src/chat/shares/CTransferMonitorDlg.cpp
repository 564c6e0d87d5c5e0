#include "chat/shares/CTransferMonitorDlg.h"

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
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The state column: a light cell, the done part in a stronger colour, the
// text centred in red.
class ProgressDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.column() != CTransferMonitorDlg::StateColumn) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect cell = option.rect;
        painter->fillRect(cell, QColor(0xCB, 0xFF, 0xFF));
        const int value = index.data(CTransferMonitorDlg::ProgressRole).toInt();
        if (value >= 1 && value <= 100) {
            QRect done = cell;
            done.setWidth(int(cell.width() * value * 0.01));
            painter->fillRect(done, QColor(0x7A, 0xE2, 0xFF));
        }
        painter->setPen(QColor(0xFF, 0, 0));
        painter->drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
    }
};

} // namespace

CTransferMonitorDlg::CTransferMonitorDlg(CFileOfferTable &offers, FileServer *server, CConfig *config, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)
    , m_model(offers)
{
    setObjectName(QStringLiteral("161"));
    setWindowTitle(QStringLiteral("文件传送监视"));
    setWindowIcon(ProgramIcon());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("1081"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({ QStringLiteral("序号"), QStringLiteral("文件"), QStringLiteral("大小"),
        QStringLiteral("进度状态"), QStringLiteral("发送用户") });
    const int widths[] = { 40, 180, 110, 180, 120 };
    for (int i = 0; i < 5; ++i)
        m_list->setColumnWidth(i, widths[i]);
    m_list->setItemDelegate(new ProgressDelegate(m_list));
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

    connect(&offers, &CFileOfferTable::transfersChanged, this, [this] { AddTransfer(); });
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
    m_model.Rebuild();
    render();
    return true;
}

bool CTransferMonitorDlg::SetProgress(const QString &key, const QString &text, int value)
{
    if (!isVisible() || !m_model.SetProgress(key, text, value))
        return false;
    renderRow(m_model.RowOf(key));
    return true;
}

bool CTransferMonitorDlg::SetStateText(const QString &key, const QString &text)
{
    if (!isVisible() || !m_model.SetStateText(key, text))
        return false;
    renderRow(m_model.RowOf(key));
    return true;
}

bool CTransferMonitorDlg::RemoveTransfer(const QString &key)
{
    const int row = m_model.RowOf(key);
    if (!isVisible() || !m_model.RemoveTransfer(key))
        return false;
    delete m_list->takeTopLevelItem(row);
    return true;
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
    // The offers go (when nothing of them is being received); the table's
    // change rebuilds the rows, and so does this in case nothing went.
    m_model.DeleteRows(rows);
    render();
}

void CTransferMonitorDlg::render()
{
    m_list->clear();
    for (const MonitorRow &r : m_model.rows()) {
        auto *item = new QTreeWidgetItem(m_list);
        item->setIcon(FileColumn, ShareListWidget::IconFor(r.file, r.folder));
        item->setData(0, Qt::UserRole, r.packetNumber);
        item->setText(NumberColumn, QString::number(r.number));
        item->setText(FileColumn, r.file);
        item->setText(SizeColumn, r.size);
        item->setText(DestinationColumn, r.destination);
    }
    for (int i = 0; i < int(m_model.rows().size()); ++i)
        renderRow(i);
}

void CTransferMonitorDlg::renderRow(int row)
{
    QTreeWidgetItem *item = m_list->topLevelItem(row);
    if (!item || row < 0 || row >= int(m_model.rows().size()))
        return;
    const MonitorRow &r = m_model.rows()[size_t(row)];
    item->setText(StateColumn, r.state);
    item->setData(StateColumn, ProgressRole, r.progress);
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
