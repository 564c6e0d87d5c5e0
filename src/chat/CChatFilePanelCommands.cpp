// The commands of the file panel: receiving, rejecting and releasing offers,
// the received files and the attachments.
#include "chat/CChatFilePanel.h"

#include "core/CConfig.h"
#include "core/PathUtil.h"
#include "core/Prompter.h"
#include "net/CNetManager.h"
#include "net/FileReceiver.h"
#include "platform/DesktopServices.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QTreeWidget>

namespace {

namespace Id = FilePanelId;

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

bool CChatFilePanel::isReceiving() const
{
    return m_receiver->isRunning() || m_receiver->queuedCount() > 0;
}

bool CChatFilePanel::busy() const
{
    return isReceiving() || m_model.hasReceivingRow();
}

// ---- offers -------------------------------------------------------------

int CChatFilePanel::AddReceivedOffer(quint32 packetNumber, const DecodedFileList &files)
{
    const int first = m_model.AddOffer(packetNumber, files, QDateTime::currentDateTime());
    if (first < 0)
        return 0;
    FillOfferedList();
    if (QTreeWidgetItem *item = m_offeredList->topLevelItem(first))
        m_offeredList->scrollToItem(item);
    updateReceiveButtons();
    return int(m_model.offeredRows().size()) - first;
}

void CChatFilePanel::updateReceiveButtons()
{
    const bool waiting = m_model.offerCount() > 0 && m_model.hasWaitingRow();
    enableControl(Id::ReceiveAll, waiting && !busy());
    enableControl(Id::RejectAll, waiting && !busy());
    enableControl(Id::StopTransfer, m_progressShown || isReceiving());
}

void CChatFilePanel::release(const OfferRelease &release)
{
    if (release.notifyPeer && m_context.net && m_context.peer)
        m_context.net->SendNumber(*m_context.peer, CMD_RELEASE_FILES, release.packetNumber);
}

void CChatFilePanel::ReleaseAllOffers()
{
    if (isReceiving())
        m_receiver->Cancel();
    while (const std::optional<OfferRelease> r = m_model.EndCurrentOffer())
        release(*r);
    FillOfferedList();
    updateReceiveButtons();
}

void CChatFilePanel::EndReceiveMode()
{
    if (const std::optional<OfferRelease> r = m_model.EndCurrentOffer())
        release(*r);
    FillOfferedList();
    updateReceiveButtons();
    if (m_model.offerCount() == 0 || !m_model.hasWaitingRow())
        return;
    if (ask(QStringLiteral("您还有未接收的文件,您是否继续全部接收?")))
        OnReceiveAll();
}

QString CChatFilePanel::chooseTarget(const QString &name, bool isFile)
{
    const QString folder = m_context.config && !m_context.config->LASTOPEN_STR.isEmpty()
        ? m_context.config->LASTOPEN_STR
        : QDir::homePath();
    const QString chosen = Prompter::current().saveFile(window(), QStringLiteral("另存为"), JoinPath(folder, name),
        Prompter::filterFromWindows(u"All Files (*.*)|*.*||"));
    if (chosen.isEmpty())
        return QString();
    const QString path = WithDefaultExtension(chosen, name, isFile);
    // The dialog asked about the name as typed; the added extension may name
    // another file that exists.
    if (path != chosen && QFileInfo::exists(path) && !ask(OverwriteQuestion(path)))
        return QString();
    if (m_context.config)
        m_context.config->LASTOPEN_STR = GetParentDirectory(path).value_or(QString());
    return path;
}

void CChatFilePanel::OnReceiveAll()
{
    emit userAction();
    const QueuedOffer *current = m_model.currentOffer();
    if (busy() || !current || current->entries.empty())
        return;
    const DecodedFileEntry &first = current->entries.front();
    const QString path = chooseTarget(first.name, first.kind() != FILE_ATTR_FOLDER);
    if (path.isEmpty())
        return;
    const HostKey peer = m_context.peer ? m_context.peer->key : HostKey();
    const QList<FileReceiveJob> jobs = m_model.PlanReceiveAll(path, peer.address, peer.port);
    FillOfferedList();
    if (!jobs.isEmpty())
        m_receiver->ReceiveAll(jobs);
    updateReceiveButtons();
}

void CChatFilePanel::OnReceiveSelected()
{
    emit userAction();
    const int row = m_selectedOffered;
    if (busy() || row < 0 || row >= m_model.offeredRows().size())
        return;
    const FileInfoRecord chosen = m_model.offeredRows()[row];
    if (chosen.status != ReceiveRowStatus::NotReceived)
        return;
    m_model.MakeCurrent(chosen.packetNumber);
    const QString path = chooseTarget(chosen.name, chosen.isFile);
    if (path.isEmpty())
        return;
    const HostKey peer = m_context.peer ? m_context.peer->key : HostKey();
    const std::optional<FileReceiveJob> job = m_model.PlanReceiveRow(row, path, peer.address, peer.port);
    FillOfferedList();
    if (job)
        m_receiver->Receive(*job);
    updateReceiveButtons();
}

void CChatFilePanel::OnRejectSelected()
{
    emit userAction();
    const int row = m_selectedOffered;
    if (busy() || row < 0 || row >= m_model.offeredRows().size()
        || m_model.offeredRows()[row].status != ReceiveRowStatus::NotReceived)
        return;
    if (!ask(QStringLiteral("您是否真的要拒收您选中的这文件？")))
        return;
    const quint32 packetNumber = m_model.offeredRows()[row].packetNumber;
    m_model.MakeCurrent(packetNumber);
    m_model.RejectOfferedRow(row);
    FillOfferedList();
    if (m_model.currentOffer() && m_model.currentOffer()->entries.empty())
        EndReceiveMode();
    updateReceiveButtons();
}

void CChatFilePanel::OnRejectAll(bool askFirst)
{
    emit userAction();
    if (busy() || m_model.offerCount() == 0)
        return;
    if (askFirst && !ask(QStringLiteral("您是否真的要拒收全部文件？")))
        return;
    while (const std::optional<OfferRelease> r = m_model.EndCurrentOffer()) {
        release(*r);
        FillOfferedList();
        if (m_model.offerCount() == 0 || !ask(QStringLiteral("您还有未接收的文件,您是否继续全部拒收?")))
            break;
    }
    updateReceiveButtons();
}

void CChatFilePanel::OnStopTransfer()
{
    emit userAction();
    if (isReceiving())
        m_receiver->Cancel();
}

// ---- what the receiver reports ------------------------------------------

void CChatFilePanel::onStatusChanged(quint32 packetNumber, quint32 fileId, ReceiveRowStatus status)
{
    if (!m_model.SetOfferRowStatus(packetNumber, fileId, status, QDateTime::currentDateTime()))
        return;
    FillOfferedList();
    if (status == ReceiveRowStatus::Received)
        FillReceivedList();
}

void CChatFilePanel::onPathChanged(quint32 packetNumber, quint32 fileId, const QString &path)
{
    if (m_model.SetOfferRowPath(packetNumber, fileId, path))
        FillOfferedList();
}

void CChatFilePanel::onProgress(const ReceiveProgress &progress)
{
    SetProgress(progress.percent, progress.text);
}

void CChatFilePanel::onSystemText(const QString &text)
{
    m_lastNotice = text;
    emit systemText(text);
}

void CChatFilePanel::onBatchFinished(bool complete)
{
    updateReceiveButtons();
    if (!complete)
        return;
    // Every item of the offer arrived: it leaves the queue, and the next
    // offer's question is asked from the event loop, not from inside the
    // receiver's report.
    const quint32 packetNumber = m_lastPacket;
    QMetaObject::invokeMethod(
        this,
        [this, packetNumber] {
            const QueuedOffer *offer = m_model.findOffer(packetNumber);
            if (!offer || !offer->entries.empty())
                return;
            m_model.MakeCurrent(packetNumber);
            EndReceiveMode();
        },
        Qt::QueuedConnection);
}

void CChatFilePanel::SetProgress(int percent, const QString &text)
{
    m_progressShown = percent >= 0 && percent <= 100;
    if (m_progressShown) {
        m_progress->setValue(percent);
        m_progress->setFormat(text);
    } else {
        m_progress->setValue(0);
        m_progress->setFormat(QString());
    }
    applyLayout();
    updateReceiveButtons();
}

// ---- received files -----------------------------------------------------

void CChatFilePanel::OnShowInFolder()
{
    emit userAction();
    if (m_selectedReceived < 0 || m_selectedReceived >= m_model.receivedRows().size())
        return;
    const ShowInFolderPlan plan = PlanShowInFolder(m_model.receivedRows()[m_selectedReceived].fullPath);
    if (plan.selectItem)
        DesktopServices::current().showInFolder(plan.path);
    else
        DesktopServices::current().openPath(plan.path);
}

void CChatFilePanel::OnOpenReceived()
{
    emit userAction();
    if (m_selectedReceived >= 0 && m_selectedReceived < m_model.receivedRows().size())
        DesktopServices::current().openPath(m_model.receivedRows()[m_selectedReceived].fullPath);
}

void CChatFilePanel::OnClearReceived()
{
    emit userAction();
    m_model.ClearReceived();
    FillReceivedList();
    if (m_offeredList->topLevelItemCount() == 0 && m_model.receivedRows().isEmpty())
        setFileListsShown(false);
}

void CChatFilePanel::DeleteReceived(bool permanently)
{
    emit userAction();
    const int row = m_selectedReceived;
    if (row < 0 || row >= m_model.receivedRows().size())
        return;
    const FileInfoRecord &entry = m_model.receivedRows()[row];
    const QFileInfo info(entry.fullPath);
    const bool folder = info.isDir() && !info.isSymLink();
    const QString question = permanently ? (folder ? QStringLiteral("您是否真的要永久删除此文件夹.文件夹名为 %1")
                                                   : QStringLiteral("您是否真的要永久删除此文件.文件名为 %1"))
                                         : (folder ? QStringLiteral("您是否真的要删除此文件夹.文件夹名为 %1")
                                                   : QStringLiteral("您是否真的要删除此文件.文件名为 %1"));
    if (!ask(question.arg(entry.fullPath)))
        return;
    bool deleted = false;
    if (!permanently)
        deleted = QFile::moveToTrash(entry.fullPath);
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
    m_model.RemoveReceivedRow(row);
    FillReceivedList();
}

QMenu *CChatFilePanel::CreateOfferedMenu()
{
    const int row = m_selectedOffered;
    if (row < 0 || row >= m_model.offeredRows().size()
        || m_model.offeredRows()[row].status != ReceiveRowStatus::NotReceived || busy())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->addAction(QStringLiteral("接收(&A)"))->setData(int(CmdReceive));
    menu->addAction(QStringLiteral("取消(&C)"))->setData(int(CmdReject));
    return menu;
}

QMenu *CChatFilePanel::CreateReceivedMenu()
{
    if (m_selectedReceived < 0 || m_selectedReceived >= m_model.receivedRows().size())
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
    bool added = false;
    for (const QString &path : paths)
        added |= m_model.AddAttachment(path, QDateTime::currentDateTime()) == FilePanelModel::AddResult::Added;
    if (!added)
        return;
    FillAttachmentList();
    emit attachmentsChanged(int(m_model.CheckedAttachments().size()));
}

void CChatFilePanel::OnAddFiles()
{
    emit userAction();
    const QString folder = m_context.config ? m_context.config->LASTOPEN_STR : QString();
    AddAttachments(Prompter::current().openFiles(
        window(), QStringLiteral("打开"), folder, Prompter::filterFromWindows(u"All Files (*.*)|*.*||")));
}

void CChatFilePanel::OnAddFolder()
{
    emit userAction();
    const QString folder = m_context.config ? m_context.config->LASTOPEN_STR : QString();
    const QString chosen = Prompter::current().chooseFolder(window(), QStringLiteral("增加文件夹:"), folder);
    if (!chosen.isEmpty())
        AddAttachments({ chosen });
}

void CChatFilePanel::OnRemoveAttachments()
{
    emit userAction();
    if (m_model.RemoveCheckedAttachments() == 0)
        return;
    FillAttachmentList();
    emit attachmentsChanged(int(m_model.CheckedAttachments().size()));
}

QStringList CChatFilePanel::attachmentsToSend(int *files, int *folders) const
{
    return m_model.CheckedAttachments(files, folders);
}

void CChatFilePanel::AttachmentsSent()
{
    m_model.AttachmentsSent();
    FillAttachmentList();
    emit attachmentsChanged(0);
}
