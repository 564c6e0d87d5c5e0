#include "chat/session/FilePanelModel.h"

#include "core/FileUtil.h"
#include "core/PathUtil.h"
#include "core/SizeFormat.h"
#include "net/CFileOfferTable.h"
#include "net/PeerBounds.h"

#include <QDir>
#include <QHash>
#include <algorithm>

uint32_t FileRowTextColor(const FileInfoRecord &row)
{
    switch (row.status) {
    case ReceiveRowStatus::NotReceived:
        return row.failures >= 2 ? kRetriedRowColor : kOfferedRowColor;
    case ReceiveRowStatus::Receiving:
        return kReceivingRowColor;
    case ReceiveRowStatus::Received:
        break;
    }
    return kReceivedRowColor;
}

QStringList FileRowTexts(const FileInfoRecord &row, bool attachment)
{
    QStringList texts;
    texts << row.name << (row.isFile ? QStringLiteral("文件") : QStringLiteral("目录"));
    texts << (row.isFolder() && row.size == 0 ? QString() : FormatFileSize(qint64(qMin<quint64>(row.size, INT64_MAX))));
    texts << row.fullPath;
    if (!attachment)
        texts << (row.time.isValid() ? row.time.toString(QStringLiteral("HH:mm:ss")) : QString());
    return texts;
}

QStringList OfferedColumnTitles()
{
    return { QStringLiteral("名称"), QStringLiteral("类型"), QStringLiteral("大小"), QStringLiteral("保存路径名"),
        QStringLiteral("接收到的时间") };
}

QStringList AttachmentColumnTitles()
{
    return { QStringLiteral("名称"), QStringLiteral("类型"), QStringLiteral("大小"), QStringLiteral("路径") };
}

QString WithDefaultExtension(const QString &chosenPath, const QString &itemName, bool isFile)
{
    const QString extension = GetPathExtension(itemName);
    if (!isFile || extension.isEmpty() || !GetPathExtension(GetPathFileName(chosenPath)).isEmpty())
        return chosenPath;
    return chosenPath + QLatin1Char('.') + extension;
}

ShowInFolderPlan PlanShowInFolder(const QString &path)
{
    if (!path.contains(QLatin1Char(',')))
        return { path, true };
    return { GetParentDirectory(path).value_or(path), false };
}

// ---- offers -------------------------------------------------------------

bool OfferFitsBounds(qsizetype entries, const WaitingOfferedFiles &waiting)
{
    return entries <= PeerBounds::kOfferedFilesPerAddress - waiting.ofAddress
        && (entries <= PeerBounds::kOfferedFilesAlwaysListed - waiting.ofAddress
            || entries <= PeerBounds::kOfferedFiles - waiting.all);
}

int FilePanelModel::AddOffer(quint32 packetNumber, const DecodedFileList &entries, const QDateTime &now)
{
    if (entries.empty() || findOffer(packetNumber))
        return -1;
    QueuedOffer added;
    added.packetNumber = packetNumber;
    added.entries = entries;
    const int first = int(m_offered.size());
    // The rows before keep their places: only the new ones are numbered.
    const int position = int(m_offers.size()) + 1;
    m_offered.reserve(m_offered.size() + qsizetype(added.entries.size()));
    for (DecodedFileEntry &entry : added.entries) {
        entry.link = m_nextLink++;
        entry.pending = 0;
        FileInfoRecord row;
        row.isFile = entry.kind() != FILE_ATTR_FOLDER;
        row.name = entry.name;
        row.size = entry.size;
        row.packetNumber = packetNumber;
        row.fileId = entry.fileId;
        row.link = entry.link;
        row.queuePosition = position;
        row.time = now;
        m_offered.append(row);
    }
    m_offers.push_back(std::move(added));
    return first;
}

const QueuedOffer *FilePanelModel::findOffer(quint32 packetNumber) const
{
    for (const QueuedOffer &o : m_offers) {
        if (o.packetNumber == packetNumber)
            return &o;
    }
    return nullptr;
}

QueuedOffer *FilePanelModel::offer(quint32 packetNumber)
{
    return const_cast<QueuedOffer *>(findOffer(packetNumber));
}

int FilePanelModel::queuePosition(quint32 packetNumber) const
{
    for (size_t i = 0; i < m_offers.size(); ++i) {
        if (m_offers[i].packetNumber == packetNumber)
            return int(i) + 1;
    }
    return 0;
}

void FilePanelModel::MakeCurrent(quint32 packetNumber)
{
    const int position = queuePosition(packetNumber);
    if (position > 1) {
        std::swap(m_offers.front(), m_offers[size_t(position - 1)]);
        renumber();
    }
}

std::optional<OfferRelease> FilePanelModel::EndCurrentOffer()
{
    if (m_offers.empty())
        return std::nullopt;
    const QueuedOffer ended = std::move(m_offers.front());
    m_offers.pop_front();
    m_offered.removeIf([&](const FileInfoRecord &r) { return r.packetNumber == ended.packetNumber; });
    renumber();
    return OfferRelease { ended.packetNumber, ended.rejected || !ended.entries.empty() };
}

void FilePanelModel::renumber()
{
    // One pass over the offers and one over the rows, however many of each.
    QHash<quint32, int> positions;
    positions.reserve(qsizetype(m_offers.size()));
    for (size_t i = 0; i < m_offers.size(); ++i)
        positions.insert(m_offers[i].packetNumber, int(i) + 1);
    for (FileInfoRecord &row : m_offered)
        row.queuePosition = positions.value(row.packetNumber);
}

// ---- offered rows -------------------------------------------------------

int FilePanelModel::findOfferedRow(quint32 packetNumber, quint32 fileId) const
{
    for (int i = 0; i < m_offered.size(); ++i) {
        if (m_offered[i].packetNumber == packetNumber && m_offered[i].fileId == fileId)
            return i;
    }
    return -1;
}

bool FilePanelModel::hasReceivingRow() const
{
    return std::any_of(m_offered.begin(), m_offered.end(),
        [](const FileInfoRecord &r) { return r.status == ReceiveRowStatus::Receiving; });
}

bool FilePanelModel::hasWaitingRow() const
{
    return std::any_of(m_offered.begin(), m_offered.end(),
        [](const FileInfoRecord &r) { return r.status == ReceiveRowStatus::NotReceived; });
}

bool FilePanelModel::SetOfferRowStatus(
    quint32 packetNumber, quint32 fileId, ReceiveRowStatus status, const QDateTime &now)
{
    const int index = findOfferedRow(packetNumber, fileId);
    if (index < 0)
        return false;
    FileInfoRecord &row = m_offered[index];
    if (status == ReceiveRowStatus::NotReceived && row.status == ReceiveRowStatus::Receiving)
        ++row.failures;
    row.status = status;
    if (status != ReceiveRowStatus::Received)
        return true;
    FileInfoRecord received = m_offered.takeAt(index);
    received.time = now;
    received.queuePosition = 0;
    m_received.prepend(received);
    if (QueuedOffer *o = offer(packetNumber)) {
        const qsizetype entry = FindFileIndex(o->entries, fileId);
        if (entry >= 0)
            RemoveDecodedFileEntry(o->entries, entry);
    }
    return true;
}

bool FilePanelModel::SetOfferRowPath(quint32 packetNumber, quint32 fileId, const QString &path)
{
    const int index = findOfferedRow(packetNumber, fileId);
    if (index < 0)
        return false;
    m_offered[index].fullPath = path;
    m_offered[index].name = GetPathFileName(path);
    return true;
}

bool FilePanelModel::RejectOfferedRow(int row)
{
    if (row < 0 || row >= m_offered.size() || m_offered[row].status != ReceiveRowStatus::NotReceived)
        return false;
    const FileInfoRecord gone = m_offered.takeAt(row);
    if (QueuedOffer *o = offer(gone.packetNumber)) {
        const qsizetype entry = FindFileIndex(o->entries, gone.fileId);
        if (entry >= 0)
            RemoveDecodedFileEntry(o->entries, entry);
        o->rejected = true;
    }
    return true;
}

// ---- receive plans ------------------------------------------------------

FileReceiveJob FilePanelModel::makeJob(const FileInfoRecord &row, const DecodedFileEntry &entry, const QString &path,
    quint32 peerAddress, quint16 peerPort) const
{
    FileReceiveJob job;
    job.packetNumber = row.packetNumber;
    job.entry = entry;
    job.entry.name = GetPathFileName(path);
    job.targetPath = path;
    job.peerAddress = peerAddress;
    job.peerPort = peerPort;
    return job;
}

QList<FileReceiveJob> FilePanelModel::PlanReceiveAll(const QString &chosenPath, quint32 peerAddress, quint16 peerPort)
{
    QList<FileReceiveJob> jobs;
    const std::optional<QString> folder = GetParentDirectory(chosenPath);
    if (m_offers.empty() || !folder)
        return jobs;
    for (FileInfoRecord &row : m_offered) {
        if (row.status == ReceiveRowStatus::NotReceived)
            row.fullPath = JoinPath(*folder, row.name);
    }
    const QueuedOffer &current = m_offers.front();
    for (const DecodedFileEntry &entry : current.entries) {
        const int index = findOfferedRow(current.packetNumber, entry.fileId);
        if (index < 0 || m_offered[index].status != ReceiveRowStatus::NotReceived)
            continue;
        FileInfoRecord &row = m_offered[index];
        if (jobs.isEmpty()) {
            row.fullPath = chosenPath;
            row.name = GetPathFileName(chosenPath);
        }
        jobs.append(makeJob(row, entry, row.fullPath, peerAddress, peerPort));
    }
    return jobs;
}

std::optional<FileReceiveJob> FilePanelModel::PlanReceiveRow(
    int row, const QString &chosenPath, quint32 peerAddress, quint16 peerPort)
{
    if (row < 0 || row >= m_offered.size() || m_offered[row].status != ReceiveRowStatus::NotReceived)
        return std::nullopt;
    FileInfoRecord &r = m_offered[row];
    const QueuedOffer *o = findOffer(r.packetNumber);
    const qsizetype entry = o ? FindFileIndex(o->entries, r.fileId) : -1;
    if (entry < 0)
        return std::nullopt;
    r.fullPath = chosenPath;
    r.name = GetPathFileName(chosenPath);
    return makeJob(r, o->entries[size_t(entry)], chosenPath, peerAddress, peerPort);
}

// ---- received rows ------------------------------------------------------

int FilePanelModel::ClearReceived()
{
    return int(m_received.removeIf([](const FileInfoRecord &r) { return r.status == ReceiveRowStatus::Received; }));
}

bool FilePanelModel::RemoveReceivedRow(int row)
{
    if (row < 0 || row >= m_received.size())
        return false;
    m_received.removeAt(row);
    return true;
}

// ---- attachments --------------------------------------------------------

FilePanelModel::AddResult FilePanelModel::AddAttachment(const QString &source, const QDateTime &now)
{
    if (source.isEmpty())
        return AddResult::Unreadable;
    const QString path = QDir::cleanPath(source);
    for (const FileInfoRecord &r : m_attachments) {
        if (r.fullPath == path)
            return AddResult::Duplicate;
    }
    const std::optional<FileInformation> info = GetFileInformation(path);
    if (!info)
        return AddResult::Unreadable;
    FileInfoRecord row;
    row.isFile = !info->isDirectory();
    row.name = PathToDisplayName(path);
    row.fullPath = path;
    row.size = info->size;
    row.time = info->modified.isValid() ? info->modified : now;
    row.checked = true;
    m_attachments.append(row);
    return AddResult::Added;
}

bool FilePanelModel::SetAttachmentChecked(int row, bool checked)
{
    if (row < 0 || row >= m_attachments.size())
        return false;
    m_attachments[row].checked = checked;
    return true;
}

int FilePanelModel::RemoveCheckedAttachments()
{
    return int(m_attachments.removeIf([](const FileInfoRecord &r) { return r.checked; }));
}

QStringList FilePanelModel::CheckedAttachments(int *files, int *folders) const
{
    QStringList paths;
    int fileCount = 0;
    for (const FileInfoRecord &r : m_attachments) {
        if (!r.checked)
            continue;
        paths << r.fullPath;
        fileCount += r.isFile ? 1 : 0;
    }
    if (files)
        *files = fileCount;
    if (folders)
        *folders = int(paths.size()) - fileCount;
    return paths;
}

void FilePanelModel::AttachmentsSent()
{
    RemoveCheckedAttachments();
    for (FileInfoRecord &r : m_attachments)
        r.checked = false;
}

// ---- what our messages offered the peer ---------------------------------

bool OutgoingRow::isComplete() const
{
    return status == TransferReceived;
}

QStringList OutgoingRowTexts(const OutgoingRow &row)
{
    FileInfoRecord shown;
    shown.isFile = row.isFile;
    shown.name = row.name;
    shown.size = row.size;
    shown.fullPath = row.stateText;
    return FileRowTexts(shown, true);
}

QString OutgoingRowBadge(const OutgoingRow &row)
{
    switch (row.status) {
    case TransferWaiting:
        return QStringLiteral("等待");
    case TransferReceived:
        return QStringLiteral("完成");
    default:
        return QStringLiteral("%1%").arg(std::max(row.percent, 0));
    }
}

void FilePanelModel::AddOutgoing(quint32 packetNumber, const std::vector<OfferedFile> &entries)
{
    for (const OfferedFile &entry : entries) {
        OutgoingRow row;
        row.packetNumber = packetNumber;
        row.fileId = entry.fileId;
        row.fullPath = entry.path;
        row.name = PathToDisplayName(entry.path);
        row.isFile = !entry.isFolder();
        row.size = entry.size;
        row.status = TransferWaiting;
        row.stateText = CFileOfferTable::StatusText(TransferWaiting);
        m_outgoing.append(row);
    }
    if (m_outgoing.size() > kOutgoingRowsKept)
        m_outgoing.remove(0, m_outgoing.size() - kOutgoingRowsKept);
}

int FilePanelModel::outgoingRow(quint32 packetNumber, quint32 fileId) const
{
    for (int i = 0; i < m_outgoing.size(); ++i) {
        if (m_outgoing[i].packetNumber == packetNumber && m_outgoing[i].fileId == fileId)
            return i;
    }
    return -1;
}

int FilePanelModel::SetOutgoingStatus(quint32 packetNumber, quint32 fileId, quint8 status)
{
    const int i = outgoingRow(packetNumber, fileId);
    if (i < 0)
        return -1;
    OutgoingRow &row = m_outgoing[i];
    row.status = status;
    row.stateText = CFileOfferTable::StatusText(status);
    if (status == TransferReceived)
        row.percent = 100;
    else if (status == TransferWaiting)
        row.percent = -1;
    return i;
}

int FilePanelModel::SetOutgoingProgress(quint32 packetNumber, quint32 fileId, int percent, const QString &text)
{
    const int i = outgoingRow(packetNumber, fileId);
    if (i < 0 || m_outgoing[i].isComplete())
        return -1;
    m_outgoing[i].percent = std::clamp(percent, -1, 100);
    m_outgoing[i].stateText = text;
    return i;
}

bool FilePanelModel::DropUnfinishedOutgoing(quint32 packetNumber)
{
    return m_outgoing.removeIf([&](const OutgoingRow &row) {
        return row.packetNumber == packetNumber && !row.isComplete();
    }) > 0;
}
