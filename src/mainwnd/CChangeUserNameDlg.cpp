#include "mainwnd/CChangeUserNameDlg.h"

#include "controls/GbkByteLimit.h"
#include "mainwnd/ContactCommands.h"
#include "mainwnd/DialogButtons.h"
#include "platform/WindowTitleRoom.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CChangeUserNameDlg::CChangeUserNameDlg(const QString &displayName, const QString &details, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CChangeUserNameDlg"));
    setWindowTitle(QStringLiteral("更改用户名及用户资料"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    form->addRow(QStringLiteral("原用户名:"), new QLineEdit(displayName, this));
    form->itemAt(0, QFormLayout::FieldRole)->widget()->setEnabled(false);
    m_name = new QLineEdit(displayName, this);
    LimitGbkBytes(m_name, ContactCommands::kMemoNameBytes);
    form->addRow(QStringLiteral("备注名:"), m_name);
    static const char16_t *const labels[ContactCommands::kMemoDetailCount]
        = { u"办公电话:", u"家庭电话:", u"手机:", u"电子邮件:", u"地址:", u"其它:" };
    const QStringList fields = ContactCommands::SplitMemoDetails(details);
    for (int i = 0; i < ContactCommands::kMemoDetailCount; ++i) {
        auto *edit = new QLineEdit(fields.value(i), this);
        RefuseUncarried(edit);
        m_details.append(edit);
        form->addRow(QString::fromUtf16(labels[i]), edit);
    }
    AddOkCancel(this, layout);
    WindowTitleRoom::KeepTitleWhole(*this);
}

QString CChangeUserNameDlg::memoName() const
{
    return m_name->text().trimmed();
}

QString CChangeUserNameDlg::details() const
{
    QStringList fields;
    for (const QLineEdit *edit : m_details)
        fields.append(edit->text().remove(QStringLiteral("#~$#")));
    return ContactCommands::JoinMemoDetails(fields);
}
