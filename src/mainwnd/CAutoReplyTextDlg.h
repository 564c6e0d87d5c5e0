// "自定义自动回复内容": the editor of the automatic reply text. The opener
// sets m_text before exec() and reads it back after an accepted dialog.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

class CAutoReplyTextDlg : public QDialog
{
    Q_OBJECT
public:
    // The longest text the edit takes, in characters.
    static constexpr int kMaxLength = 258;

    explicit CAutoReplyTextDlg(QWidget *parent = nullptr);

    QString m_text; // exchanged with edit 1067

    QLineEdit *edit() const { return m_edit; }
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_edit = nullptr;
};
