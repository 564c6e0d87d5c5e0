#include "chat/session/ChatFileTransfers.h"

#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/FileReceiver.h"

#include <QDateTime>

// The questions of the receiver go to the window's dialogs while one is set,
// else to the current prompter.
class ChatFileTransfers::Prompts : public ReceivePrompts
{
public:
    OverwriteChoice askOverwrite(const QString &text) override
    {
        return target ? target->askOverwrite(text) : fallback.askOverwrite(text);
    }
    QString chooseSavePath(const QString &suggestion) override
    {
        return target ? target->chooseSavePath(suggestion) : fallback.chooseSavePath(suggestion);
    }

    ReceivePrompts *target = nullptr;
    PrompterReceivePrompts fallback;
};

ChatFileTransfers::ChatFileTransfers(HostPtr peer, CNetManager *net, CConfig *config, QObject *parent)
    : QObject(parent)
    , m_peer(std::move(peer))
    , m_net(net)
    , m_config(config)
    , m_prompts(std::make_unique<Prompts>())
{
    if (!m_net) {
        // Without the engine nothing is requested or released; the receiver
        // still needs a manager to build requests with.
        m_ownNet = std::make_unique<CNetManager>();
    }
    m_receiver = std::make_unique<FileReceiver>(m_net ? *m_net : *m_ownNet, m_config, m_prompts.get());
    connect(m_receiver.get(), &FileReceiver::progressChanged, this, &ChatFileTransfers::onProgress);
    connect(m_receiver.get(), &FileReceiver::systemText, this, [this](const QString &text) {
        m_lastNotice = text;
        emit systemText(text);
    });
    connect(m_receiver.get(), &FileReceiver::messageBox, this, &ChatFileTransfers::messageBox);
    connect(m_receiver.get(), &FileReceiver::itemStatusChanged, this, &ChatFileTransfers::onStatusChanged);
    connect(m_receiver.get(), &FileReceiver::itemPathChanged, this, &ChatFileTransfers::onPathChanged);
    connect(m_receiver.get(), &FileReceiver::jobFinished, this,
        [this](const FileReceiveJob &job) { m_lastPacket = job.packetNumber; });
    connect(m_receiver.get(), &FileReceiver::batchFinished, this,
        [this](bool complete, bool) { onBatchFinished(complete); });
}

ChatFileTransfers::~ChatFileTransfers()
{
    // The receiver stops its worker and waits for it before the rows go.
    m_receiver->disconnect(this);
    m_receiver.reset();
}

void ChatFileTransfers::setPrompts(ReceivePrompts *prompts)
{
    m_prompts->target = prompts;
}

bool ChatFileTransfers::isReceiving() const
{
    return m_receiver->isRunning() || m_receiver->queuedCount() > 0;
}

bool ChatFileTransfers::busy() const
{
    return isReceiving() || m_model.hasReceivingRow();
}

void ChatFileTransfers::release(const OfferRelease &release)
{
    if (release.notifyPeer && m_net && m_peer) {
        m_net->SendNumber(*m_peer, CMD_RELEASE_FILES, release.packetNumber);
        emit offerReleased(release.packetNumber);
    }
}

// ---- offers -------------------------------------------------------------

int ChatFileTransfers::AddReceivedOffer(quint32 packetNumber, const DecodedFileList &files)
{
    const int first = m_model.AddOffer(packetNumber, files, QDateTime::currentDateTime());
    if (first < 0)
        return -1;
    emit offeredRowsChanged(first);
    emit receiveStateChanged();
    return first;
}

bool ChatFileTransfers::ReceiveAll(const QString &chosenPath)
{
    const QueuedOffer *current = m_model.currentOffer();
    if (busy() || !current || current->entries.empty() || chosenPath.isEmpty())
        return false;
    const HostKey peer = m_peer ? m_peer->key : HostKey();
    const QList<FileReceiveJob> jobs = m_model.PlanReceiveAll(chosenPath, peer.address, peer.port);
    emit offeredRowsChanged(-1);
    if (!jobs.isEmpty())
        m_receiver->ReceiveAll(jobs);
    emit receiveStateChanged();
    return !jobs.isEmpty();
}

void ChatFileTransfers::MakeRowCurrent(int row)
{
    if (row >= 0 && row < m_model.offeredRows().size())
        m_model.MakeCurrent(m_model.offeredRows()[row].packetNumber);
}

bool ChatFileTransfers::ReceiveRow(int row, const QString &chosenPath)
{
    if (busy() || row < 0 || row >= m_model.offeredRows().size() || chosenPath.isEmpty()
        || m_model.offeredRows()[row].status != ReceiveRowStatus::NotReceived)
        return false;
    MakeRowCurrent(row);
    const HostKey peer = m_peer ? m_peer->key : HostKey();
    const std::optional<FileReceiveJob> job = m_model.PlanReceiveRow(row, chosenPath, peer.address, peer.port);
    emit offeredRowsChanged(-1);
    if (job)
        m_receiver->Receive(*job);
    emit receiveStateChanged();
    return job.has_value();
}

bool ChatFileTransfers::RejectRow(int row)
{
    if (busy() || row < 0 || row >= m_model.offeredRows().size()
        || m_model.offeredRows()[row].status != ReceiveRowStatus::NotReceived)
        return false;
    MakeRowCurrent(row);
    m_model.RejectOfferedRow(row);
    emit offeredRowsChanged(-1);
    if (m_model.currentOffer() && m_model.currentOffer()->entries.empty())
        EndReceiveMode();
    emit receiveStateChanged();
    checkSettled();
    return true;
}

bool ChatFileTransfers::RejectCurrentOffer()
{
    if (busy())
        return false;
    if (const std::optional<OfferRelease> r = m_model.EndCurrentOffer())
        release(*r);
    emit offeredRowsChanged(-1);
    emit receiveStateChanged();
    checkSettled();
    return m_model.offerCount() > 0;
}

void ChatFileTransfers::StopTransfer()
{
    if (isReceiving())
        m_receiver->Cancel();
}

void ChatFileTransfers::ReleaseAllOffers()
{
    if (isReceiving())
        m_receiver->Cancel();
    while (const std::optional<OfferRelease> r = m_model.EndCurrentOffer())
        release(*r);
    emit offeredRowsChanged(-1);
    emit receiveStateChanged();
}

void ChatFileTransfers::EndReceiveMode()
{
    if (const std::optional<OfferRelease> r = m_model.EndCurrentOffer())
        release(*r);
    emit offeredRowsChanged(-1);
    emit receiveStateChanged();
    if (m_model.offerCount() > 0 && m_model.hasWaitingRow())
        emit moreOffersWaiting();
}

// ---- what the receiver reports ------------------------------------------

void ChatFileTransfers::onStatusChanged(quint32 packetNumber, quint32 fileId, ReceiveRowStatus status)
{
    if (!m_model.SetOfferRowStatus(packetNumber, fileId, status, QDateTime::currentDateTime()))
        return;
    emit offeredRowsChanged(-1);
    if (status == ReceiveRowStatus::Received)
        emit receivedRowsChanged();
}

void ChatFileTransfers::onPathChanged(quint32 packetNumber, quint32 fileId, const QString &path)
{
    if (m_model.SetOfferRowPath(packetNumber, fileId, path))
        emit offeredRowsChanged(-1);
}

void ChatFileTransfers::onProgress(const ReceiveProgress &progress)
{
    m_progressPercent = progress.percent >= 0 && progress.percent <= 100 ? progress.percent : -1;
    m_progressText = m_progressPercent >= 0 ? progress.text : QString();
    emit progressChanged(m_progressPercent, m_progressText);
    emit receiveStateChanged();
}

void ChatFileTransfers::onBatchFinished(bool complete)
{
    emit receiveStateChanged();
    if (complete) {
        // Every item of the offer arrived: it leaves the queue, and the next
        // offer's question is asked from the event loop, not from inside the
        // receiver's report.
        const quint32 packetNumber = m_lastPacket;
        QMetaObject::invokeMethod(
            this,
            [this, packetNumber] {
                const QueuedOffer *offer = m_model.findOffer(packetNumber);
                if (offer && offer->entries.empty()) {
                    m_model.MakeCurrent(packetNumber);
                    EndReceiveMode();
                }
                checkSettled();
            },
            Qt::QueuedConnection);
        return;
    }
    checkSettled();
}

void ChatFileTransfers::checkSettled()
{
    if (!isReceiving() && !hasWaitingOffers())
        emit settled();
}

// ---- received rows ------------------------------------------------------

int ChatFileTransfers::ClearReceived()
{
    const int removed = m_model.ClearReceived();
    emit receivedRowsChanged();
    return removed;
}

bool ChatFileTransfers::RemoveReceivedRow(int row)
{
    if (!m_model.RemoveReceivedRow(row))
        return false;
    emit receivedRowsChanged();
    return true;
}

// ---- attachments --------------------------------------------------------

bool ChatFileTransfers::AddAttachments(const QStringList &paths)
{
    bool added = false;
    for (const QString &path : paths)
        added |= m_model.AddAttachment(path, QDateTime::currentDateTime()) == FilePanelModel::AddResult::Added;
    if (added)
        emit attachmentRowsChanged();
    return added;
}

bool ChatFileTransfers::SetAttachmentChecked(int row, bool checked)
{
    return m_model.SetAttachmentChecked(row, checked);
}

int ChatFileTransfers::RemoveCheckedAttachments()
{
    const int removed = m_model.RemoveCheckedAttachments();
    if (removed > 0)
        emit attachmentRowsChanged();
    return removed;
}

QStringList ChatFileTransfers::CheckedAttachments(int *files, int *folders) const
{
    return m_model.CheckedAttachments(files, folders);
}

void ChatFileTransfers::AttachmentsSent()
{
    m_model.AttachmentsSent();
    emit attachmentRowsChanged();
}

// ---- what our messages offered the peer ---------------------------------

void ChatFileTransfers::AddOutgoing(quint32 packetNumber, const std::vector<OfferedFile> &entries)
{
    if (entries.empty())
        return;
    m_model.AddOutgoing(packetNumber, entries);
    emit outgoingRowsChanged();
}

void ChatFileTransfers::SetOutgoingStatus(quint32 packetNumber, quint32 fileId, quint8 status)
{
    if (const int row = m_model.SetOutgoingStatus(packetNumber, fileId, status); row >= 0)
        emit outgoingRowChanged(row);
}

void ChatFileTransfers::SetOutgoingProgress(quint32 packetNumber, quint32 fileId, int percent, const QString &text)
{
    if (const int row = m_model.SetOutgoingProgress(packetNumber, fileId, percent, text); row >= 0)
        emit outgoingRowChanged(row);
}

void ChatFileTransfers::OutgoingOfferGone(quint32 packetNumber)
{
    if (m_model.DropUnfinishedOutgoing(packetNumber))
        emit outgoingRowsChanged();
}
