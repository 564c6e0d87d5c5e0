#include "mainwnd/CNewUserGroupDlg.h"

#include "core/Prompter.h"
#include "mainwnd/DialogButtons.h"
#include "platform/WindowTitleRoom.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CNewUserGroupDlg::CNewUserGroupDlg(NameCheck check, QWidget *parent)
    : QDialog(parent)
    , m_check(std::move(check))
{
    setObjectName(QStringLiteral("CNewUserGroupDlg"));
    setWindowTitle(QStringLiteral("新建组"));
    WindowTitleRoom::KeepTitleWhole(*this);
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

void CNewUserGroupDlg::accept()
{
    const QString refusal = m_check ? m_check(name()) : QString();
    if (!refusal.isEmpty()) {
        Prompter::current().messageBox(
            this, refusal, QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Information);
        m_name->setFocus();
        return;
    }
    QDialog::accept();
}
