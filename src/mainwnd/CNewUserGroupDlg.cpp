#include "mainwnd/CNewUserGroupDlg.h"

#include "controls/GbkByteLimit.h"
#include "core/Prompter.h"
#include "mainwnd/ContactCommands.h"
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
    m_name = MakeGroupNameEdit(QString(), this);
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
    if (!RefuseGroupName(this, m_name, m_check ? m_check(name()) : QString()))
        QDialog::accept();
}

QLineEdit *MakeGroupNameEdit(const QString &text, QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    LimitGbkBytes(edit, ContactCommands::kGroupNameBytes);
    return edit;
}

bool RefuseGroupName(QWidget *dialog, QLineEdit *edit, const QString &refusal)
{
    if (refusal.isEmpty())
        return false;
    Prompter::current().messageBox(
        dialog, refusal, QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Information);
    edit->setFocus();
    return true;
}
