#include "mainwnd/CNewUserGroupDlg.h"

#include "mainwnd/DialogButtons.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CNewUserGroupDlg::CNewUserGroupDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CNewUserGroupDlg"));
    setWindowTitle(QStringLiteral("新建组"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("请输入新的组名:"), this));
    m_name = new QLineEdit(this);
    layout->addWidget(m_name);
    m_first = new QCheckBox(QStringLiteral("新建的组放在最前面"), this);
    layout->addWidget(m_first);
    AddOkCancel(this, layout);
}

QString CNewUserGroupDlg::name() const
{
    return m_name->text().trimmed();
}

bool CNewUserGroupDlg::insertFirst() const
{
    return m_first->isChecked();
}
