#include "mainwnd/CSkinListCtrl.h"

#include "mainwnd/CSkinHeaderCtrl.h"

#include <QHeaderView>

CSkinListCtrl::CSkinListCtrl(QWidget *parent)
    : QTableView(parent)
    , m_header(new CSkinHeaderCtrl(this))
{
    setHorizontalHeader(m_header);
    verticalHeader()->hide();
}

void CSkinListCtrl::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    viewport()->update();
}
