// The multi-user window: its controls, the member list, the layout, the
// information panel and the splitters.
#include "chat/CMultiChatDlg.h"
#include "core/PlainText.h"
#include "chat/DoodleBoardSurface.h"
#include "chat/DoodleWiring.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatFontQt.h"
#include "chat/ChatMenus.h"
#include "chat/ChatToolArt.h"
#include "chat/DoodleSurface.h"
#include "chat/session/ChatPeer.h"
#include "chat/session/FilePanelModel.h"
#include "chat/session/MultiSendSession.h"
#include "controls/BlueToolTip.h"
#include "controls/CHoverButton.h"
#include "controls/CImageButton.h"
#include "controls/CSplitterBar.h"
#include "controls/FillGradientRect.h"
#include "controls/ProgramArt.h"
#include "controls/SkinFont.h"
#include "core/CConfig.h"
#include "core/Prompter.h"
#include "core/WorkingSet.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/UserListModel.h"
#include "net/CNetManager.h"
#include "net/ListBusyCounter.h"
#include "net/MessengerEngine.h"
#include "platform/WindowAlpha.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileIconProvider>
#include <QFontDatabase>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTreeWidget>

namespace {

const char kTipProperty[] = "kwelTip";

// The colours the window uses without a configuration.
constexpr uint32_t kDefaultBack = 0xFFE8E8;
constexpr uint32_t kDefaultBack2 = 0xFFD3D3;
constexpr uint32_t kDefaultFrame = 0xE99494;
constexpr uint32_t kDefaultText = 0x933E1E;

// The drawing tools by default; tests put others in.
CMultiChatDlg::DoodleFactory &doodleFactory()
{
    static CMultiChatDlg::DoodleFactory factory
        = [](QWidget *parent) { return std::make_unique<DoodleBoardSurface>(parent); };
    return factory;
}

} // namespace

CMultiChatDlg::CaptureRunner &CMultiChatDlg::captureRunner()
{
    static CaptureRunner runner;
    return runner;
}

void CMultiChatDlg::SetDoodleFactory(DoodleFactory factory)
{
    doodleFactory() = factory ? std::move(factory)
                              : [](QWidget *parent) { return std::make_unique<DoodleBoardSurface>(parent); };
}

void CMultiChatDlg::SetCaptureRunner(CaptureRunner runner)
{
    captureRunner() = std::move(runner);
}

CMultiChatDlg::CMultiChatDlg(MultiSendSession &session, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , m_session(session)
    , m_config(session.config())
{
    setObjectName(QStringLiteral("155"));
    setWindowTitle(MultiSendTexts::Caption());
    setMinimumSize(480, 360);
    m_session.setPromptOwner(this);
    OnInitDialog();
}

CMultiChatDlg::~CMultiChatDlg()
{
    m_session.setPromptOwner(nullptr);
    // The session outlives the window: nothing of it reports here any more.
    m_session.disconnect(this);
}

void CMultiChatDlg::OnInitDialog()
{
    // The window font: the standard chat font.
    setFont(ChatQFont(ChatFont::standard()));
    if (m_config)
        m_ownFont = m_config->chatFont;
    createControls();
    applyColors();
    setTips();
    setWindowIcon(ProgramIcon());
    WindowAlpha::SetKind(this, WindowAlpha::OtherWindows);
    if (m_config && m_config->OtherOpacity != 0)
        WindowAlpha::SetLayeredAlpha(this, WindowAlpha::FromPercent(m_config->OtherOpacity));
    resize(640, 480);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    setAcceptDrops(true);

    connect(&m_session, &MultiSendSession::memberAdded, this, &CMultiChatDlg::AddMember);
    connect(&m_session, &MultiSendSession::memberChanged, this, [this](HostRecord *host) {
        if (m_model->Contains(host)) {
            ListBusyCounter::Raiser busy;
            m_model->InsertOrRefresh(host, m_config);
        }
    });
    connect(&m_session, &MultiSendSession::memberRemoved, this, &CMultiChatDlg::RemoveMember);
    connect(&m_session, &MultiSendSession::attachmentsChanged, this, &CMultiChatDlg::FillAttachmentList);
    m_initialised = true;
    RecalcLayout(true);
}

QAbstractButton *CMultiChatDlg::makeImageButton(int id, const QString &text, int art)
{
    auto *button = new CImageButton(this);
    button->setObjectName(QString::number(id));
    button->setText(text);
    button->SetIcon(ChatToolIcon(ChatArt(art)));
    button->setFont(font());
    button->installEventFilter(this);
    m_buttons.insert(id, button);
    return button;
}

QAbstractButton *CMultiChatDlg::makeHoverButton(int id, const QString &text)
{
    auto *button = new CHoverButton(text, this);
    button->setObjectName(QString::number(id));
    button->installEventFilter(this);
    m_buttons.insert(id, button);
    return button;
}

void CMultiChatDlg::createControls()
{
    using namespace MultiCtl;
    // The member list: the contact list's list control with a model of its own.
    m_model = new UserListModel(this);
    m_model->setSort(m_sortKind, m_descending);
    m_members = new CUserListCtrl(this);
    m_members->setObjectName(QString::number(Members));
    m_members->setListModel(m_model);
    m_members->Init(nullptr);
    m_members->SetLargeIcons(m_config && m_config->MutiLargeImage);
    m_members->SetColumnOrder(m_config ? m_config->ListColStryle_STR : QStringLiteral("123456"));
    m_members->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_members, &CUserListCtrl::columnClicked, this, &CMultiChatDlg::OnMemberColumnClick);
    connect(m_members, &CUserListCtrl::userDoubleClicked, this, &CMultiChatDlg::chatRequested);
    connect(m_members->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this] { updateSelectedCount(); });
    connect(m_members, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QMenu *menu = CreateMemberMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_members->viewport()->mapToGlobal(pos));
    });

    m_input = new CMsgRichEdit(this);
    m_input->setObjectName(QString::number(Input));
    m_input->SetViewMode(CMsgRichEdit::MultiInputBox);
    m_input->SetConfig(m_config);
    m_input->setFrameShape(QFrame::NoFrame);
    SetOwnFont(m_ownFont);
    connect(m_input, &CMsgRichEdit::sendCommand, this, &CMultiChatDlg::OnSend);
    connect(m_input, &CMsgRichEdit::fontCommand, this, &CMultiChatDlg::OnFontButton);
    // The input box holds at most kInputLimit characters.
    connect(m_input, &QTextEdit::textChanged, this, [this] { LimitInputLength(m_input, kInputLimit); });

    m_inputSplitter = new CSplitterBar(this);
    m_inputSplitter->setObjectName(QString::number(InputSplitter));
    m_inputSplitter->SetHorizontal(true);
    m_paneSplitter = new CSplitterBar(this);
    m_paneSplitter->setObjectName(QString::number(PaneSplitter));
    m_paneSplitter->SetHorizontal(false);
    connect(m_inputSplitter, &CSplitterBar::dragged, this, &CMultiChatDlg::OnSplitterDragged);
    connect(m_paneSplitter, &CSplitterBar::dragged, this, &CMultiChatDlg::OnSplitterDragged);

    // The file list: ticked files and folders go with the next message.
    m_fileList = new QTreeWidget(this);
    m_fileList->setObjectName(QString::number(FileList));
    m_fileList->setRootIsDecorated(false);
    m_fileList->setHeaderLabels(AttachmentColumnTitles());
    for (int c = 0; c < 4; ++c)
        m_fileList->setColumnWidth(c, 38);
    m_fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fileList->setFont(SongFont(12));
    m_fileList->header()->setFont(SongFont(12));
    connect(m_fileList, &QTreeWidget::itemChanged, this, &CMultiChatDlg::onFileItemChanged);
    connect(m_fileList, &QTreeWidget::itemClicked, this, [this] { update(m_layout.InfoLine(1, 2)); });

    connect(makeImageButton(Font, QStringLiteral("字体"), int(ChatArt::Font)), &QAbstractButton::clicked, this,
        &CMultiChatDlg::OnFontButton);
    connect(makeImageButton(Faces, QStringLiteral("表情"), int(ChatArt::Faces)), &QAbstractButton::clicked, this,
        &CMultiChatDlg::OnFaceButton);
    connect(makeImageButton(Picture, QStringLiteral("图片"), int(ChatArt::Picture)), &QAbstractButton::clicked, this,
        &CMultiChatDlg::OnSendPictureFile);
    connect(makeImageButton(Capture, QStringLiteral("截图"), int(ChatArt::Capture)), &QAbstractButton::clicked, this,
        &CMultiChatDlg::OnCapture);
    connect(makeImageButton(Mode, QStringLiteral("随手涂鸦"), int(ChatArt::Doodle)), &QAbstractButton::clicked, this,
        &CMultiChatDlg::OnModeButton);

    // The skinned buttons draw their text as it stands: the mnemonics are shortcuts of their own.
    QAbstractButton *send = makeHoverButton(Send, QStringLiteral("发送(S)"));
    send->setShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
    connect(send, &QAbstractButton::clicked, this, &CMultiChatDlg::OnSend);
    QAbstractButton *closeButton = makeHoverButton(Close, QStringLiteral("关闭(C)"));
    closeButton->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    connect(closeButton, &QAbstractButton::clicked, this, &QWidget::close);
    QAbstractButton *sendArrow = makeHoverButton(SendArrow, QStringLiteral("↓"));
    connect(sendArrow, &QAbstractButton::clicked, this,
        [this] { showMenuBelow(CreateSendOptionsMenu(), m_buttons.value(MultiCtl::SendArrow)); });
    QAbstractButton *captureArrow = makeHoverButton(CaptureArrow, QStringLiteral("↓"));
    connect(captureArrow, &QAbstractButton::clicked, this, [this] {
        showMenuBelow(MakeCommandMenu(this, CaptureOptionItems(m_config), [this](int id) { OnMenuCommand(id); }),
            m_buttons.value(MultiCtl::CaptureArrow));
    });
    connect(makeHoverButton(RemoveFiles, QStringLiteral("取消")), &QAbstractButton::clicked, this,
        [this] { m_session.RemoveCheckedAttachments(); });
    connect(makeHoverButton(MultiCtl::AddFiles, QStringLiteral("文件")), &QAbstractButton::clicked, this, [this] {
        AddFiles(Prompter::current().openFiles(this, QStringLiteral("打开"), QString(),
            Prompter::filterFromWindows(u"All Files (*.*)|*.*||")));
    });
    connect(makeHoverButton(AddFolder, QStringLiteral("目录")), &QAbstractButton::clicked, this, [this] {
        const QString folder = Prompter::current().chooseFolder(this, QStringLiteral("增加文件夹:"), QString());
        if (!folder.isEmpty())
            AddFiles({ folder });
    });
    connect(makeHoverButton(Monitor, QStringLiteral("监视")), &QAbstractButton::clicked, this,
        &CMultiChatDlg::transferMonitorRequested);
    // The mode button's four characters beside its icon take the 12-pixel
    // Song font: in the window font they would not fit its 76 pixels.
    m_buttons.value(Mode)->setFont(SongFont(12));
    // The small buttons of the file section and the arrows take a small font.
    for (const int id : std::initializer_list<int> { RemoveFiles, MultiCtl::AddFiles, AddFolder, Monitor, CaptureArrow, SendArrow })
        m_buttons.value(id)->setFont(SongFont(id == CaptureArrow || id == SendArrow ? 10 : 12));

    // The doodle board and its tools, when the drawing tools provide one.
    if (const DoodleFactory &factory = doodleFactory())
        m_doodle = factory(this);
    if (m_doodle) {
        m_doodle->board()->setObjectName(QString::number(Board));
        m_doodle->palette()->setObjectName(QString::number(Palette));
        m_doodle->toolStrip()->setObjectName(QString::number(ToolStrip));
        // Its buttons open the tool menus; no window follows its tool, so
        // their captions stay.
        m_buttons.insert(MakeDoodleButtons(this, *m_doodle));
    }
}

void CMultiChatDlg::applyColors()
{
    const uint32_t background = m_config ? m_config->ChatBkColor1 : kDefaultBack;
    const uint32_t background2 = m_config ? m_config->ChatBkColor2 : kDefaultBack2;
    const uint32_t frame = m_config ? m_config->ChatMsgWndFrameClr : kDefaultFrame;
    for (QAbstractButton *button : std::as_const(m_buttons)) {
        if (auto *image = qobject_cast<CImageButton *>(button)) {
            for (const int index : { CImageButton::BkIn, CImageButton::BkOut, CImageButton::BkFocus })
                image->SetColor(index, ChatColor(background), false);
        } else if (auto *hover = qobject_cast<CHoverButton *>(button)) {
            hover->SetColors(ChatColor(background2), ChatColor(frame), Qt::white, ChatColor(background2).darker(108));
        }
    }
    m_inputSplitter->SetBarColor(ChatColor(frame));
    m_paneSplitter->SetBarColor(ChatColor(background));
    if (m_doodle)
        m_doodle->SetColors(background, frame);
    update();
}

void CMultiChatDlg::OnSettingsChanged()
{
    if (m_config)
        applyColors();
}

void CMultiChatDlg::setTips()
{
    const auto tip = [this](int id, const QString &text) {
        if (QAbstractButton *button = m_buttons.value(id))
            button->setProperty(kTipProperty, text);
    };
    tip(MultiCtl::Send, MultiSendTexts::SendTip(CMsgRichEdit::SendMsgEnter()));
    tip(MultiCtl::AddFolder, QStringLiteral("增加要传送的文件夹(支持文件拖放功能)"));
    tip(MultiCtl::AddFiles, QStringLiteral("增加要传送的文件(支持文件拖放功能)"));
    tip(MultiCtl::Monitor, QStringLiteral("监视发送文件传输状态"));
    tip(MultiCtl::Picture, QStringLiteral("发送图片(支持gif、bmp、jpg格式)"));
}

// ---- the member list ------------------------------------------------------

void CMultiChatDlg::updateCaption()
{
    setWindowTitle(MultiSendTexts::CaptionWithCount(memberCount()));
    update(m_layout.InfoLine(1, 0));
}

int CMultiChatDlg::memberCount() const
{
    return m_model->rowCount();
}

void CMultiChatDlg::AddMember(HostRecord *host)
{
    if (!host)
        return;
    ListBusyCounter::Raiser busy;
    m_model->InsertOrRefresh(host, m_config);
    updateCaption();
}

void CMultiChatDlg::RemoveMember(HostRecord *host)
{
    ListBusyCounter::Raiser busy;
    if (m_model->DeleteRowOf(host))
        updateSelectedCount();
    updateCaption();
}

void CMultiChatDlg::applyColumnWidths()
{
    if (m_config && m_config->AutoWidth) {
        m_members->AutoSizeColumns();
        return;
    }
    if (m_config)
        m_members->SetColumnWidths({ m_config->SENDNICKNAME_STR, m_config->SENDHOSTNAME_STR,
            m_config->SENDUSERNAME_STR, m_config->SENDGROUPNAME_STR, m_config->SENDTYPENAME_STR,
            m_config->SENDIPADDR_STR });
}

void CMultiChatDlg::FillMemberList(bool preselect, const MultiSendOpener &opener, const PreselectContext &context)
{
    ListBusyCounter::Raiser busy;
    const QList<HostRecord *> members = m_session.members();
    m_members->setUpdatesEnabled(false);
    m_model->setSort(m_sortKind, m_descending);
    m_model->Fill(members, m_config);
    m_members->setUpdatesEnabled(true);
    applyColumnWidths();
    m_members->setFocus();
    m_members->clearSelection();
    m_selectedCount = 0;
    SelectMembers(PreselectMembers(members, preselect, opener, context));
    updateCaption();
}

QList<HostRecord *> CMultiChatDlg::SelectedMembers() const
{
    QList<HostRecord *> hosts;
    QModelIndexList rows = m_members->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &index : std::as_const(rows)) {
        if (HostRecord *host = m_model->hostAt(index.row()))
            hosts.append(host);
    }
    return hosts;
}

void CMultiChatDlg::SelectMembers(const QList<HostRecord *> &hosts)
{
    QItemSelection selection;
    for (HostRecord *host : hosts) {
        const int row = m_model->rowOfHost(host);
        if (row >= 0)
            selection.select(m_model->index(row, 0), m_model->index(row, std::max(0, m_model->columnCount() - 1)));
    }
    m_members->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    updateSelectedCount();
}

void CMultiChatDlg::updateSelectedCount()
{
    m_selectedCount = int(m_members->selectionModel()->selectedRows().size());
    update(m_layout.InfoLine(1, 1));
}

void CMultiChatDlg::OnMemberColumnClick(int column)
{
    const std::optional<int> kind
        = UserListModel::SortKindOfTitle(m_model->headerData(column, Qt::Horizontal).toString());
    if (column < 0 || column >= m_model->columnCount())
        return;
    // Every click on a header flips the direction, whichever column it is.
    m_descending = !m_descending;
    if (kind)
        m_sortKind = *kind;
    FillMemberList(false);
}

// ---- files --------------------------------------------------------------

void CMultiChatDlg::FillAttachmentList()
{
    m_fillingFiles = true;
    m_fileList->clear();
    QFileIconProvider icons;
    for (const FileInfoRecord &row : m_session.files().attachmentRows()) {
        auto *item = new QTreeWidgetItem(FileRowTexts(row, true));
        item->setIcon(0, icons.icon(row.isFolder() ? QFileIconProvider::Folder : QFileIconProvider::File));
        item->setToolTip(0, PlainText::ToolTip(row.fullPath));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        m_fileList->addTopLevelItem(item);
    }
    m_fillingFiles = false;
    update(m_layout.InfoLine(1, 2));
}

void CMultiChatDlg::onFileItemChanged(QTreeWidgetItem *item)
{
    if (m_fillingFiles)
        return;
    m_session.SetAttachmentChecked(m_fileList->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
}

void CMultiChatDlg::AddFiles(const QStringList &paths)
{
    if (!paths.isEmpty())
        m_session.AddAttachments(paths);
}

void CMultiChatDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMultiChatDlg::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    AddFiles(paths);
    event->acceptProposedAction();
}

// ---- the layout ---------------------------------------------------------

void CMultiChatDlg::RecalcLayout(bool withTooltips)
{
    if (!m_initialised)
        return;
    MultiChatLayoutInput in;
    in.client = size();
    in.paneWidth = m_paneWidth;
    in.inputHeight = m_inputHeight;
    in.doodleMode = m_doodleMode;
    in.withTooltips = withTooltips;
    m_layout = ComputeMultiChatLayout(in);
    const QList<QWidget *> children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        bool isId = false;
        const int id = child->objectName().toInt(&isId);
        if (!isId || !m_layout.rects.contains(id))
            continue;
        child->setGeometry(m_layout.rect(id));
        child->setVisible(m_layout.isShown(id) && !m_layout.rect(id).isEmpty());
    }
    if (withTooltips && m_doodle) {
        m_buttons.value(MultiCtl::LineWidth)->setText(QStringLiteral("设置线宽"));
        m_buttons.value(MultiCtl::LineType)->setText(QStringLiteral("设置线型"));
    }
    if (m_config && m_config->AutoWidth)
        m_members->AutoSizeColumns();
    update();
}

void CMultiChatDlg::OnSplitterDragged(const QPoint &screenPos, bool horizontal)
{
    if (screenPos == QPoint(-1, -1)) {
        RecalcLayout(true);
        return;
    }
    const QPoint at = mapFromGlobal(screenPos);
    if (horizontal) {
        const std::optional<int> height = InputHeightFromMultiSplitter(this->height(), at.y());
        if (!height)
            return;
        m_inputHeight = *height;
    } else {
        const std::optional<int> width = PaneWidthFromSplitter(this->width(), at.x());
        if (!width)
            return;
        m_paneWidth = *width;
    }
    RecalcLayout(false);
}

void CMultiChatDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    RecalcLayout(true);
}

void CMultiChatDlg::ShowAndActivate()
{
    RecalcLayout(true);
    if (isMaximized())
        showMaximized();
    else
        showNormal();
    raise();
    activateWindow();
    m_input->setFocus();
}

void CMultiChatDlg::closeEvent(QCloseEvent *event)
{
    // Closing only hides the window; its files and a running send stay.
    if (m_config && m_config->AutoMemMin)
        TrimWorkingSet();
    event->accept();
    QDialog::closeEvent(event);
}

// ---- the information panel ----------------------------------------------

void CMultiChatDlg::paintEvent(QPaintEvent *)
{
    if (!m_initialised || !m_config)
        return;
    QPainter p(this);
    p.fillRect(rect(), ChatColor(m_config->ChatBkColor1));
    paintPane(p);
}

void CMultiChatDlg::paintPane(QPainter &p)
{
    const QColor back = ChatColor(m_config->ChatBkColor1);
    const QColor back2 = ChatColor(m_config->ChatBkColor2);
    const QColor frame = ChatColor(m_config->ChatMsgWndFrameClr);
    p.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    p.setPen(ChatColor(m_config->ChatFontColor));
    const QString titles[3] = { QStringLiteral("自己资料"), QStringLiteral("发送资料(按Ctrl键进行多选)"),
        QStringLiteral("发送文件") };
    for (int s = 0; s < 3; ++s) {
        FillGradientRect(p, m_layout.headings[s], back, back2, int(GradientMode::Vertical));
        p.drawText(m_layout.headings[s].adjusted(5, 0, 0, 0), Qt::AlignVCenter | Qt::TextSingleLine, titles[s]);
    }
    const auto line = [&](int section, int n, const QString &text) {
        const QRect r = m_layout.InfoLine(section, n).adjusted(5, 0, -2, 0);
        p.drawText(r, Qt::AlignVCenter | Qt::TextSingleLine, p.fontMetrics().elidedText(text, Qt::ElideRight, r.width()));
    };
    if (MessengerEngine *engine = m_session.engine()) {
        line(0, 0, QStringLiteral("用户名:%1").arg(engine->GetOwnDisplayName()));
        line(0, 1, QStringLiteral("主  机:%1").arg(engine->hostName()));
        line(0, 2, QStringLiteral("登录名:%1").arg(engine->loginName()));
        line(0, 3, QStringLiteral("组  名:%1").arg(m_config->GROUPNAMESTR_STR));
        line(0, 4, QStringLiteral("IP地址:%1").arg(DottedAddress(engine->net().ownAddress())));
    }
    int checked = 0;
    for (const FileInfoRecord &row : m_session.files().attachmentRows())
        checked += row.checked ? 1 : 0;
    line(1, 0, QStringLiteral("在线人数: %1").arg(memberCount()));
    line(1, 1, QStringLiteral("发送人数: %1").arg(m_selectedCount));
    line(1, 2, QStringLiteral("发送文件: %1").arg(checked));

    p.setPen(QPen(frame, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(m_layout.inputFrame, 3, 3);
    p.drawRoundedRect(m_layout.paneFrame, 5, 5);
    const int left = width() - m_layout.paneWidth + 2;
    for (const int y : m_layout.paneLines)
        p.drawLine(left, y, width() - 1, y);
}

// ---- tips ---------------------------------------------------------------

bool CMultiChatDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const QString tip = watched->property(kTipProperty).toString();
        if (!tip.isEmpty())
            return ShowBlueToolTip(static_cast<QHelpEvent *>(event), tip, qobject_cast<QWidget *>(watched));
    }
    return QDialog::eventFilter(watched, event);
}

void CMultiChatDlg::showMenuBelow(QMenu *menu, QWidget *anchor)
{
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(anchor ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QCursor::pos());
}
