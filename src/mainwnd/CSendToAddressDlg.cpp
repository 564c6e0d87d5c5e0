#include "mainwnd/CSendToAddressDlg.h"

#include "core/Prompter.h"
#include "mainwnd/ContactAddresses.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/EngineEventLog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

CSendToAddressDlg::CSendToAddressDlg(CNetManager *net, QWidget *parent)
    : QDialog(parent)
    , m_net(net)
{
    setObjectName(QStringLiteral("347"));
    setWindowTitle(QStringLiteral("给指定计算机发送消息"));
    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("IP地址:"), this), 0, 0);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("1080"));
    m_address->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\s*\\d{0,3}(\\.\\d{0,3}){0,3}\\s*")), m_address));
    m_address->setPlaceholderText(QStringLiteral("例如 192.168.1.10"));
    layout->addWidget(m_address, 0, 1);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("1152"));
    layout->addWidget(m_text, 1, 0, 1, 2);
    connect(m_text, &QPlainTextEdit::textChanged, this, &CSendToAddressDlg::limitText);

    auto *buttons = new QHBoxLayout;
    auto *send = new QPushButton(QStringLiteral("发送"), this);
    send->setObjectName(QStringLiteral("1217"));
    send->setAutoDefault(false);
    auto *quit = new QPushButton(QStringLiteral("退出"), this);
    quit->setObjectName(QStringLiteral("1218"));
    quit->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(send);
    buttons->addWidget(quit);
    layout->addLayout(buttons, 2, 0, 1, 2);
    connect(send, &QPushButton::clicked, this, &CSendToAddressDlg::OnSend);
    connect(quit, &QPushButton::clicked, this, &QDialog::close);
    resize(320, 220);
}

void CSendToAddressDlg::SetAddress(quint32 address)
{
    m_address->setText(address ? EngineEventLog::dotted(address) : QString());
}

void CSendToAddressDlg::limitText()
{
    const QString text = m_text->toPlainText();
    if (text.size() > kMaxTextChars) {
        m_text->setPlainText(text.left(kMaxTextChars));
        m_text->moveCursor(QTextCursor::End);
    }
}

bool CSendToAddressDlg::OnSend()
{
    const std::optional<quint32> address = ParseSendAddress(m_address->text());
    if (!address) {
        Prompter::current().messageBox(this, QStringLiteral("请输入正确的IP地址，例如 192.168.1.10。"),
            QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Information);
        m_address->setFocus();
        return false;
    }
    if (!m_net)
        return false;
    m_net->SendToAddress(*address, m_net->port(), CMD_SEND_MESSAGE, m_text->toPlainText());
    m_text->clear();
    return true;
}
