#include "chat/shares/CSharePasswordInputDlg.h"

#include "chat/shares/ShareListWidget.h"
#include "controls/GbkByteLimit.h"
#include "platform/WindowTitleRoom.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CSharePasswordInputDlg::CSharePasswordInputDlg(const QString &title, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("273"));
    setWindowTitle(title.isEmpty() ? QStringLiteral("输入密码") : title);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("请输入密码：")));
    m_box = new QLineEdit;
    m_box->setObjectName(QStringLiteral("1078"));
    m_box->setEchoMode(QLineEdit::Password);
    m_box->setMaxLength(kMaxChars);
    RefuseUncarried(m_box);
    layout->addWidget(m_box);
    auto *row = new QHBoxLayout;
    row->addStretch();
    QPushButton *ok = AddShareButton(row, 1, QStringLiteral("确定"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(AddShareButton(row, 2, QStringLiteral("取消")), &QPushButton::clicked, this, &QDialog::reject);
    layout->addLayout(row);
    setMinimumWidth(360);
    // The title names the peer: the window manager shows it whole.
    WindowTitleRoom::KeepTitleWhole(*this);
}

QString CSharePasswordInputDlg::typed() const
{
    return m_box->text();
}
