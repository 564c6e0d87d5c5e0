// "查看所有备注用户信息资料" (dialog 390): every peer the user gave a memo name
// or memo details, online or not, with its group; selected entries can be
// deleted (the memo name and details go, the group stays).
#pragma once

#include <QDialog>

class CConfig;
class CMessengerDlg;
class QTableWidget;

class CMemoListDlg : public QDialog
{
    Q_OBJECT
public:
    CMemoListDlg(CConfig &config, CMessengerDlg *messenger, QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }

public slots:
    // Deletes the memo data of the selected rows and saves; returns how many.
    int OnDelete();

private:
    void fill();

    CConfig &m_config;
    CMessengerDlg *m_messenger;
    QTableWidget *m_table = nullptr;
};
