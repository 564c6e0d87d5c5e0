// "文件共享": one peer's share list; "下载" ends the dialog with the request
// text of the checked rows (the password in front when one was given).
#pragma once

#include "chat/shares/ShareRecords.h"

#include <QDialog>

class ShareListWidget;

class CShareBrowseDlg : public QDialog
{
    Q_OBJECT
public:
    CShareBrowseDlg(
        const QString &caption, const QString &listText, const QByteArray &password, QWidget *parent = nullptr);

    ShareListWidget *list() const { return m_list; }
    const std::vector<ShareRecord> &records() const { return m_records; }
    // After "下载": the request to send.
    QByteArray requestText() const { return m_request; }

public slots:
    void accept() override; // 1006 "下载"

private:
    std::vector<ShareRecord> m_records;
    QByteArray m_password;
    QByteArray m_request;
    ShareListWidget *m_list = nullptr;
};
