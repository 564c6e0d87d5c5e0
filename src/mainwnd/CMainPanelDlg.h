// The main panel: the program's top-level window.
#pragma once

#include <QDialog>

class CMainPanelDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CMainPanelDlg(QWidget *parent = nullptr);
};
