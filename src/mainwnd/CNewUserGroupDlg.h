// "新建组": the name of a new user group and whether it goes first. A name
// the check refuses is told and the dialog stays open with it.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;

class CNewUserGroupDlg : public QDialog
{
    Q_OBJECT
public:
    // The text a refused name is told with, empty when it is taken.
    using NameCheck = std::function<QString(const QString &name)>;

    explicit CNewUserGroupDlg(NameCheck check, QWidget *parent = nullptr);

    QString name() const;
    bool insertFirst() const;
    QLineEdit *nameEdit() const { return m_name; }
    QCheckBox *firstBox() const { return m_first; }

    void accept() override;

private:
    NameCheck m_check;
    QLineEdit *m_name = nullptr;
    QCheckBox *m_first = nullptr;
};
