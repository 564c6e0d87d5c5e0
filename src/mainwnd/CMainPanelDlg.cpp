#include "mainwnd/CMainPanelDlg.h"

#include "controls/CGfxOutBarCtrl.h"
#include "controls/HeadIcons.h"
#include "controls/ProgramArt.h"
#include "controls/SkinColor.h"
#include "core/CConfig.h"
#include "core/FileUtil.h"
#include "core/Prompter.h"
#include "mainwnd/CAutoReplyTextDlg.h"
#include "mainwnd/CCalendarDlg.h"
#include "mainwnd/CGroupListDlg.h"
#include "mainwnd/CHelpDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CMsgTipDlg.h"
#include "mainwnd/CSearchBarDlg.h"
#include "mainwnd/CWebPaneDlg.h"
#include "mainwnd/PanelDocking.h"
#include "mainwnd/PanelVersionCheck.h"
#include "mainwnd/PanelGeometry.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/PanelTrayMenu.h"
#include "platform/OpenUrl.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "platform/CTrayIcon.h"
#include "platform/DesktopProbe.h"
#include "platform/GlobalHotKey.h"
#include "platform/WindowAlpha.h"
#include "core/WorkingSet.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaMethod>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace {

// The tray menu's switches of "基本设置" and the values they flip.
struct OptionSwitch
{
    int id;
    int CConfig::*value; // null: a StatusValue bit
    uint32_t statusBit; // checked while the bit is clear
};

constexpr OptionSwitch kOptions[] = {
    {32845, &CConfig::StartRun, 0},
    {32846, &CConfig::StartAutoMin, 0},
    {32847, &CConfig::DbClickAutoMin, 0},
    {32848, &CConfig::AutoHideWnd, 0},
    {32849, &CConfig::LOGCHECK_STR, 0},
    {32850, &CConfig::ShowInputStatus, 0},
    {32851, nullptr, OwnStatus::NoOnlineAnnounce},
    {32852, nullptr, OwnStatus::NoOfflineAnnounce},
    {32853, &CConfig::NoTice, 0},
    {32854, &CConfig::NoTice2, 0},
};

const OptionSwitch *findOption(int id)
{
    for (const OptionSwitch &option : kOptions) {
        if (option.id == id)
            return &option;
    }
    return nullptr;
}

bool optionChecked(const CConfig &config, const OptionSwitch &option)
{
    return option.value ? config.*option.value != 0 : (config.StatusValue & option.statusBit) == 0;
}

QRect workArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// Every peer of the table, in the order of the first index the table keeps.
template <typename Predicate> HostRecord *findHost(const CHostTable &table, Predicate matches)
{
    for (int kind = 0; kind < CHostTable::KindCount; ++kind) {
        if (!table.isEnabled(kind))
            continue;
        for (qsizetype i = 0; i < table.Count(); ++i) {
            HostRecord *host = table.At(kind, i);
            if (host && matches(*host))
                return host;
        }
        break;
    }
    return nullptr;
}

} // namespace

PanelPlatform PanelPlatform::System()
{
    PanelPlatform platform;
    platform.tray = std::make_unique<SystemTrayIcon>();
    platform.hotKey = CreateGlobalHotKey();
    return platform;
}

CMainPanelDlg::CMainPanelDlg(MessengerEngine &engine, QWidget *parent)
    : CMainPanelDlg(engine, PanelPlatform::System(), parent)
{
}

CMainPanelDlg::CMainPanelDlg(MessengerEngine &engine, PanelPlatform platform, QWidget *parent)
    : QDialog(parent)
    , m_engine(engine)
    , m_tray(std::move(platform.tray))
    , m_hotKey(std::move(platform.hotKey))
{
    if (!m_tray)
        m_tray = std::make_unique<FakeTrayIcon>(false);
    if (!m_hotKey)
        m_hotKey = std::make_unique<NoGlobalHotKey>();
    setObjectName(QStringLiteral("CMainPanelDlg"));
    setWindowTitle(QStringLiteral("蓝雀Kwel"));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(PanelGeometry::kMinimumSize);
    resize(PanelGeometry::kDefaultSize);
    // The buttons' tips also while another window is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    WindowAlpha::SetKind(this, WindowAlpha::MainWindow);

    m_tip = std::make_unique<CMsgTipDlg>(&m_engine.config());
    connect(m_tip.get(), &CMsgTipDlg::addressLinkActivated, this, &CMainPanelDlg::openAddress);
    connect(m_tip.get(), &CMsgTipDlg::keyLinkActivated, this, &CMainPanelDlg::openKey);
    connect(m_tip.get(), &CMsgTipDlg::groupLinkActivated, this, &CMainPanelDlg::openGroup);

    buildPages();
    buildExtras();

    m_menu = TrayMenu::Build(this);
    connect(m_menu, &QMenu::aboutToShow, this, &CMainPanelDlg::refreshTrayMenu);
    connect(m_menu, &QMenu::triggered, this, [this](QAction *action) { OnTrayCommand(action->data().toInt()); });
    refreshTrayMenu();

    UpdateTrayIcon(true);
    m_tray->SetContextMenu(m_menu);
    m_tray->Create(m_icons[int(TrayIconKind::Online)], QStringLiteral("Kwel"));
    connect(m_tray.get(), &CTrayIcon::activated, this, [this](CTrayIcon::Activation how) { onTrayActivated(int(how)); });
    connect(m_tray.get(), &CTrayIcon::availabilityChanged, this, &CMainPanelDlg::onTrayAvailabilityChanged);
    connect(m_hotKey.get(), &GlobalHotKey::activated, this, &CMainPanelDlg::OnHotKey);

    m_blinkTimer.setInterval(kBlinkIntervalMs);
    connect(&m_blinkTimer, &QTimer::timeout, this, [this] { BlinkTrayIcon(false); });
}

CMainPanelDlg::~CMainPanelDlg()
{
    m_blinkTimer.stop();
    m_hotKey->Unregister();
    m_tray->Remove();
}

void CMainPanelDlg::buildPages()
{
    const CConfig &config = m_engine.config();
    m_bar = new CGfxOutBarCtrl(this);
    m_bar->setObjectName(QStringLiteral("outbar"));
    m_bar->SetFlashInterval(200);
    m_messenger = new CMessengerDlg(m_engine, m_bar);
    m_bar->AddFolder(QStringLiteral("Kwel(在线人数)"), m_messenger);
    m_groupList = new CGroupListDlg(m_bar);
    m_bar->AddFolder(QStringLiteral("群 聊 天 室"), m_groupList);
    connect(&m_engine, &MessengerEngine::hostUpdated, m_groupList, &CGroupListDlg::UpdateUserInGroups);
    connect(&m_engine, &MessengerEngine::hostRemoved, m_groupList,
        [this](HostRecord *host, bool) { m_groupList->RemoveUserFromGroups(host); });
    m_calendar = new CCalendarDlg(m_bar);
    m_calendar->SetConfig(&config);
    m_calendar->LoadSchedule(config.StorePath());
    const int calendarFolder = m_bar->AddFolder(m_calendar->folderTitle(), m_calendar);
    connect(m_calendar, &CCalendarDlg::titleChanged, this,
        [this, calendarFolder](const QString &title) { m_bar->SetFolderText(calendarFolder, title); });
    m_bar->SetSelFolder(0);
    m_search = new CSearchBarDlg(m_messenger, this);
    ApplySkinColors();
    connect(m_messenger, &CMessengerDlg::colorSchemeChanged, this, &CMainPanelDlg::ApplySkinColors);
    connect(m_search, &CSearchBarDlg::statusMenuRequested, this, &CMainPanelDlg::showStatusMenu);
    updateStatusButton();
    connectMessengerPage();
}

void CMainPanelDlg::connectMessengerPage()
{
    connect(m_messenger, &CMessengerDlg::peerCountChanged, this, &CMainPanelDlg::OnPeerCountChanged);
    // The page's notices go to the panel's tip popup; its help button and the
    // tray's recent contacts are the panel's and the page's in turn.
    m_messenger->setTipPopup(m_tip.get());
    connect(m_messenger, &CMessengerDlg::helpRequested, this, &CMainPanelDlg::openHelp);
    connect(this, &CMainPanelDlg::messengerCommandRequested, m_messenger, &CMessengerDlg::OnMenuCommand);
    // The messenger page announces notices and unread blinking once it has
    // them; connected by name so that either side may come first.
    const QMetaObject *meta = m_messenger->metaObject();
    if (meta->indexOfSignal("tipNoticeRequested(TipNotice)") >= 0)
        connect(m_messenger, SIGNAL(tipNoticeRequested(TipNotice)), this, SLOT(ShowTipNotice(TipNotice)));
    if (meta->indexOfSignal("blinkRequested(bool,int)") >= 0)
        connect(m_messenger, SIGNAL(blinkRequested(bool, int)), this, SLOT(SetBlinking(bool, int)));
}

QString CMainPanelDlg::titleText(int peers)
{
    return QStringLiteral("蓝雀Kwel(在线人数: %1)").arg(peers);
}

QString CMainPanelDlg::folderTitle() const
{
    return m_bar->GetFolderText(0);
}

void CMainPanelDlg::OnPeerCountChanged(int count)
{
    const QString title = titleText(count);
    m_bar->SetFolderText(0, title);
    m_tray->Change(QIcon(), title);
}

bool CMainPanelDlg::hasTray() const
{
    // Asked anew: the area may have gone since the icon last looked.
    return m_tray->isEnabled() && m_tray->isAvailable();
}

void CMainPanelDlg::onTrayAvailabilityChanged(bool available)
{
    // With a tray to go to, the panel keeps out of the taskbar; without one
    // the taskbar is the way back.
    SetSkipTaskbar(*this, available);
    // Put away into a tray that is gone: nothing would bring it back.
    if (!available && m_hiddenByUser && !isVisible())
        showMinimized();
}

void CMainPanelDlg::showEvent(QShowEvent *event)
{
    // Before the window is mapped: the window manager forgets the state of a
    // hidden window.
    SetSkipTaskbar(*this, hasTray());
    QDialog::showEvent(event);
}

void CMainPanelDlg::InitPanel(bool autoStart)
{
    CConfig &config = m_engine.config();

    const PanelGeometry::StoredPlacement stored{config.WndLeft, config.WndTop, config.WndWidth, config.WndHeight};
    const QRect start = PanelGeometry::StartRect(stored, QRect(pos(), size()), workArea());
    resize(start.size());
    move(start.topLeft());
    m_savedRect = start;
    setWindowFlag(Qt::WindowStaysOnTopHint, config.WndTopMost != 0);

    if (config.MainOpacity != 0)
        WindowAlpha::SetLayeredAlpha(this, WindowAlpha::FromPercent(config.MainOpacity));
    UpdateTrayIcon(false);
    m_docking->InitialHide();
    SyncAutostart();

    if (!PanelGeometry::StartsHidden(autoStart, config.StartAutoMin != 0, config.DbClickAutoMin != 0)) {
        show();
    } else if (!hasTray()) {
        showMinimized(); // no tray to go to: the taskbar keeps it
    } else {
        // In the tray as if the user had put it there: a docked panel stays
        // out of view (no strip, no touch of the edge) until the tray or the
        // hot key brings it back.
        m_hiddenByUser = true;
        if (config.AutoMemMin)
            TrimWorkingSet();
    }

    // After the panel is placed, so that a failure is told over it; told
    // from the event loop, once the start has announced us: the box waits
    // for the user, the start and the network do not.
    if (RegisterStoredHotKey(*m_hotKey, config.modifiers, config.virtualcode) == GlobalHotKey::Result::Failed) {
        QTimer::singleShot(0, this, [this] {
            Prompter::current().messageBox(this, QStringLiteral("热键注册失败，可能重复了！"), QStringLiteral("Kwel"),
                Prompter::Buttons::Ok, Prompter::Icon::Warning);
        });
    }
    m_versions->Start();
}

TrayIconKind CMainPanelDlg::stateIconKind() const
{
    return TrayIconKindFor(m_engine.config().StatusValue, m_engine.isAway());
}

void CMainPanelDlg::UpdateTrayIcon(bool reload)
{
    const CConfig &config = m_engine.config();
    if (reload || m_icons[0].isNull()) {
        const QString files[4] = {config.ICON_STR, config.REVICON_STR, config.ICONNOVISIBLE_STR, config.MSGICON_STR};
        for (int kind = 0; kind < 4; ++kind)
            m_icons[size_t(kind)] = LoadTrayIcon(TrayIconKind(kind), files[kind]);
    }
    if (!isBlinking())
        m_tray->Change(m_icons[size_t(stateIconKind())], QString());
}

void CMainPanelDlg::BlinkTrayIcon(bool restart)
{
    const bool message = m_blinker.Step(restart);
    const QIcon &blink = m_blinkIcon.isNull() ? m_icons[size_t(TrayIconKind::Message)] : m_blinkIcon;
    m_tray->Change(message ? blink : m_icons[size_t(stateIconKind())], QString());
}

void CMainPanelDlg::SetBlinking(bool on, int iconIndex)
{
    if (!on) {
        m_blinkTimer.stop();
        m_blinkIcon = QIcon();
        UpdateTrayIcon(false);
        return;
    }
    m_blinkIcon = iconIndex >= 0 && iconIndex < HeadIconCount() ? QIcon(HeadIconPixmap(iconIndex, 32)) : QIcon();
    if (!m_blinkTimer.isActive()) {
        BlinkTrayIcon(true);
        m_blinkTimer.start();
    }
}

void CMainPanelDlg::onTrayActivated(int how)
{
    const bool iconOpens = m_engine.config().LButtonIconOpen != 0;
    switch (CTrayIcon::Activation(how)) {
    case CTrayIcon::Activation::Click:
        if (isBlinking() && isSignalConnected(QMetaMethod::fromSignal(&CMainPanelDlg::unreadOpenRequested)))
            emit unreadOpenRequested();
        else if (iconOpens || isBlinking())
            ShowPanel();
        break;
    case CTrayIcon::Activation::DoubleClick:
        if (!iconOpens)
            ShowPanel();
        break;
    case CTrayIcon::Activation::Context:
    case CTrayIcon::Activation::Middle:
        break;
    }
}

void CMainPanelDlg::OnHotKey()
{
    if (isBlinking() && isSignalConnected(QMetaMethod::fromSignal(&CMainPanelDlg::unreadOpenRequested)))
        emit unreadOpenRequested();
    else
        ShowPanel();
}

void CMainPanelDlg::bringForward()
{
    ShowPanel();
}

void CMainPanelDlg::ShowPanel()
{
    m_hiddenByUser = false;
    showNormal();
    raise();
    activateWindow();
    m_docking->OnShown();
    if (m_webPane->isVisible())
        m_webPane->LoadSummary();
}

void CMainPanelDlg::HidePanel()
{
    m_hiddenByUser = true;
    if (hasTray())
        hide();
    else
        showMinimized();
}

void CMainPanelDlg::closeEvent(QCloseEvent *event)
{
    // Closing never ends the program: the panel goes to the tray.
    event->ignore();
    HidePanel();
    if (m_engine.config().AutoMemMin)
        TrimWorkingSet();
    m_webPane->Blank();
}

void CMainPanelDlg::reject()
{
    HidePanel();
}

void CMainPanelDlg::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape never hide the panel (an Escape meant for a menu that
    // just closed is easily pressed once too often): it hides by its close
    // box, minimising, the tray and the hot key.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMainPanelDlg::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && hasTray()) {
        // Minimising hides the panel into the tray instead. The minimised
        // state stays until the panel is shown again (ShowPanel restores
        // it): leaving it on a hidden window would map the window behind the
        // toolkit's back, an empty frame that nothing draws or brings back.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) {
                m_hiddenByUser = true;
                hide();
            }
        });
    }
}

void CMainPanelDlg::rememberRect()
{
    if (isVisible() && !isMinimized() && !isMaximized())
        m_savedRect = QRect(pos(), size());
}

void CMainPanelDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_search->setGeometry(0, 0, width(), PanelGeometry::kSearchStripHeight);
    m_bar->setGeometry(0, PanelGeometry::kSearchStripHeight, width(),
        std::max(0, height() - PanelGeometry::kSearchStripHeight));
    rememberRect();
}

void CMainPanelDlg::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    rememberRect();
}

void CMainPanelDlg::enterEvent(QEnterEvent *event)
{
    QDialog::enterEvent(event);
    m_docking->OnEnter();
}

void CMainPanelDlg::StoreWindowPlacement()
{
    if (!m_savedRect.isValid())
        return;
    CConfig &config = m_engine.config();
    config.WndLeft = m_savedRect.x();
    config.WndTop = m_savedRect.y();
    config.WndWidth = m_savedRect.width();
    config.WndHeight = m_savedRect.height();
    config.HideMode = m_docking->side();
}

void CMainPanelDlg::ShowTipNotice(const TipNotice &notice)
{
    m_tip->AddNotice(notice, true);
}

void CMainPanelDlg::openAddress(quint32 address)
{
    if (HostRecord *host = findHost(m_engine.hostTable(), [address](const HostRecord &h) { return h.key.address == address; }))
        emit chatWindowRequested(host);
}

void CMainPanelDlg::openKey(const QString &key)
{
    if (HostRecord *host = findHost(m_engine.hostTable(), [&key](const HostRecord &h) { return h.keyText == key; }))
        emit chatWindowRequested(host);
}

void CMainPanelDlg::openGroup(quint32 groupId)
{
    if (!m_groupList->SelectGroup(groupId))
        return; // the group is gone
    m_bar->SetSelFolder(1); // its page; there are no group chat windows
}

bool CMainPanelDlg::isForwarded(int id) const
{
    using namespace TrayMenu;
    const bool forwarded = id == Settings || (id >= FirstSkin && id <= LastSkin) || id == ClassicSkin
        || id == MultiSend || id == MemoList || id == ViewList || id == ViewTree || id == CustomTreeStyle
        || id == Transparency || id == OtherSubnetFriends || id == ChatLog || id == TransferMonitor
        || id == ShareSettings || (id >= FirstRecent && id < FirstRecent + RecentCount) || id == SendToAddress;
    return forwarded && m_messenger->HandlesMenuCommand(id);
}

void CMainPanelDlg::refreshTrayMenu()
{
    using namespace TrayMenu;
    const CConfig &config = m_engine.config();
    TrayMenu::FillRecent(RecentSubmenu(m_menu), config.LastPersonTexts);
    const auto handled = [this](int id) {
        return id == Open || id == Quit || id == About || id == Hidden || id == LeaveAway || id == AutoReply
            || id == AutoReplyText || id == OnlineHelp || id == TodayNote || id == IpMsgCompatible
            || (id >= FirstAway && id < FirstAway + AwayCount)
            || (id >= FirstOption && id <= LastOption) || IsExtraCommand(id) || isForwarded(id);
    };
    ForEachCommand(m_menu, [&](QAction *action, int id) {
        action->setEnabled(handled(id));
        if (const OptionSwitch *option = findOption(id))
            action->setChecked(optionChecked(config, *option));
    });
    const bool away = m_engine.isAway();
    for (int kind = 1; kind <= AwayCount; ++kind)
        Find(m_menu, FirstAway + kind - 1)->setChecked(away && config.AwayState == kind);
    Find(m_menu, LeaveAway)->setEnabled(away);
    Find(m_menu, AutoReply)->setChecked(config.AutoReply != 0);
    Find(m_menu, IpMsgCompatible)->setChecked(config.IPMsgCompatible != 0);
    Find(m_menu, ViewList)->setChecked(config.MembersShowMode == 0);
    Find(m_menu, ViewTree)->setChecked(config.MembersShowMode != 0);
    Find(m_menu, Hidden)->setText(HiddenText(config.StatusValue));
}

void CMainPanelDlg::toggleOption(int id)
{
    const OptionSwitch *option = findOption(id);
    if (!option)
        return;
    CConfig &config = m_engine.config();
    if (option->value)
        config.*option->value = config.*option->value != 0 ? 0 : 1;
    else
        config.StatusValue ^= option->statusBit;
    if (option->value == &CConfig::AutoHideWnd)
        m_docking->OnAutoHideChanged();
    if (option->value == &CConfig::StartRun || option->value == &CConfig::StartAutoMin)
        SyncAutostart();
    // Kept at once, as every other option: a crash must not undo the switch.
    config.Save(CFG_GENERAL);
}

void CMainPanelDlg::setAwayKind(int kind)
{
    CConfig &config = m_engine.config();
    config.StatusValue &= ~OwnStatus::Hidden;
    config.AwayState = kind;
    config.AwayFlag = kind != 0 ? 1 : 0;
    if (kind != 0)
        config.AwayIndex = kind - 1;
    m_engine.AnnouncePresence(kind != 0 ? CMD_ANNOUNCE_STATUS : CMD_ANNOUNCE_ENTRY);
    UpdateTrayIcon(false);
    updateStatusButton();
}

void CMainPanelDlg::setHidden(bool hidden)
{
    CConfig &config = m_engine.config();
    config.AwayState = 0;
    config.AwayFlag = 0;
    if (hidden)
        config.StatusValue |= OwnStatus::Hidden;
    else
        config.StatusValue &= ~OwnStatus::Hidden;
    UpdateTrayIcon(false);
    updateStatusButton();
    m_engine.AnnouncePresence(CMD_ANNOUNCE_ENTRY);
}

void CMainPanelDlg::openOnlineHelp()
{
    const QString page = m_engine.config().HelpPageURL;
    if (page.isEmpty()) {
        Prompter::current().messageBox(this, QStringLiteral("没有设置联机帮助页面的地址."), QStringLiteral("提示"),
            Prompter::Buttons::Ok, Prompter::Icon::Information);
        return;
    }
    OpenUrlOrReport(this, page);
}

void CMainPanelDlg::ShowTodayNoteDlg()
{
    m_calendar->ShowTodayNote();
}

void CMainPanelDlg::ApplySkinColors()
{
    const CConfig &config = m_engine.config();
    m_bar->SetSkinColors(ColorFromRef(config.MainBarFrameColor), ColorFromRef(config.MainBarLeftTopColor),
        ColorFromRef(config.MainBarRightBtmColor), ColorFromRef(config.MainBarRightBtm2Color));
    m_bar->update();
    m_search->update();
}

void CMainPanelDlg::editAutoReplyText()
{
    CConfig &config = m_engine.config();
    CAutoReplyTextDlg dialog(this);
    dialog.m_text = config.StrReply;
    if (dialog.exec() != QDialog::Accepted)
        return;
    config.StrReply = dialog.m_text;
    config.Save(CFG_GENERAL);
}

void CMainPanelDlg::openHelp()
{
    CHelpDlg help(GetDataBaseDirectory() + QStringLiteral("/kwel"), &m_engine.config(), this);
    help.exec();
}

void CMainPanelDlg::OnTrayCommand(int id)
{
    using namespace TrayMenu;
    CConfig &config = m_engine.config();
    if (id == Open) {
        ShowPanel();
    } else if (id == Quit) {
        emit quitRequested();
    } else if (id >= FirstOption && id <= LastOption) {
        toggleOption(id);
    } else if (id >= FirstAway && id < FirstAway + AwayCount) {
        setAwayKind(id - FirstAway + 1);
    } else if (id == LeaveAway) {
        setAwayKind(0);
    } else if (id == Hidden) {
        setHidden((config.StatusValue & OwnStatus::Hidden) == 0);
    } else if (id == AutoReply) {
        config.AutoReply = config.AutoReply != 0 ? 0 : 1;
        config.Save(CFG_GENERAL);
    } else if (id == AutoReplyText) {
        editAutoReplyText();
    } else if (id == IpMsgCompatible) {
        config.IPMsgCompatible = config.IPMsgCompatible != 0 ? 0 : 1;
        config.Save(CFG_GENERAL);
        // As the refresh button: with Ctrl the list is emptied without
        // offline notices first.
        m_messenger->OnRefreshUsers(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier));
    } else if (id == TodayNote) {
        ShowTodayNoteDlg();
    } else if (id == OnlineHelp) {
        openOnlineHelp();
    } else if (id == About) {
        openHelp();
    } else if (OnExtraCommand(id)) {
        // backup, restore, shortcuts, the group file
    } else if (isForwarded(id)) {
        emit messengerCommandRequested(id);
    }
}
