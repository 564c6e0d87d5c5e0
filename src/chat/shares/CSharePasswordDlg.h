// "文件共享密码": the share password changed after the old one is given (the
// old-password box is read-only while none is set); an empty new password
// removes the protection. The boxes take no character GBK cannot carry.
#pragma once

#include <QDialog>

class CConfig;
class QLineEdit;

class CSharePasswordDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMaxChars = 48;

    explicit CSharePasswordDlg(CConfig *config, QWidget *parent = nullptr);

    QLineEdit *oldBox() const { return m_old; }
    QLineEdit *newBox() const { return m_new; }
    QLineEdit *againBox() const { return m_again; }

    // A new password with a character GBK cannot carry is not taken (the
    // boxes refuse such characters as they are typed or pasted).
    static QString UnstorableText();

public slots:
    void accept() override;

private:
    CConfig *m_config;
    QLineEdit *m_old = nullptr;
    QLineEdit *m_new = nullptr;
    QLineEdit *m_again = nullptr;
};
