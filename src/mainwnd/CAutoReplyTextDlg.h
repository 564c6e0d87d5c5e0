// "设置自动回复内容": the text sent back automatically while the user is away.
#pragma once

#include <QDialog>

class QPlainTextEdit;

class CAutoReplyTextDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAutoReplyTextDlg(const QString &text, QWidget *parent = nullptr);

    QString text() const;
    QPlainTextEdit *textEdit() const { return m_text; }

private:
    QPlainTextEdit *m_text = nullptr;
};
