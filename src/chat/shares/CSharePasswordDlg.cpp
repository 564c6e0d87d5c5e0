#include "chat/shares/CSharePasswordDlg.h"

#include "chat/shares/ShareListWidget.h"
#include "chat/shares/ShareRecords.h"
#include "controls/GbkByteLimit.h"
#include "core/CConfig.h"
#include "core/Password.h"
#include "core/Prompter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *passwordBox(int id)
{
    auto *box = new QLineEdit;
    box->setObjectName(QString::number(id));
    box->setEchoMode(QLineEdit::Password);
    box->setMaxLength(CSharePasswordDlg::kMaxChars);
    RefuseUncarried(box);
    return box;
}

} // namespace

CSharePasswordDlg::CSharePasswordDlg(CConfig *config, QWidget *parent)
    : QDialog(parent)
    , m_config(config)
{
    setObjectName(QStringLiteral("271"));
    setWindowTitle(QStringLiteral("文件共享密码"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_old = passwordBox(1149);
    m_new = passwordBox(1079);
    m_again = passwordBox(1080);
    form->addRow(QStringLiteral("旧密码:"), m_old);
    form->addRow(QStringLiteral("新密码:"), m_new);
    form->addRow(QStringLiteral("确认新密码:"), m_again);
    layout->addLayout(form);
    auto *tip = new QLabel(QStringLiteral("提示:设置文件共享密码的用途是其他用户需要用密码才能访问您的共享文件。"));
    tip->setWordWrap(true);
    layout->addWidget(tip);
    auto *row = new QHBoxLayout;
    row->addStretch();
    QPushButton *ok = AddShareButton(row, 1, QStringLiteral("确定"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CSharePasswordDlg::accept);
    connect(AddShareButton(row, 2, QStringLiteral("取消")), &QPushButton::clicked, this, &CSharePasswordDlg::reject);
    layout->addLayout(row);
    const bool protectedNow = m_config && !m_config->FileSharePwd.isEmpty() && m_config->FileSharePwd.at(0) != '\0';
    m_old->setReadOnly(!protectedNow);
}

void CSharePasswordDlg::accept()
{
    Prompter &prompter = Prompter::current();
    if (!m_config) {
        prompter.messageBox(this, QStringLiteral("密码修改失败！"), windowTitle());
        QDialog::accept();
        return;
    }
    switch (CheckPasswordChange(m_config->FileSharePwd, m_old->text(), m_new->text(), m_again->text())) {
    case PasswordChange::Mismatch:
        prompter.messageBox(this, QStringLiteral("两次新密码输入不一致，请重新输入！"), windowTitle());
        return;
    case PasswordChange::WrongOld:
        prompter.messageBox(this, QStringLiteral("旧密码输入错误，请重新输入！"), windowTitle());
        return;
    case PasswordChange::Accepted:
        break;
    }
    // A password the settings file did not take would be gone at the next
    // start while peers were asked for it now: the old one stays, and the
    // dialog stays open for another try or "取消".
    const std::optional<QByteArray> scrambled = ScrambleForField(m_new->text());
    if (!scrambled) {
        prompter.messageBox(this, UnstorableText(), windowTitle(), Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return;
    }
    const QByteArray stored = m_config->FileSharePwd;
    m_config->FileSharePwd = *scrambled;
    if (!m_config->Save(CFG_GENERAL)) {
        m_config->FileSharePwd = stored;
        prompter.messageBox(this, m_config->UnwritableText(QStringLiteral("密码修改失败！")), windowTitle(),
            Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return;
    }
    prompter.messageBox(this, QStringLiteral("密码修改成功！"), windowTitle());
    QDialog::accept();
}

QString CSharePasswordDlg::UnstorableText()
{
    return QStringLiteral("密码修改失败！\n新密码中有无法保存的字符，请去掉后再输入。");
}
