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
