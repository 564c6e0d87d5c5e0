// The messenger page: the first page of the main panel. For now a plain list
// of the peers and the messages received; the contact tree replaces it.
#pragma once

#include <QWidget>

class HostRecord;
class MessengerEngine;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;
struct PacketRecord;

class CMessengerDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CMessengerDlg(MessengerEngine &engine, QWidget *parent = nullptr);

    MessengerEngine &engine() { return m_engine; }
    int peerRowCount() const;
    QString peerRowText(int row, int column) const;
    QString messagesText() const;

signals:
    // The number of peers changed (for the panel's title).
    void peerCountChanged(int count);

private:
    void insertOrRefreshUser(HostRecord *host);
    void removeUser(HostRecord *host);
    void showMessage(const PacketRecord &packet, HostRecord *sender);
    QTreeWidgetItem *findRow(const HostRecord *host) const;

    MessengerEngine &m_engine;
    QTreeWidget *m_list = nullptr;
    QPlainTextEdit *m_messages = nullptr;
};
