// "输入密码": the password a peer's shares ask for. The box takes no
// character GBK cannot carry.
#pragma once

#include <QDialog>

class QLineEdit;

class CSharePasswordInputDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMaxChars = 48;

    explicit CSharePasswordInputDlg(const QString &title, QWidget *parent = nullptr);

    QLineEdit *passwordBox() const { return m_box; }
    QString typed() const;

private:
    QLineEdit *m_box = nullptr;
};
