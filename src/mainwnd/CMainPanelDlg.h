// The main panel: the program's top-level window, hosting the messenger page.
#pragma once

#include <QDialog>

class CMessengerDlg;
class MessengerEngine;
class QLabel;

class CMainPanelDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CMainPanelDlg(MessengerEngine &engine, QWidget *parent = nullptr);

    CMessengerDlg *messengerPage() const { return m_messenger; }
    // "蓝雀Kwel(在线人数: %d)"
    static QString titleText(int peers);
    QString folderTitle() const;

public slots:
    void bringForward();

private:
    CMessengerDlg *m_messenger = nullptr;
    QLabel *m_folder = nullptr;
};
