#include "mainwnd/CMainPanelDlg.h"

CMainPanelDlg::CMainPanelDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CMainPanelDlg"));
    setWindowTitle(QStringLiteral("Kwel"));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    resize(220, 560);
}
