#include "mainwnd/CRenameUserGroupDlg.h"
#include "controls/PlainLabel.h"

#include "mainwnd/DialogButtons.h"
#include "platform/WindowTitleRoom.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CRenameUserGroupDlg::CRenameUserGroupDlg(const QString &oldName, CNewUserGroupDlg::NameCheck check, QWidget *parent)
    : QDialog(parent)
    , m_check(std::move(check))
{
    setObjectName(QStringLiteral("CRenameUserGroupDlg"));
    setWindowTitle(QStringLiteral("修改组名"));
    WindowTitleRoom::KeepTitleWhole(*this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PlainLabel(QStringLiteral("原组名: %1").arg(oldName), this));
    layout->addWidget(new QLabel(QStringLiteral("新组名:"), this));
    m_name = MakeGroupNameEdit(oldName, this);
    m_name->selectAll();
    layout->addWidget(m_name);
    AddOkCancel(this, layout);
}

QString CRenameUserGroupDlg::newName() const
{
    return m_name->text().trimmed();
}

void CRenameUserGroupDlg::accept()
{
    if (!RefuseGroupName(this, m_name, m_check ? m_check(newName()) : QString()))
        QDialog::accept();
}
