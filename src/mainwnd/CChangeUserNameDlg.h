// "更改用户名及用户资料": a peer's memo name (shown instead of its nick name)
// and six memo details.
#pragma once

#include <QDialog>
#include <QList>

class QLineEdit;

class CChangeUserNameDlg : public QDialog
{
    Q_OBJECT
public:
    CChangeUserNameDlg(const QString &displayName, const QString &details, QWidget *parent = nullptr);

    QString memoName() const;
    // The details as stored: every field followed by "#~$#".
    QString details() const;
    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *detailEdit(int index) const { return m_details.value(index); }

private:
    QLineEdit *m_name = nullptr;
    QList<QLineEdit *> m_details;
};
