// The chat window's drawing tools: the screen capture into the input box,
// and the doodle mode, in which the doodle board with its colour strip, tool
// strip and property buttons replaces the input box and the drawing is sent
// as a picture.
#include "chat/CChatDlg.h"
#include "chat/DoodleBoardSurface.h"
#include "chat/DoodleWiring.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatFontDialog.h"
#include "chat/ChatFontQt.h"
#include "chat/ChatToolArt.h"
#include "chat/session/ChatFileTransfers.h"
#include "chat/session/ChatSendPlan.h"
#include "controls/CImageToolBar.h"
#include "core/CConfig.h"
#include "core/PictureId.h"
#include "remote/CDoodleBoard.h"
#include "remote/CScreenCaptureDlg.h"
#include "remote/DoodleMenus.h"

#include <QAbstractButton>

namespace {

constexpr int kDoodleExtraHeight = 70; // the input area grows by this in doodle mode

} // namespace

void CChatDlg::createDoodle()
{
    connect(makeToolButton(ChatCtl::Capture, QStringLiteral("截图"), int(ChatArt::Capture)), &QAbstractButton::clicked,
        this, &CChatDlg::OnCaptureScreen);
    connect(makeToolButton(ChatCtl::Doodle, QStringLiteral("随手涂鸦"), int(ChatArt::Doodle)),
        &QAbstractButton::clicked, this, &CChatDlg::OnDoodleButton);

    m_doodle = std::make_unique<DoodleBoardSurface>(this);
    m_board = m_doodle->doodleBoard();
    m_palette = m_doodle->colorPalette();
    m_toolStrip = m_doodle->imageToolBar();
    connect(m_board, &CDoodleBoard::toolChanged, this, &CChatDlg::OnDoodleToolChanged);
    if (m_config)
        m_toolStrip->SetColors(ChatColor(m_config->ChatBkColor1), ChatColor(m_config->ChatMsgWndFrameClr));

    // The property buttons and "图像操作" (their captions follow the tool).
    m_buttons.insert(MakeDoodleButtons(this, *m_doodle, [this] { SendReadNotice(); }));
    SetDoodleTool(m_board->tool());
}

QMenu *CChatDlg::CreateDoodleButtonMenu(int buttonId)
{
    return m_doodle->CreateMenu(this, buttonId);
}

void CChatDlg::OnDoodleButton()
{
    SendReadNotice();
    QAbstractButton *button = m_buttons.value(ChatCtl::Doodle);
    if (!m_doodleMode) {
        m_savedInputHeight = m_inputHeight;
        m_inputHeight += kDoodleExtraHeight;
        m_doodleMode = true;
        button->setText(QStringLiteral("文字模式"));
    } else {
        m_inputHeight = m_savedInputHeight;
        m_doodleMode = false;
        button->setText(QStringLiteral("随手涂鸦"));
        m_input->setFocus();
    }
    RecalcLayout();
    if (m_doodleMode)
        m_board->setFocus();
}

void CChatDlg::SetDoodleTool(int tool)
{
    if (tool < 1 || tool > 15)
        return;
    for (const DoodlePropertyButton &b : DoodlePropertyButtons(tool)) {
        if (QAbstractButton *button = m_buttons.value(b.id))
            button->setText(b.caption);
    }
    // Which of them stand on the board's row (shown in the doodle mode only).
    if (m_doodleMode)
        RecalcLayout();
}

void CChatDlg::OnDoodleToolChanged(int tool)
{
    SetDoodleTool(tool);
    m_toolStrip->SetCurrentTool(tool);
    // The peer sees that the user draws.
    if (m_session)
        m_session->InputChanged(ChatSession::TypingState::Drawing);
}

bool CChatDlg::prepareDoodleSend()
{
    if (!m_doodleMode || !m_board)
        return true;
    const HostRecord *peer = this->peer();
    if (peer && peer->extension == 0) {
        // A plain peer cannot show the drawing; the board keeps it.
        AppendSystemText(ChatSendTexts::PlainPeerPicturesNotice());
        return false;
    }
    m_board->CommitFloating();
    const bool filesChecked = m_session && !m_session->files().CheckedAttachments().isEmpty();
    if (!m_board->HasDrawing() && !filesChecked && m_input->document()->isEmpty()) {
        AppendSystemText(QStringLiteral("要发送的图片内容为空。"));
        return false;
    }
    AddDrawingToInput(m_input, *m_doodle);
    return true;
}

bool CChatDlg::chooseDoodleFont()
{
    if (!m_doodleMode)
        return false;
    const ChatFont start = ChatFontFromQt(m_board->textFont(), m_board->foreground());
    if (const std::optional<ChatFont> chosen = ChooseChatFont(this, start))
        m_board->SetTextFont(ChatQFont(*chosen), ChatColor(chosen->color));
    return true;
}

bool CChatDlg::loadPictureOntoBoard(const QString &path)
{
    if (!m_doodleMode)
        return false;
    m_board->LoadPictureFile(path);
    m_board->setFocus();
    return true;
}

void CChatDlg::OnCaptureScreen()
{
    SendReadNotice();
    if (m_doodleMode && !m_board)
        return;
    // "CaptureSrnShowWnd" 0: the window keeps out of the picture.
    const bool hide = m_config && m_config->CaptureSrnShowWnd == 0;
    const QImage area = CaptureScreenArea(this, hide);
    if (area.isNull())
        return;
    if (m_doodleMode) {
        // Floating on the board until it is placed; its commit is the undo step.
        m_board->PutBitmap(area, true);
        m_board->setFocus();
        return;
    }
    m_input->InsertPicture(area, GenerateRandomId());
    m_input->setFocus();
}
