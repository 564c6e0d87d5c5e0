// "给指定计算机发送消息" (dialog 347): a plain message to a typed IPv4
// address (1080), from the text box (1152, at most 1024 characters), with
// "发送" (1217) and "退出" (1218). The dialog stays open for further
// messages; a bad address is refused with a message.
#pragma once

#include <QDialog>

class CNetManager;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CSendToAddressDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMaxTextChars = 1024;

    explicit CSendToAddressDlg(CNetManager *net, QWidget *parent = nullptr);

    // The address box preset (dotted), or cleared for 0.
    void SetAddress(quint32 address);
    QLineEdit *addressBox() const { return m_address; }
    QPlainTextEdit *textBox() const { return m_text; }

public slots:
    // "发送": the text as a plain message to the address on the program's
    // port; the text box is cleared. False when nothing was sent.
    bool OnSend();

private:
    void limitText();

    CNetManager *m_net;
    QLineEdit *m_address = nullptr;
    QPlainTextEdit *m_text = nullptr;
};
