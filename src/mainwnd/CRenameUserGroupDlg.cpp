#include "mainwnd/CRenameUserGroupDlg.h"
#include "controls/PlainLabel.h"

#include "mainwnd/DialogButtons.h"
#include "platform/WindowTitleRoom.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CRenameUserGroupDlg::CRenameUserGroupDlg(const QString &oldName, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CRenameUserGroupDlg"));
    setWindowTitle(QStringLiteral("修改组名"));
    WindowTitleRoom::KeepTitleWhole(*this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PlainLabel(QStringLiteral("原组名: %1").arg(oldName), this));
    layout->addWidget(new QLabel(QStringLiteral("新组名:"), this));
    m_name = new QLineEdit(oldName, this);
    m_name->setMaxLength(kMaxChars);
    m_name->selectAll();
    layout->addWidget(m_name);
    AddOkCancel(this, layout);
}

QString CRenameUserGroupDlg::newName() const
{
    return m_name->text().trimmed();
}
