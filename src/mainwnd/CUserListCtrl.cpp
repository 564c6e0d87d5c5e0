#include "mainwnd/CUserListCtrl.h"

#include "mainwnd/CSkinHeaderCtrl.h"
#include "mainwnd/HeadIcons.h"
#include "mainwnd/TreePainting.h"
#include "mainwnd/UserListModel.h"

#include <QHeaderView>

CUserListCtrl::CUserListCtrl(QWidget *parent)
    : CSkinListCtrl(parent)
{
    setObjectName(QStringLiteral("1000"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setFont(SongTiFont(12));
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CUserListCtrl::columnClicked);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (HostRecord *host = hostAt(index.row()))
            emit userDoubleClicked(host);
    });
    SetLargeIcons(false);
}

void CUserListCtrl::setListModel(UserListModel *model)
{
    m_model = model;
    setModel(model);
    SetLargeIcons(m_large);
    applyDefaultWidths();
}

void CUserListCtrl::Init(QObject *owner)
{
    m_owner = owner;
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setMouseTracking(true);
    show();
}

void CUserListCtrl::applyDefaultWidths()
{
    if (!m_model)
        return;
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidth(c, m_model->columnDefaultWidth(c));
}

void CUserListCtrl::SetColumnOrder(const QString &order)
{
    if (!m_model)
        return;
    m_model->SetColumnOrder(order);
    applyDefaultWidths();
}

int CUserListCtrl::GetColumnPosition(int field) const
{
    return m_model ? m_model->GetColumnPosition(field) : -1;
}

void CUserListCtrl::SetColumnWidths(const QList<int> &widths)
{
    if (!m_model)
        return;
    for (int field = 0; field < widths.size(); ++field) {
        const int column = m_model->GetColumnPosition(field);
        if (column >= 0)
            setColumnWidth(column, widths[field]);
    }
}

void CUserListCtrl::AutoSizeColumns()
{
    if (!m_model)
        return;
    for (int c = 0; c < m_model->columnCount(); ++c)
        resizeColumnToContents(c);
    viewport()->update();
}

void CUserListCtrl::SetLargeIcons(bool large)
{
    m_large = large;
    const int icon = large ? 32 : 16;
    setIconSize(QSize(icon, icon));
    verticalHeader()->setDefaultSectionSize(large ? 36 : 20);
    if (m_model)
        m_model->setDecoration([icon](int image) -> QVariant { return HeadImagePixmap(image, icon); });
    viewport()->update();
}

HostRecord *CUserListCtrl::hostAt(int row) const
{
    return m_model ? m_model->hostAt(row) : nullptr;
}
