// The chat window's requests to the peer: remote assistance, remote control,
// voice chat and the screen shake. The conversation decides (ChatRequests);
// the window shows the buttons' states, shakes when a shake arrives and asks
// before it closes while a request runs.
#include "chat/CChatDlg.h"

#include "chat/ChatToolArt.h"
#include "chat/WindowShaker.h"
#include "chat/session/ChatRequests.h"
#include "core/Prompter.h"

#include <QAbstractButton>
#include <QPainter>

void CChatDlg::createRequestButtons()
{
    using Command = void (ChatRequests::*)();
    const std::tuple<int, QString, int, Command> buttons[] = {
        {ChatCtl::Assistance, QStringLiteral("远程协助"), int(ChatArt::Assistance), &ChatRequests::OnAssistance},
        {ChatCtl::Control, QStringLiteral("申请控制"), int(ChatArt::Control), &ChatRequests::OnControl},
        {ChatCtl::Voice, QStringLiteral("语音聊天"), int(ChatArt::Voice), &ChatRequests::OnVoice},
        {ChatCtl::Shake, QStringLiteral("闪屏振动"), -1, &ChatRequests::OnShake},
    };
    for (const auto &[id, text, art, command] : buttons) {
        const Command run = command;
        connect(makeToolButton(id, text, art), &QAbstractButton::clicked, this, [this, run] {
            SendReadNotice();
            if (m_session)
                (m_session->requests().*run)();
        });
    }
    m_shaker = new WindowShaker(this);
    RequestsChanged();
}

void CChatDlg::RequestsChanged()
{
    QAbstractButton *assistance = m_buttons.value(ChatCtl::Assistance);
    QAbstractButton *control = m_buttons.value(ChatCtl::Control);
    QAbstractButton *voice = m_buttons.value(ChatCtl::Voice);
    if (!assistance || !control || !voice)
        return;
    if (!m_session) {
        control->setEnabled(false);
        return;
    }
    const ChatRequests &requests = m_session->requests();
    assistance->setText(requests.assistanceCaption());
    control->setText(requests.controlCaption());
    control->setEnabled(requests.controlEnabled());
    voice->setText(requests.voiceCaption());
}

void CChatDlg::ShakeWindow()
{
    if (m_shaker)
        m_shaker->Shake();
}

bool CChatDlg::closeRunningRequests()
{
    if (!m_session)
        return true;
    ChatRequests &requests = m_session->requests();
    if (requests.assistanceRunning()) {
        if (!Prompter::current().askYesNo(this,
                QStringLiteral("您现在正和对方在进行远程协助,您是否关闭此窗口?点击是将退出远程协助."),
                QStringLiteral("提示")))
            return false;
        requests.CancelAssistance();
    }
    if (requests.voiceRunning()) {
        if (!Prompter::current().askYesNo(this,
                QStringLiteral("您现在正和对方在进行语音聊天,您是否关闭此窗口?点击是将退出语音聊天."),
                QStringLiteral("提示")))
            return false;
        requests.CancelVoice();
    }
    return true;
}

QRect CChatDlg::ActivityRect()
{
    return QRect(334, 13, 9 * 10, 10);
}

void CChatDlg::ActivityChanged(int marks)
{
    m_activityMarks = marks;
    update(ActivityRect());
}

void CChatDlg::paintActivity(QPainter &p) const
{
    // One small mark per tick, each in its own colour.
    static const QRgb colors[9] = {0xE53935, 0xFB8C00, 0xFDD835, 0x43A047, 0x00ACC1, 0x1E88E5, 0x5E35B1, 0xD81B60,
        0x6D4C41};
    const QRect area = ActivityRect();
    for (int i = 0; i < m_activityMarks && i < 9; ++i)
        p.fillRect(QRect(area.left() + i * 10, area.top() + 1, 8, 8), QColor::fromRgb(colors[i]));
}
