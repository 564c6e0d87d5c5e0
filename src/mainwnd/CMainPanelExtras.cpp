// The main panel's docking, backup and restore, shortcuts, group file,
// version checks and web pane: the parts of CMainPanelDlg that the tray menu
// and the start reach besides the contact list.
#include "mainwnd/CMainPanelDlg.h"

#include "controls/CGfxOutBarCtrl.h"
#include "controls/ProgramArt.h"
#include "core/CConfig.h"
#include "core/CXmlDocument.h"
#include "core/FileUtil.h"
#include "core/Prompter.h"
#include "core/SaveFileChoice.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/CWebPaneDlg.h"
#include "mainwnd/GroupFile.h"
#include "mainwnd/PanelDocking.h"
#include "mainwnd/PanelVersionCheck.h"
#include "mainwnd/SettingsBackup.h"
#include "platform/CTrayIcon.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"
#include "platform/DesktopEntry.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

namespace {

constexpr int kContactFolder = 0; // the messenger page's
constexpr int kDesktopShortcut = 33137;
constexpr int kMenuShortcut = 33138;
const QString kCaption = QStringLiteral("提示");

void tell(QObject *owner, const QString &text)
{
    Prompter::current().messageBox(owner, text, kCaption, Prompter::Buttons::Ok, Prompter::Icon::Information);
}

// The program's icon as a file that desktop entries can name.
QString iconFile()
{
    const QString path = GetDataBaseDirectory() + QStringLiteral("/kwel/kwel.png");
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ProgramIcon().pixmap(128, 128).save(path, "PNG");
    }
    return path;
}

DesktopEntry::Entry programEntry(const QString &target)
{
    DesktopEntry::Entry entry;
    entry.name = QStringLiteral("Kwel");
    entry.comment = QStringLiteral("蓝雀Kwel 局域网即时通讯");
    entry.program = target;
    entry.icon = iconFile();
    return entry;
}

} // namespace

void CMainPanelDlg::buildExtras()
{
    CConfig &config = m_engine.config();
    m_docking = new PanelDocking(*this, config, [this] { return m_hiddenByUser; }, this);
    m_versions = new PanelVersionCheck(m_engine, this);
    connect(m_versions, &PanelVersionCheck::webAccessPageReady, this, &CMainPanelDlg::webAccessPageReady);

    // The web pane always exists; its folder only with ShowBbsBar.
    m_webPane = new CWebPaneDlg(m_bar);
    m_webPane->SetSummaryUrl(QUrl(config.NewsPageURL.trimmed()));
    if (config.ShowBbsBar)
        m_webFolder = m_bar->AddFolder(QStringLiteral("蓝雀vudo"), m_webPane);
    else
        m_webPane->hide();
    m_bar->SetSelFolder(0);
    connect(m_bar, &CGfxOutBarCtrl::folderChanged, this, [this](int index) {
        if (index >= 0 && index == m_webFolder)
            m_webPane->OnFolderOpened(this);
        else if (index == kContactFolder)
            OnShowWebPane(ContactFolderMessage::Opened);
    });
    connect(m_bar, &CGfxOutBarCtrl::folderMenuRequested, this, [this](int index) {
        if (index == kContactFolder)
            OnShowWebPane(ContactFolderMessage::MenuAsked);
    });
}

void CMainPanelDlg::OnShowWebPane(ContactFolderMessage message)
{
    if (message == ContactFolderMessage::MenuAsked)
        m_messenger->OnButtonCommand(ContactListMenu::MoreButton);
    else
        m_webPane->RestorePanel(this);
}

void CMainPanelDlg::contextMenuEvent(QContextMenuEvent *event)
{
    // Without a notification area the tray menu, with its settings, backups
    // and "退出(&C)", would be out of reach: the panel offers it itself.
    if (hasTray()) {
        QDialog::contextMenuEvent(event);
        return;
    }
    m_menu->popup(event->globalPos());
    event->accept();
}

bool CMainPanelDlg::IsExtraCommand(int id)
{
    return SettingsBackup::KindOfCommand(id) || id == SettingsBackup::kRestoreCommand
        || id == kDesktopShortcut || id == kMenuShortcut || id == GroupFile::kExportCommand
        || id == GroupFile::kImportCommand;
}

bool CMainPanelDlg::OnExtraCommand(int id)
{
    if (const auto kind = SettingsBackup::KindOfCommand(id))
        BackupSettings(*kind);
    else if (id == SettingsBackup::kRestoreCommand)
        OnRestoreSettings();
    else if (id == kDesktopShortcut || id == kMenuShortcut)
        OnCreateShortcut(id);
    else if (id == GroupFile::kExportCommand)
        OnExportGroups();
    else if (id == GroupFile::kImportCommand)
        OnImportGroups();
    else
        return false;
    return true;
}

void CMainPanelDlg::CheckVersion()
{
    m_versions->CheckVersion();
}

void CMainPanelDlg::BackupSettings(int kind)
{
    SettingsBackup::BackupSettings(m_engine.config(), kind, this);
}

void CMainPanelDlg::OnRestoreSettings()
{
    // A whole restore brings other tray icons with it.
    if (SettingsBackup::RestoreSettings(m_engine.config(), this) == SettingsBackup::Result::Done)
        UpdateTrayIcon(true);
}

int CMainPanelDlg::CreateShortcut(const QString &target, const QString &linkPath)
{
    return DesktopEntry::Write(linkPath, programEntry(target)) ? 1 : 0;
}

void CMainPanelDlg::OnCreateShortcut(int command)
{
    const QString target = QCoreApplication::applicationFilePath();
    const QString folder = command == kDesktopShortcut ? DesktopEntry::DesktopFolder() : DesktopEntry::ApplicationsFolder();
    if (folder.isEmpty())
        return; // failures are silent, as the shell's were
    CreateShortcut(target, folder + QLatin1Char('/') + DesktopEntry::FileName(target));
}

void CMainPanelDlg::SyncAutostart()
{
    const CConfig &config = m_engine.config();
    const QString target = QCoreApplication::applicationFilePath();
    const QString path = DesktopEntry::AutostartFolder() + QLatin1Char('/') + DesktopEntry::FileName(target);
    if (!config.StartRun) {
        QFile::remove(path);
        return;
    }
    DesktopEntry::Entry entry = programEntry(target);
    // As the Windows run entry: the program alone, or with "1" when it is to
    // start in the tray.
    if (config.StartAutoMin)
        entry.arguments = {QStringLiteral("1")};
    entry.autostart = true;
    DesktopEntry::Write(path, entry);
}

void CMainPanelDlg::OnExportGroups()
{
    // A name typed without an extension gets ".xml"; a file of that name is
    // replaced only when the user says so.
    const QString file = ChooseSaveFile(this, QString(), QString(),
        Prompter::filterFromWindows(QStringLiteral("Xml Files (*.xml)|*.xml|")), SaveFileType{ QStringLiteral("xml"), {} });
    if (file.isEmpty())
        return;
    CXmlDocument doc = GroupFile::Export(m_engine.config(), m_engine.net().ownMac());
    tell(this, doc.SaveFile(file) == CXmlDocument::Status::Ok ? QStringLiteral("导出成功！") : QStringLiteral("导出失败！"));
}

void CMainPanelDlg::OnImportGroups()
{
    const QString path = Prompter::current().openFile(
        this, QString(), QString(), Prompter::filterFromWindows(QStringLiteral("Xml Files (*.xml)|*.xml||")));
    if (path.isEmpty())
        return;
    const Prompter::Button answer = Prompter::current().messageBox(this,
        QStringLiteral("您正准备导入此分组及备注数据,您要替换原来分组及备注名数据还是追加?点击是将替换,点击否将追回"),
        kCaption, Prompter::Buttons::YesNoCancel, Prompter::Icon::Question);
    if (answer != Prompter::Button::Yes && answer != Prompter::Button::No)
        return;
    CXmlDocument doc;
    doc.LoadFile(path);
    CConfig &config = m_engine.config();
    const GroupFile::Kept before(config);
    const GroupFile::ImportResult result = GroupFile::Import(doc, config,
        answer == Prompter::Button::Yes ? GroupFile::Mode::Replace : GroupFile::Mode::Append, m_engine.net().ownMac());
    if (result.changed) {
        // Groups the settings file did not take would be gone at the next
        // start: the list stays as it was, and the import can be tried again.
        if (!config.Save(CFG_GENERAL)) {
            before.PutBack(config);
            Prompter::current().messageBox(this, config.UnwritableText(QStringLiteral("导入失败！")), kCaption,
                Prompter::Buttons::Ok, Prompter::Icon::Warning);
            return;
        }
        m_messenger->RebuildUserViews(true);
    }
    tell(this, result.hadGroups ? QStringLiteral("导入成功！") : QStringLiteral("导入失败！"));
}
