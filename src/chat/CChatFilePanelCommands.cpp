// The commands of the file panel: receiving, rejecting and releasing offers,
// the received files and the attachments.
#include "chat/CChatFilePanel.h"

#include "core/CConfig.h"
#include "core/PathUtil.h"
#include "core/Prompter.h"
#include "chat/session/ChatFileTransfers.h"
#include "platform/DesktopServices.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTreeWidget>

namespace {

namespace Id = ChatCtl;

const QString kPrompt = QStringLiteral("提示");

} // namespace

bool CChatFilePanel::ask(const QString &text)
{
    return Prompter::current().messageBox(window(), text, kPrompt, Prompter::Buttons::YesNo, Prompter::Icon::Question)
        == Prompter::Button::Yes;
}

void CChatFilePanel::popup(QMenu *menu)
{
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu, &QMenu::triggered, this, [this](QAction *action) { OnMenuCommand(action->data().toInt()); });
    menu->popup(QCursor::pos());
}

void CChatFilePanel::onOfferedRowsChanged(int firstNew)
{
    // A new offer's rows come after those listed: only they are drawn.
    if (firstNew >= 0 && firstNew == m_offeredList->topLevelItemCount())
        AppendOfferedRows(firstNew);
    else
        FillOfferedList();
    if (firstNew >= 0) {
        if (QTreeWidgetItem *item = m_offeredList->topLevelItem(firstNew))
            m_offeredList->scrollToItem(item);
    }
    updateReceiveButtons();
}

void CChatFilePanel::updateReceiveButtons()
{
    const bool busy = m_transfers.busy();
    const bool waiting = model().offerCount() > 0 && model().hasWaitingRow();
    enableControl(Id::ReceiveAll, waiting && !busy);
    enableControl(Id::RejectAll, waiting && !busy);
    enableControl(Id::StopTransfer, m_progressShown || m_transfers.isReceiving());
}

void CChatFilePanel::onMoreOffersWaiting()
{
    // The question is asked from the event loop, never from inside a report
    // of the receiver.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (model().offerCount() > 0 && model().hasWaitingRow()
                && ask(QStringLiteral("您还有未接收的文件,您是否继续全部接收?")))
                OnReceiveAll();
        },
        Qt::QueuedConnection);
}

QString CChatFilePanel::chooseTarget(const QString &name, bool isFile)
{
    const QString folder = m_config && !m_config->LASTOPEN_STR.isEmpty() ? m_config->LASTOPEN_STR : QDir::homePath();
    QString chosen;
    for (QString suggestion = JoinPath(folder, name);; suggestion = chosen) {
        chosen = Prompter::current().saveFile(window(), QStringLiteral("另存为"), suggestion,
            Prompter::filterFromWindows(u"All Files (*.*)|*.*||"));
        if (chosen.isEmpty())
            return QString();
        // A folder typed into the name that does not exist yet is made; one
        // that cannot be made is refused and the dialog asks again.
        const QString parent = GetParentDirectory(chosen).value_or(QString());
        if (parent.isEmpty() || QFileInfo(parent).isDir() || QDir().mkpath(parent))
            break;
        Prompter::current().messageBox(window(), QStringLiteral("无法创建文件夹:\n%1").arg(QDir::toNativeSeparators(parent)),
            QStringLiteral("另存为"), Prompter::Buttons::Ok, Prompter::Icon::Warning);
    }
    const QString path = WithDefaultExtension(chosen, name, isFile);
    // The dialog asked about the name as typed; the added extension may name
    // another file that exists.
    if (path != chosen && QFileInfo::exists(path) && !ask(OverwriteQuestion(path)))
        return QString();
    if (m_config)
        m_config->LASTOPEN_STR = GetParentDirectory(path).value_or(QString());
    return path;
}

void CChatFilePanel::OnReceiveAll()
{
    emit userAction();
    const QueuedOffer *current = model().currentOffer();
    if (m_transfers.busy() || !current || current->entries.empty())
        return;
    // Copies: the offer may be withdrawn while the file dialog is open.
    const quint32 packet = current->packetNumber;
    const DecodedFileEntry &first = current->entries.front();
    const QString path = chooseTarget(QString(first.name), first.kind() != FILE_ATTR_FOLDER);
    current = model().currentOffer();
    if (!path.isEmpty() && !m_transfers.busy() && current && current->packetNumber == packet)
        m_transfers.ReceiveAll(path);
}

void CChatFilePanel::OnReceiveSelected()
{
    emit userAction();
    const int row = m_selectedOffered;
    if (m_transfers.busy() || row < 0 || row >= model().offeredRows().size())
        return;
    const FileInfoRecord chosen = model().offeredRows()[row];
    if (chosen.status != ReceiveRowStatus::NotReceived)
        return;
    m_transfers.MakeRowCurrent(row);
    const QString path = chooseTarget(chosen.name, chosen.isFile);
    // Rows come and go while the file dialog is open: the item is found again.
    const int now = offeredRowOf(chosen.packetNumber, chosen.fileId);
    if (!path.isEmpty() && now >= 0 && !m_transfers.busy())
        m_transfers.ReceiveRow(now, path);
}

int CChatFilePanel::offeredRowOf(quint32 packetNumber, quint32 fileId) const
{
    const QList<FileInfoRecord> &rows = model().offeredRows();
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].packetNumber == packetNumber && rows[i].fileId == fileId
            && rows[i].status == ReceiveRowStatus::NotReceived)
            return i;
    }
    return -1;
}

void CChatFilePanel::OnRejectSelected()
{
    emit userAction();
    const int row = m_selectedOffered;
    if (m_transfers.busy() || row < 0 || row >= model().offeredRows().size()
        || model().offeredRows()[row].status != ReceiveRowStatus::NotReceived)
        return;
    if (ask(QStringLiteral("您是否真的要拒收您选中的这文件？")))
        m_transfers.RejectRow(row);
}

void CChatFilePanel::OnRejectAll(bool askFirst)
{
    emit userAction();
    if (m_transfers.busy() || model().offerCount() == 0)
        return;
    if (askFirst && !ask(QStringLiteral("您是否真的要拒收全部文件？")))
        return;
    while (m_transfers.RejectCurrentOffer()) {
        if (!ask(QStringLiteral("您还有未接收的文件,您是否继续全部拒收?")))
            break;
    }
}

void CChatFilePanel::OnStopTransfer()
{
    emit userAction();
    m_transfers.StopTransfer();
}

void CChatFilePanel::SetProgress(int percent, const QString &text)
{
    m_progressShown = percent >= 0 && percent <= 100;
    m_progressText = m_progressShown ? text : QString();
    m_progress->setValue(m_progressShown ? percent : 0);
    m_progress->setToolTip(Qt::convertFromPlainText(m_progressText, Qt::WhiteSpaceNoWrap));
    applyLayout();
    updateReceiveButtons();
}

QString CChatFilePanel::FitProgressText(const QString &text, const QFontMetrics &fm, int room)
{
    QString shown = text;
    while (fm.horizontalAdvance(shown) > room) {
        const qsizetype space = shown.indexOf(QLatin1Char(' '));
        if (space < 0)
            return fm.elidedText(shown, Qt::ElideLeft, room);
        shown = shown.mid(space + 1);
    }
    return shown;
}

// ---- received files -----------------------------------------------------

void CChatFilePanel::OnShowInFolder()
{
    emit userAction();
    if (m_selectedReceived < 0 || m_selectedReceived >= model().receivedRows().size())
        return;
    const ShowInFolderPlan plan = PlanShowInFolder(model().receivedRows()[m_selectedReceived].fullPath);
    if (plan.selectItem)
        DesktopServices::current().showInFolder(plan.path);
    else
        DesktopServices::current().openPath(plan.path);
}

void CChatFilePanel::OnOpenReceived()
{
    emit userAction();
    if (m_selectedReceived >= 0 && m_selectedReceived < model().receivedRows().size())
        DesktopServices::current().openPath(model().receivedRows()[m_selectedReceived].fullPath);
}

void CChatFilePanel::OnClearReceived()
{
    emit userAction();
    m_transfers.ClearReceived();
    if (m_offeredList->topLevelItemCount() == 0 && model().receivedRows().isEmpty())
        setFileListsShown(false);
}

void CChatFilePanel::DeleteReceived(bool permanently)
{
    emit userAction();
    const int row = m_selectedReceived;
    if (row < 0 || row >= model().receivedRows().size())
        return;
    const FileInfoRecord &entry = model().receivedRows()[row];
    const QFileInfo info(entry.fullPath);
    const bool folder = info.isDir() && !info.isSymLink();
    const QString question = permanently ? (folder ? QStringLiteral("您是否真的要永久删除此文件夹.文件夹名为 %1")
                                                   : QStringLiteral("您是否真的要永久删除此文件.文件名为 %1"))
                                         : (folder ? QStringLiteral("您是否真的要删除此文件夹.文件夹名为 %1")
                                                   : QStringLiteral("您是否真的要删除此文件.文件名为 %1"));
    if (!ask(question.arg(entry.fullPath)))
        return;
    bool deleted = false;
    if (!permanently) {
        // The trash lives in the user's data folder; where that folder does
        // not exist yet, Qt reports success after moving the file into the
        // current directory instead.
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        deleted = !data.isEmpty() && QDir().mkpath(data) && QFile::moveToTrash(entry.fullPath);
    }
    else if (folder)
        deleted = QDir(entry.fullPath).removeRecursively();
    else
        deleted = QFile::remove(entry.fullPath); // a link goes itself, never its target
    if (!deleted) {
        Prompter::current().messageBox(window(),
            folder ? QStringLiteral("删除文件夹失败") : QStringLiteral("删除文件失败"), kPrompt, Prompter::Buttons::Ok,
            Prompter::Icon::Information);
        return;
    }
    m_transfers.RemoveReceivedRow(row);
}

QMenu *CChatFilePanel::CreateOfferedMenu()
{
    const int row = m_selectedOffered;
    if (row < 0 || row >= model().offeredRows().size()
        || model().offeredRows()[row].status != ReceiveRowStatus::NotReceived || m_transfers.busy())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->addAction(QStringLiteral("接收(&A)"))->setData(int(CmdReceive));
    menu->addAction(QStringLiteral("取消(&C)"))->setData(int(CmdReject));
    return menu;
}

QMenu *CChatFilePanel::CreateReceivedMenu()
{
    if (m_selectedReceived < 0 || m_selectedReceived >= model().receivedRows().size())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->addAction(QStringLiteral("打开文件(&F)"))->setData(int(CmdOpenReceived));
    menu->addAction(QStringLiteral("打开目录(&D)"))->setData(int(CmdShowInFolder));
    menu->addSeparator();
    menu->addAction(QStringLiteral("删除文件(夹)(&D)"))->setData(int(CmdDeleteToTrash));
    menu->addAction(QStringLiteral("永久删除文件(夹)"))->setData(int(CmdDeletePermanently));
    return menu;
}

void CChatFilePanel::OnMenuCommand(int command)
{
    switch (command) {
    case CmdReceive:
        OnReceiveSelected();
        break;
    case CmdReject:
        OnRejectSelected();
        break;
    case CmdOpenReceived:
        OnOpenReceived();
        break;
    case CmdShowInFolder:
        OnShowInFolder();
        break;
    case CmdDeleteToTrash:
        DeleteReceived(false);
        break;
    case CmdDeletePermanently:
        DeleteReceived(true);
        break;
    default:
        break;
    }
}

// ---- attachments --------------------------------------------------------

void CChatFilePanel::AddAttachments(const QStringList &paths)
{
    m_transfers.AddAttachments(paths);
}

void CChatFilePanel::OnAddFiles()
{
    emit userAction();
    const QString folder = m_config ? m_config->LASTOPEN_STR : QString();
    AddAttachments(Prompter::current().openFiles(
        window(), QStringLiteral("打开"), folder, Prompter::filterFromWindows(u"All Files (*.*)|*.*||")));
}

void CChatFilePanel::OnAddFolder()
{
    emit userAction();
    const QString folder = m_config ? m_config->LASTOPEN_STR : QString();
    const QString chosen = Prompter::current().chooseFolder(window(), QStringLiteral("增加文件夹:"), folder);
    if (!chosen.isEmpty())
        AddAttachments({ chosen });
}

void CChatFilePanel::OnRemoveAttachments()
{
    emit userAction();
    m_transfers.RemoveCheckedAttachments();
}
