#include "mainwnd/CAutoReplyTextDlg.h"

#include "mainwnd/DialogButtons.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CAutoReplyTextDlg::CAutoReplyTextDlg(const QString &text, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CAutoReplyTextDlg"));
    setWindowTitle(QStringLiteral("设置自动回复内容"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("自动回复内容:"), this));
    m_text = new QPlainTextEdit(text, this);
    layout->addWidget(m_text, 1);
    AddOkCancel(this, layout);
    resize(320, 200);
}

QString CAutoReplyTextDlg::text() const
{
    return m_text->toPlainText();
}
