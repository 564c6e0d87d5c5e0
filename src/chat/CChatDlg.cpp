#include "chat/CChatDlg.h"
#include "controls/PlainLabel.h"
#include "chat/DoodleBoardSurface.h"
#include "net/PeerBounds.h"

#include "chat/CChatFilePanel.h"
#include "chat/ChatMenus.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "chat/CMsgRichEdit.h"
#include "controls/CImageToolBar.h"
#include "remote/CDoodleBoard.h"
#include "remote/DoodleMenus.h"
#include "chat/ChatFontQt.h"
#include "chat/session/ChatSendPlan.h"
#include "chat/ChatToolArt.h"
#include "chat/ChatWebPane.h"
#include "chat/session/ChatFileTransfers.h"
#include "chat/session/ChatPeer.h"
#include "chat/session/ChatRequests.h"
#include "chat/session/ChatShares.h"
#include "controls/BlueToolTip.h"
#include "controls/CGifStatic.h"
#include "controls/CHoverButton.h"
#include "controls/CImageButton.h"
#include "controls/CSplitterBar.h"
#include "controls/FillGradientRect.h"
#include "controls/HeadIcons.h"
#include "controls/ProgramArt.h"
#include "controls/SkinFont.h"
#include "core/CConfig.h"
#include "core/Prompter.h"
#include "core/WorkingSet.h"
#include "net/PictureStore.h"
#include "platform/WindowAlpha.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextDocument>
#include <cmath>
#include <QTreeWidget>

namespace {

const char kTipProperty[] = "kwelTip";
constexpr int kStartInputHeight = 120;
constexpr int kStartSideWidth = 168;
constexpr int kStartWidth = 640;

} // namespace

CChatDlg::CChatDlg(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("对话"));
    setObjectName(QStringLiteral("141"));
    setMouseTracking(true);
    setMinimumSize(400, 260);
}

CChatDlg::~CChatDlg()
{
    // The panel lets go of the session's files before the session hears
    // that its window went.
    delete m_files;
    m_files = nullptr;
    if (m_session)
        m_session->DetachView(this);
}

void CChatDlg::Attach(ChatSession *session)
{
    if (m_session && m_session != session)
        m_session->DetachView(this);
    m_session = session;
    m_config = session ? session->config() : nullptr;
    if (session)
        session->AttachView(this);
    if (!m_initialised)
        OnInitDialog();
    bindFilePanel();
    updateTitle();
    RequestsChanged();
    update();
}

void CChatDlg::Dispose()
{
    // The panel lets go of the session's files at once; the window follows
    // from the event loop.
    delete m_files;
    m_files = nullptr;
    if (m_session)
        m_session->DetachView(this);
    m_session = nullptr;
    hide();
    deleteLater();
}

void CChatDlg::SendReadNotice()
{
    if (!m_session)
        return;
    // The user is at the window: the peer's requests shown in it are refused.
    m_session->requests().OnUserAction();
    m_session->SendReadNotice();
}

void CChatDlg::OnInitDialog()
{
    m_initialised = true;
    if (m_config)
        m_ownFont = m_config->chatFont;
    createControls();
    m_inputHeight = kStartInputHeight;
    m_sideWidth = kStartSideWidth;
    m_sideReferenceWidth = kStartWidth;
    applyColors();
    setWindowIcon(ProgramIcon());
    WindowAlpha::SetKind(this, WindowAlpha::ChatWindows);

    // Placed left of and below the middle of the work area, by a random amount,
    // so that windows opened one after the other do not cover each other.
    resize(kStartWidth, 480);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRandomGenerator *random = QRandomGenerator::global();
        QPoint topLeft = area.center() - QPoint(width() / 2, height() / 2);
        topLeft += QPoint(-(60 + int(random->bounded(20))), int(random->bounded(50)));
        move(topLeft);
    }
    if (m_config && m_config->ChatOpacity != 0)
        SetTransparency(WindowAlpha::FromPercent(m_config->ChatOpacity));
    setTips();
    RecalcLayout();
}

QAbstractButton *CChatDlg::makeToolButton(int id, const QString &text, int art)
{
    auto *button = new CImageButton(this);
    button->setObjectName(QString::number(id));
    button->setText(text);
    if (art >= 0)
        button->SetIcon(ChatToolIcon(ChatArt(art)));
    button->setFont(font());
    button->installEventFilter(this);
    m_buttons.insert(id, button);
    return button;
}

void CChatDlg::createControls()
{
    m_history = new CMsgRichEdit(this);
    m_history->setObjectName(QString::number(ChatCtl::History));
    m_history->SetViewMode(CMsgRichEdit::HistoryView);
    // A flood of lines cannot grow the view without end: the oldest blocks
    // go (the chat log keeps everything).
    m_history->document()->setMaximumBlockCount(PeerBounds::kHistoryBlocks);
    m_history->viewport()->installEventFilter(this);
    m_history->viewport()->setMouseTracking(true);
    m_history->setFrameShape(QFrame::NoFrame);

    m_input = new CMsgRichEdit(this);
    m_input->setObjectName(QString::number(ChatCtl::Input));
    m_input->SetViewMode(CMsgRichEdit::InputBox);
    m_input->SetConfig(m_config);
    m_input->setFrameShape(QFrame::NoFrame);
    m_input->installEventFilter(this);
    SetOwnFont(m_ownFont);
    connect(m_input, &QTextEdit::textChanged, this, &CChatDlg::OnInputChanged);
    connect(m_input, &CMsgRichEdit::sendCommand, this, &CChatDlg::OnSend);
    connect(m_input, &CMsgRichEdit::fontCommand, this, &CChatDlg::OnFontButton);

    m_historySplitter = new CSplitterBar(this);
    m_historySplitter->setObjectName(QString::number(ChatCtl::HistorySplitter));
    m_historySplitter->SetHorizontal(true);
    m_sideSplitter = new CSplitterBar(this);
    m_sideSplitter->setObjectName(QString::number(ChatCtl::SideSplitter));
    m_sideSplitter->SetHorizontal(false);
    connect(m_historySplitter, &CSplitterBar::dragged, this, &CChatDlg::OnSplitterDragged);
    connect(m_sideSplitter, &CSplitterBar::dragged, this, &CChatDlg::OnSplitterDragged);

    auto hover = [this](int id, const QString &text) {
        auto *button = new CHoverButton(text, this);
        button->setObjectName(QString::number(id));
        button->installEventFilter(this);
        m_buttons.insert(id, button);
        return button;
    };
    // The skinned buttons draw their text as it stands: the mnemonics are shortcuts of their own.
    QAbstractButton *send = hover(ChatCtl::Send, QStringLiteral("发送(S)"));
    send->setShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
    connect(send, &QAbstractButton::clicked, this, &CChatDlg::OnSend);
    QAbstractButton *closeButton = hover(ChatCtl::Close, QStringLiteral("关闭(C)"));
    closeButton->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    connect(closeButton, &QAbstractButton::clicked, this, &QWidget::close);
    QAbstractButton *sendArrow = hover(ChatCtl::SendArrow, QStringLiteral("↓"));
    connect(sendArrow, &QAbstractButton::clicked, this, [this, sendArrow] {
        SendReadNotice();
        showMenuBelow(CreateSendOptionsMenu(), sendArrow);
    });

    connect(makeToolButton(ChatCtl::Font, QStringLiteral("字体"), int(ChatArt::Font)), &QAbstractButton::clicked, this,
        &CChatDlg::OnFontButton);
    connect(makeToolButton(ChatCtl::Faces, QStringLiteral("表情"), int(ChatArt::Faces)), &QAbstractButton::clicked,
        this, &CChatDlg::OnFaceButton);
    connect(makeToolButton(ChatCtl::SendPicture, QStringLiteral("发送图片"), int(ChatArt::Picture)),
        &QAbstractButton::clicked, this, &CChatDlg::OnSendPictureFile);
    QAbstractButton *captureArrow = makeToolButton(ChatCtl::CaptureArrow, QStringLiteral("↓"), -1);
    connect(captureArrow, &QAbstractButton::clicked, this, [this, captureArrow] {
        showMenuBelow(MakeCommandMenu(this, CaptureOptionItems(m_config), [this](int id) { OnMenuCommand(id); }),
            captureArrow);
    });
    // Remote assistance, control, voice and the shake; the capture and the
    // doodle board.
    createRequestButtons();
    createDoodle();
    connect(makeToolButton(ChatCtl::Shares, QStringLiteral("共享文件"), int(ChatArt::Shares)), &QAbstractButton::clicked,
        this, &CChatDlg::OnShares);
    connect(makeToolButton(ChatCtl::PeerLog, QStringLiteral("聊天记录"), -1), &QAbstractButton::clicked, this,
        &CChatDlg::OnPeerLog);
    connect(makeToolButton(ChatCtl::WholeLog, QStringLiteral("全部记录"), -1), &QAbstractButton::clicked, this,
        &CChatDlg::OnWholeLog);

    m_photo = new CGifStatic(this);
    m_photo->setObjectName(QString::number(ChatCtl::HeadPhoto));
    m_photo->hide();
    m_webPane = new ChatWebPane(m_config, this);
    m_webPane->hide();

    // The file panel: offered, received and attached files with their
    // buttons, bound to the session's files by bindFilePanel.
    setAcceptDrops(true);
}

void CChatDlg::bindFilePanel()
{
    if (m_files || !m_session)
        return;
    m_files = new CChatFilePanel(m_session->files(), m_config, this);
    connect(m_files, &CChatFilePanel::userAction, this, &CChatDlg::SendReadNotice);
    connect(m_files, &CChatFilePanel::fileListsShownChanged, this, [this](bool shown) { SetFileListsShown(shown); });
    connect(m_files, &CChatFilePanel::monitorRequested, this, [this] {
        SendReadNotice();
        emit transferMonitorRequested();
    });
    m_files->show();
    RecalcLayout();
}

void CChatDlg::setTips()
{
    const auto tip = [this](int id, const QString &text) {
        if (QAbstractButton *button = m_buttons.value(id))
            button->setProperty(kTipProperty, text);
    };
    tip(ChatCtl::Capture, QStringLiteral("截取屏幕图像。\r\n点击旁边小箭头按钮还可以设置截屏时是否隐藏当前窗口。"));
    tip(ChatCtl::Shake, QStringLiteral("如对方长时间没有回复您的信息,可给对方发送闪屏振动以提醒对方."));
    tip(ChatCtl::RemoveAttachments, QStringLiteral("取消选中的文件"));
    tip(ChatCtl::ReceiveAll, QStringLiteral("接收此队列中的全部文件"));
    tip(ChatCtl::RejectAll, QStringLiteral("拒绝接收此队列中的全部文件"));
    tip(ChatCtl::StopTransfer, QStringLiteral("中断当前正接收的文件"));
    tip(ChatCtl::Send, ChatSendTexts::SendButtonTip(CMsgRichEdit::SendMsgEnter()));
    tip(ChatCtl::ClearReceived,
        QStringLiteral("当要接收的文件列表为空时,关闭接收框并清空列表中已接收完的文件(不会删除此文件)\r\n"
                       "当要接收的文件列表不为空时,只清空列表中已接收完的文件(不会删除此文件)"));
    tip(ChatCtl::ShowInFolder, QStringLiteral("打开选择的文件(夹)所在目录"));
    tip(ChatCtl::OpenReceived, QStringLiteral("打开选择的文件(夹)"));
    tip(ChatCtl::Receive, QStringLiteral("接收选择的文件(夹)"));
    tip(ChatCtl::Reject, QStringLiteral("取消选择的文件(夹)"));
    tip(ChatCtl::SendPicture, QStringLiteral("发送图片(支持gif、bmp、jpg格式)"));
    tip(ChatCtl::AddFolder, QStringLiteral("增加要传送的文件夹(支持文件拖放功能)"));
    tip(ChatCtl::AddFiles, QStringLiteral("增加要传送的文件(支持文件拖放功能)"));
    tip(ChatCtl::Monitor, QStringLiteral("监视发送文件传输状态"));
    tip(ChatCtl::PeerLog, QStringLiteral("查看聊天记录(可在设置中设置保存或不保存聊天记录和日志文件)"));
    tip(ChatCtl::WholeLog, QStringLiteral("查看全部聊天记录(可在设置中设置保存或不保存聊天记录和日志文件)"));
    tip(ChatCtl::Close, QStringLiteral("点击关闭按钮后,如果您正在接收文件,将继续在后台进行接收."));
    tip(ChatCtl::Shares,
        QStringLiteral("您可以下载对方共享的文件(如果您有相应的权限).如果您要共享您的文件，请在设置里面的 "
                       "文件共享设置 里进行设置。"));
}

void CChatDlg::OnSettingsChanged()
{
    applyColors();
    update();
}

void CChatDlg::applyColors()
{
    const uint32_t background = m_config ? m_config->ChatBkColor1 : 0xFFE8E8;
    const uint32_t background2 = m_config ? m_config->ChatBkColor2 : 0xFFD3D3;
    const uint32_t frame = m_config ? m_config->ChatMsgWndFrameClr : 0xE99494;
    for (QAbstractButton *button : std::as_const(m_buttons)) {
        if (auto *image = qobject_cast<CImageButton *>(button)) {
            for (const int index : {CImageButton::BkIn, CImageButton::BkOut, CImageButton::BkFocus})
                image->SetColor(index, ChatColor(background), false);
        } else if (auto *hover = qobject_cast<CHoverButton *>(button)) {
            // The send and close buttons stand out from the window.
            const bool main = button == m_buttons.value(ChatCtl::Send) || button == m_buttons.value(ChatCtl::Close)
                || button == m_buttons.value(ChatCtl::SendArrow);
            hover->SetColors(ChatColor(main ? background2 : background), ChatColor(frame), Qt::white,
                ChatColor(background2).darker(108));
        }
    }
    if (m_toolStrip)
        m_toolStrip->SetColors(ChatColor(background), ChatColor(frame));
    m_historySplitter->SetBarColor(ChatColor(frame));
    m_sideSplitter->SetBarColor(ChatColor(background));
}

void CChatDlg::RecalcLayout()
{
    if (!m_initialised)
        return;
    ChatLayoutInput in;
    in.client = size();
    in.sideWidth = m_sideWidth;
    in.sideReferenceWidth = m_sideReferenceWidth;
    in.inputHeight = m_inputHeight;
    in.fileListsShown = m_fileListsShown;
    in.photoShown = m_photoShown;
    in.photoAvailable = !shownPhotoPath().isEmpty();
    in.doodleMode = m_doodleMode;
    if (m_history) {
        in.historyChrome = 2 * m_history->frameWidth()
            + m_history->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_history->verticalScrollBar())
            + 2 * int(std::ceil(m_history->document()->documentMargin()))
            + QFontMetrics(ChatQFont(m_ownFont)).horizontalAdvance(QStringLiteral("  "));
    }
    for (const DoodlePropertyButton &button : DoodlePropertyButtons(m_board ? m_board->tool() : 0))
        in.doodleButtons.append(button.id);
    m_layout = ComputeChatLayout(in);
    const QList<QWidget *> children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        bool isId = false;
        const int id = child->objectName().toInt(&isId);
        if (!isId || !m_layout.rects.contains(id)) {
            if (isId && m_layout.hidden.contains(id))
                child->hide();
            continue;
        }
        child->setGeometry(m_layout.rect(id));
        child->setVisible(m_layout.isShown(id) && !m_layout.rect(id).isEmpty());
    }
    if (m_files)
        m_files->LayoutSidePanel(size(), m_layout.sideWidth);
    placePhoto();
    m_webPane->setGeometry(m_layout.webPane);
    if (m_layout.webPane.isEmpty())
        m_webPane->hide();
    update();
}

void CChatDlg::NavigateSidePane()
{
    if (!m_layout.webPane.isEmpty())
        m_webPane->NavigateToWebAccessPage();
}

QString CChatDlg::shownPhotoPath() const
{
    const HostRecord *peer = this->peer();
    if (!peer || !m_session)
        return QString();
    return PictureStore(m_session->services().dataFolder).ShownPhotoPath(*peer);
}

void CChatDlg::placePhoto()
{
    if (!m_photo)
        return;
    const QString path = m_layout.photo.isEmpty() ? QString() : shownPhotoPath();
    if (!m_layout.photo.isEmpty())
        m_photoRect = m_layout.photo;
    if (path.isEmpty() || !isVisible()) {
        m_photo->UnLoad();
        m_photoPath.clear();
        m_photo->hide();
        return;
    }
    m_photo->setGeometry(m_layout.photo);
    m_photo->SetFixedSize(m_layout.photo.width(), m_layout.photo.height());
    if (path != m_photoPath || !m_photo->IsAnimating()) {
        m_photo->UnLoad();
        m_photoPath = m_photo->LoadFromFile(path) ? path : QString();
        m_photo->Draw();
    }
    m_photo->show();
}

void CChatDlg::SetFileListsShown(bool shown)
{
    if (m_fileListsShown == shown)
        return;
    m_fileListsShown = shown;
    RecalcLayout();
}

void CChatDlg::OnSplitterDragged(const QPoint &screenPos, bool horizontal)
{
    // Let go: the window is laid out again.
    if (screenPos == QPoint(-1, -1)) {
        RecalcLayout();
        return;
    }
    const QPoint at = mapFromGlobal(screenPos);
    if (horizontal) {
        const std::optional<int> height = InputHeightFromSplitter(this->height(), at.y());
        if (!height)
            return; // outside the limits: ignored
        m_inputHeight = *height;
    } else {
        const std::optional<int> width = SideWidthFromSplitter(this->width(), at.x());
        if (!width)
            return;
        m_sideWidth = *width;
        m_sideReferenceWidth = this->width();
    }
    RecalcLayout();
}

void CChatDlg::paintEvent(QPaintEvent *)
{
    if (!m_initialised)
        return;
    QPainter p(this);
    const QColor back = ChatColor(m_config ? m_config->ChatBkColor1 : 0xFFE8E8);
    const QColor back2 = ChatColor(m_config ? m_config->ChatBkColor2 : 0xFFD3D3);
    const QColor frame = ChatColor(m_config ? m_config->ChatMsgWndFrameClr : 0xE99494);
    const QColor text = ChatColor(m_config ? m_config->ChatFontColor : 0x933E1E);
    p.fillRect(rect(), back);
    p.setFont(QApplication::font());

    FillGradientRect(p, m_layout.band, back, back2, int(GradientMode::Vertical));
    if (const HostRecord *peer = this->peer()) {
        // The band shows every peer by its icon indexes, a plain one too.
        p.drawPixmap(4, 39, HeadIconPixmap(HeadImageOfIndexes(*peer, HeadIconCount()), 16));
        p.setPen(text);
        const QRect bandText = m_layout.band.adjusted(21 - m_layout.band.left(), 0, -2, 0);
        p.drawText(bandText, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
            p.fontMetrics().elidedText(PeerBandText(*peer), Qt::ElideRight, bandText.width()));
    }
    paintSidePanel(p);

    p.setPen(QPen(frame, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(m_layout.leftFrame, 5, 5);
    const int right = width() - m_layout.sideWidth;
    p.drawLine(3, m_layout.historyLineY, right - 3, m_layout.historyLineY);
    p.drawLine(3, m_layout.inputLineY, right - 3, m_layout.inputLineY);
    p.drawRoundedRect(m_layout.sideFrame, 5, 5);
    for (const int y : m_layout.sideLines)
        p.drawLine(right + 2, y, width() - 1, y);
    paintActivity(p);
}

void CChatDlg::paintSidePanel(QPainter &p)
{
    const QColor back = ChatColor(m_config ? m_config->ChatBkColor1 : 0xFFE8E8);
    const QColor back2 = ChatColor(m_config ? m_config->ChatBkColor2 : 0xFFD3D3);
    const QColor frame = ChatColor(m_config ? m_config->ChatMsgWndFrameClr : 0xE99494);
    const QColor text = ChatColor(m_config ? m_config->ChatFontColor : 0x933E1E);
    FillGradientRect(p, m_layout.sideHeading, back, back2, int(GradientMode::Vertical));
    p.setPen(text);
    // The heading, the captions and the peer's lines in the window's 12-pixel Song font.
    p.setFont(SongFont(12));
    const HostRecord *peer = this->peer();
    if (peer) {
        // The whole heading is the text's room: a dash-joined MAC address
        // just fits the default side width.
        const QRect &heading = m_layout.sideHeading;
        p.drawText(heading, Qt::AlignVCenter | Qt::TextSingleLine,
            p.fontMetrics().elidedText(SidePaneHeading(*peer), Qt::ElideRight, heading.width()));
    }
    for (const ChatCaption &caption : m_layout.captions) {
        FillGradientRect(p, caption.band, back, back2, int(GradientMode::Vertical));
        p.setPen(text);
        const QRect title = caption.band.adjusted(5, 0, 0, 0);
        p.drawText(title, Qt::AlignVCenter | Qt::TextSingleLine, caption.title);
        if (!m_fileListsShown && caption.title == QStringLiteral("对方形象照片") && title.width() > 90) {
            // The triangle that folds the photo away or back.
            const int x = title.left(), y = caption.band.top();
            const QPolygon triangle = m_photoShown
                ? QPolygon({QPoint(x + 80, y + 7), QPoint(x + 90, y + 7), QPoint(x + 85, y + 12)})
                : QPolygon({QPoint(x + 85, y + 7), QPoint(x + 80, y + 12), QPoint(x + 90, y + 12)});
            p.setPen(frame);
            p.setBrush(frame);
            p.drawPolygon(triangle);
            p.setBrush(Qt::NoBrush);
        }
    }
    if (!peer)
        return;
    p.setPen(text);
    QRect line = m_layout.peerLines;
    const int pitch = std::max(m_layout.peerLinePitch, p.fontMetrics().height());
    // At the top of their 20-pixel rows: centred, the last line would run
    // into the caption band below when the pitch is small.
    for (const QString &peerLine : PeerInfoLines(*peer, m_layout.photoBeside)) {
        p.drawText(line, Qt::AlignTop | Qt::TextSingleLine,
            p.fontMetrics().elidedText(peerLine, Qt::ElideRight, line.width()));
        line.translate(0, pitch);
    }
}

void CChatDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    RecalcLayout();
}

void CChatDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_input)
        m_input->setFocus();
    placePhoto();
}

void CChatDlg::hideEvent(QHideEvent *event)
{
    // A hidden window animates nothing.
    if (m_photo) {
        m_photo->UnLoad();
        m_photoPath.clear();
    }
    QDialog::hideEvent(event);
}

void CChatDlg::closeEvent(QCloseEvent *event)
{
    SendReadNotice();
    if (!closeRunningRequests()) {
        event->ignore();
        return;
    }
    if (!m_session) {
        setAttribute(Qt::WA_DeleteOnClose);
        QDialog::closeEvent(event);
        return;
    }
    const ChatCloseDecision decision = m_session->DecideClose();
    if (decision.clearHistory && m_history)
        m_history->clear();
    if (decision.destroy) {
        // The window goes for good; the session releases what it listed.
        event->accept();
        Dispose();
        return;
    }
    // Something is still under way: the window only hides and goes once
    // nothing is pending (when the program frees windows on close).
    m_session->SetCloseDeferred(decision.destroyWhenSettled);
    event->accept();
    QDialog::closeEvent(event);
    if (decision.trimWorkingSet)
        TrimWorkingSet();
}

void CChatDlg::mouseMoveEvent(QMouseEvent *event)
{
    if (isActiveWindow())
        SendReadNotice();
    QDialog::mouseMoveEvent(event);
}

void CChatDlg::mousePressEvent(QMouseEvent *event)
{
    SendReadNotice();
    // A click on the photo (or where it stood) folds it away or back.
    if (event->button() == Qt::LeftButton && m_photoRect.contains(event->position().toPoint())) {
        m_photoShown = !m_photoShown;
        RecalcLayout();
    }
    QDialog::mousePressEvent(event);
}

bool CChatDlg::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        // Coming forward is no answer to the peer's requests yet.
        if (m_session)
            m_session->SendReadNotice();
        emit activatedByUser(this);
        break;
    case QEvent::ToolTip: {
        auto *help = static_cast<QHelpEvent *>(event);
        QString tip;
        const HostRecord *peer = this->peer();
        if (peer && m_layout.band.contains(help->pos()))
            tip = PeerBandText(*peer);
        else if (peer && help->pos().x() >= width() - m_layout.sideWidth && help->pos().y() >= 55
            && help->pos().y() < m_layout.peerLines.top() + 5 * std::max(m_layout.peerLinePitch, 14))
            tip = PeerInfoLines(*peer, m_layout.photoBeside).join(QStringLiteral("\r\n"));
        else if (!m_layout.captions.isEmpty() && m_layout.captions.last().band.contains(help->pos()))
            tip = QStringLiteral("如果您要发送文件，请点目录或文件按钮或把文件拖到下列表框中，再点击下面的 发送(S) 按钮发送文件！");
        return ShowBlueToolTip(help, tip, this);
    }
    default:
        break;
    }
    return QDialog::event(event);
}

bool CChatDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const QString tip = watched->property(kTipProperty).toString();
        if (!tip.isEmpty())
            return ShowBlueToolTip(static_cast<QHelpEvent *>(event), tip, qobject_cast<QWidget *>(watched));
    }
    if (watched == m_history->viewport()) {
        if (event->type() == QEvent::MouseMove && isActiveWindow())
            SendReadNotice();
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const QString href = m_history->anchorAt(mouse->position().toPoint());
            if (!href.isEmpty() && mouse->button() == Qt::LeftButton && !m_history->textCursor().hasSelection())
                OpenHistoryLink(href);
        }
        if (event->type() == QEvent::MouseMove) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            m_history->viewport()->setCursor(
                m_history->anchorAt(mouse->position().toPoint()).isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
        }
    }
    if (watched == m_input && event->type() == QEvent::KeyPress)
        SendReadNotice();
    return QDialog::eventFilter(watched, event);
}

int CChatDlg::BringToFront(bool noActivate)
{
    if (m_history)
        m_history->verticalScrollBar()->setValue(m_history->verticalScrollBar()->maximum());
    if (isVisible() && noActivate) {
        if (!isActiveWindow())
            QApplication::alert(this);
        return 1;
    }
    // A window that a message brings up does not take the focus from what
    // the user is doing (and so does not count as read).
    setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    if (isMaximized())
        showMaximized();
    else
        showNormal();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (!noActivate) {
        raise();
        activateWindow();
        if (m_input)
            m_input->setFocus();
    }
    return 1;
}

void CChatDlg::SetTransparency(int alpha)
{
    m_alpha = (alpha < 0 || alpha > 255) ? 255 : alpha;
    WindowAlpha::SetLayeredAlpha(this, m_alpha);
}

void CChatDlg::updateTitle()
{
    if (const HostRecord *peer = this->peer())
        setWindowTitle(ChatWindowTitle(*peer));
}

void CChatDlg::PeerChanged()
{
    updateTitle();
    RecalcLayout(); // a photo may have come or gone
}

void CChatDlg::showMenuBelow(QMenu *menu, QWidget *anchor)
{
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(anchor->mapToGlobal(QPoint(0, anchor->height())));
}

void CChatDlg::OnShares()
{
    SendReadNotice();
    if (m_session)
        m_session->shares().OnSharesButton();
}

QMenu *CChatDlg::CreateSendOptionsMenu()
{
    const bool enter = CMsgRichEdit::SendMsgEnter();
    const bool freeOnClose = m_config && m_config->CloseDialogDeleteRes;
    const bool configured = m_config != nullptr;
    return MakeCommandMenu(this,
        {
            {CmdSendWithEnter, QStringLiteral("按Enter键发送消息"), enter, configured},
            {CmdSendWithCtrlEnter, QStringLiteral("按CTRL+Enter键发送消息"), !enter, configured},
            {CmdRequestReadNotice, QStringLiteral("对方打开信息时进行通知(需要回执)"),
                m_session && m_session->requestsReadNotice(), true, true},
            {CmdCloseAfterSend, QStringLiteral("发送后关闭对话框"), m_config && m_config->SingleChatCloseWnd, configured},
            {CmdClearOnClose, QStringLiteral("关闭对话框后清空接收框内容(下项设置取消后有效)"),
                m_config && m_config->CloseClearContent, configured && !freeOnClose},
            {CmdFreeOnClose, QStringLiteral("关闭对话框后自动释放对话框资源"), freeOnClose, configured},
        },
        [this](int id) { OnMenuCommand(id); });
}

void CChatDlg::OnMenuCommand(int command)
{
    if (command >= CmdQuickReplyFirst && command <= CmdQuickReplyLast) {
        OnQuickReply(command);
        return;
    }
    if (command == CmdRequestReadNotice) {
        if (m_session)
            m_session->SetRequestReadNotice(!m_session->requestsReadNotice());
        return;
    }
    if (!m_config)
        return;
    switch (command) {
    case CmdSendWithEnter:
    case CmdSendWithCtrlEnter:
        m_config->SendMsgEnter = command == CmdSendWithEnter ? 1 : 0;
        CMsgRichEdit::SetSendMsgEnter(m_config->SendMsgEnter != 0);
        m_buttons.value(ChatCtl::Send)->setProperty(kTipProperty, ChatSendTexts::SendButtonTip(m_config->SendMsgEnter != 0));
        m_config->Save(CFG_GENERAL);
        break;
    case CmdCloseAfterSend:
        m_config->SingleChatCloseWnd = !m_config->SingleChatCloseWnd;
        m_config->Save(CFG_GENERAL);
        break;
    case CmdClearOnClose:
        m_config->CloseClearContent = !m_config->CloseClearContent;
        m_config->Save(CFG_GENERAL);
        break;
    case CmdFreeOnClose:
        m_config->CloseDialogDeleteRes = !m_config->CloseDialogDeleteRes;
        m_config->Save(CFG_GENERAL);
        break;
    case CmdCaptureHide:
    case CmdCaptureShow:
        m_config->CaptureSrnShowWnd = command == CmdCaptureShow ? 1 : 0;
        m_config->Save(CFG_GENERAL);
        break;
    case CmdEditQuickReplies:
        EditQuickReplies();
        break;
    default:
        break;
    }
}

QTreeWidget *CChatDlg::sendList() const
{
    return m_files ? m_files->findChild<QTreeWidget *>(QString::number(ChatCtl::AttachmentList)) : nullptr;
}

QTreeWidget *CChatDlg::receiveList() const
{
    return m_files ? m_files->findChild<QTreeWidget *>(QString::number(ChatCtl::OfferedList)) : nullptr;
}

void CChatDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_files && CChatFilePanel::CanDrop(event->mimeData()))
        event->acceptProposedAction();
}

void CChatDlg::dropEvent(QDropEvent *event)
{
    // Files dropped anywhere on the window go with the next message.
    if (m_files && CChatFilePanel::CanDrop(event->mimeData())) {
        m_files->AddDroppedUrls(event->mimeData()->urls());
        event->acceptProposedAction();
    }
}
