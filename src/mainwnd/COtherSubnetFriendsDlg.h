// "增加其他网段好友" (dialog 355): the addresses of other subnets (or single
// hosts) that the presence announcements also go to.
#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;

class COtherSubnetFriendsDlg : public QDialog
{
    Q_OBJECT
public:
    explicit COtherSubnetFriendsDlg(const QStringList &entries, QWidget *parent = nullptr);

    QStringList entries() const;
    QLineEdit *addressEdit() const { return m_address; }
    QListWidget *list() const { return m_list; }

public slots:
    // Adds the typed address; a text that is no IPv4 address is refused
    // with a message. True when added.
    bool OnAdd();
    void OnRemove();

private:
    QListWidget *m_list = nullptr;
    QLineEdit *m_address = nullptr;
};
