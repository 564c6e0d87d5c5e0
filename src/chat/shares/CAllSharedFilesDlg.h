// "所有共享文件": the shares that several peers list to everyone, filled while
// the window is open; "下载" asks each peer for its checked rows and closes
// the window.
#pragma once

#include "chat/shares/ShareRecords.h"

#include <QDialog>

class ShareListWidget;

class CAllSharedFilesDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPeerTextChars = 1023;

    explicit CAllSharedFilesDlg(const QString &title = QString(), QWidget *parent = nullptr);

    ShareListWidget *list() const { return m_list; }
    const std::vector<ShareRecord> &records() const { return m_records; }
    // One peer's answer: its entries are appended with the peer's text and address.
    void ApplyShareList(const QString &listText, const QString &peerText, quint32 address);

public slots:
    void OnDownload(); // 1006 "下载"

signals:
    // The request text for the peer of that address (no password).
    void downloadRequested(quint32 address, const QByteArray &request);

private:
    std::vector<ShareRecord> m_records;
    ShareListWidget *m_list = nullptr;
};
