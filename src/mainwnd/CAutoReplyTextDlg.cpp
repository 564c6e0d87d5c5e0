#include "mainwnd/CAutoReplyTextDlg.h"

#include "controls/GbkByteLimit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CAutoReplyTextDlg::CAutoReplyTextDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("325"));
    setWindowTitle(QStringLiteral("自定义自动回复内容"));
    auto *label = new QLabel(QStringLiteral("自动回复内容:"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("1067"));
    m_edit->setMaxLength(kMaxLength);
    RefuseUncarried(m_edit);
    m_edit->setMinimumWidth(300);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &CAutoReplyTextDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CAutoReplyTextDlg::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
}

void CAutoReplyTextDlg::showEvent(QShowEvent *event)
{
    // A stored text longer than the edit takes is cut to what it shows.
    m_edit->setText(m_text.left(kMaxLength));
    QDialog::showEvent(event);
}

void CAutoReplyTextDlg::accept()
{
    m_text = m_edit->text().left(kMaxLength);
    QDialog::accept();
}
