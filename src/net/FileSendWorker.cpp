#include "net/FileSendWorker.h"

#include "net/Commands.h"
#include "net/FolderHeader.h"
#include "net/TransferSocket.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileSendLimits FileSendLimits::ForOpenFiles(quint64 openFiles)
{
    // Keep a reserve for the program itself and half of the rest for the
    // files and folders that the sends open beside their connections.
    constexpr quint64 kReserve = 256;
    FileSendLimits limits;
    const quint64 room = openFiles > kReserve ? (openFiles - kReserve) / 2 : 0;
    limits.maxConnections = int(qBound<quint64>(16, room, quint64(limits.maxConnections)));
    limits.maxPerAddress = qMin(limits.maxPerAddress, limits.maxConnections);
    return limits;
}

FileSendWorker::FileSendWorker(UniqueFd socket, const FileRequest &request, quint32 peerAddress,
    std::vector<OfferSnapshot> offers, const FileSendLimits &limits, Reports reports)
    : m_socket(std::move(socket))
    , m_request(request)
    , m_peer(peerAddress)
    , m_offers(std::move(offers))
    , m_limits(limits)
    , m_reports(std::move(reports))
{
    m_state.packetNumber = request.packetNumber;
    m_state.fileId = request.fileId;
    m_state.address = peerAddress;
    m_state.folder = request.folder;
}

void FileSendWorker::run(const std::atomic<bool> &stop)
{
    TransferSocket socket(m_socket.release(), m_limits.idleTimeoutMs, stop);
    m_state.status = socket.isValid() ? serve(socket) : ServeStatus::SendFailed;
    if (m_state.status == ServeStatus::Done)
        socket.finish(m_limits.lingerMs);
    if (stop.load() && m_state.status != ServeStatus::Done)
        m_state.status = ServeStatus::Cancelled;
    m_state.elapsedMs = m_clock.isValid() ? m_clock.elapsed() : 0;
    m_reports.finished(m_state);
}

ServeStatus FileSendWorker::serve(TransferSocket &socket)
{
    const OfferedFile *entry = nullptr;
    const OfferSnapshot::Recipient *recipient = nullptr;
    const ServeStatus checked = CheckFileRequest(m_offers, m_request, m_peer, entry, recipient);
    if (checked != ServeStatus::Running)
        return checked;
    m_state.port = recipient->port;
    return m_request.folder ? sendFolder(socket, *entry) : sendFile(socket, *entry, m_request.offset);
}

void FileSendWorker::begin()
{
    m_clock.start();
    m_state.started = true;
    m_reports.started(m_state);
}

void FileSendWorker::sent(quint64 bytes)
{
    m_state.bytesDone += bytes;
    const qint64 now = m_clock.elapsed();
    if (now - m_lastReport >= m_limits.progressIntervalMs) {
        m_lastReport = now;
        m_state.elapsedMs = now;
        m_reports.progress(m_state);
    }
}

ServeStatus FileSendWorker::sendFile(TransferSocket &socket, const OfferedFile &entry, quint64 offset)
{
    // The offered path itself must still be the regular file, not a link
    // put in its place.
    const UniqueFd file(
        ::open(QFile::encodeName(entry.path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!file.isValid() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ServeStatus::OpenFailed;
    const quint64 size = quint64(st.st_size);
    if (offset > size)
        return ServeStatus::BadOffset;
    m_state.bytesTotal = size - offset;
    begin();
    if (!socket.sendFile(file.get(), offset, size - offset, [this](quint64 n) { sent(n); }))
        return ServeStatus::SendFailed;
    m_state.filesDone = 1;
    return ServeStatus::Done;
}

ServeStatus FileSendWorker::sendFolder(TransferSocket &socket, const OfferedFile &entry)
{
    const UniqueFd folder = OpenFolder(entry.path);
    struct stat st;
    if (!folder.isValid() || ::fstat(folder.get(), &st) != 0)
        return ServeStatus::OpenFailed;
    m_state.bytesTotal = entry.size;
    begin();
    if (!sendFolderTree(socket, folder.get(), entry.name(), ClampUnixTime(st.st_mtime), 1))
        return ServeStatus::SendFailed;
    return ServeStatus::Done;
}

bool FileSendWorker::sendHeader(
    TransferSocket &socket, const QString &name, quint64 size, quint32 attributes, quint32 mtime)
{
    const auto header = BuildFolderHeader(name, size, attributes, mtime);
    return header && socket.sendAll(*header, true);
}

// The folder's own header, its items, and the entry that leaves it again.
// Items that cannot be opened, or whose names a peer would refuse, are left
// out before anything of them is sent.
bool FileSendWorker::sendFolderTree(TransferSocket &socket, int folderFd, const QString &name, quint32 mtime, int depth)
{
    const auto items = ListFolder(folderFd);
    if (!items) // nothing of it is sent: a sub-folder is left out
        return depth > 1;
    if (!sendHeader(socket, name, 0, FILE_ATTR_FOLDER, mtime))
        return false;
    for (const FolderItem &item : *items) {
        const QString itemName = item.displayName();
        if (!IsReceivableName(itemName) || !BuildFolderHeader(itemName, ~quint64(0), FILE_ATTR_REGULAR, item.mtime))
            continue;
        if (item.folder) {
            const UniqueFd sub = depth < kMaxFolderDepth ? OpenFolderAt(folderFd, item.name) : UniqueFd();
            if (sub.isValid() && !sendFolderTree(socket, sub.get(), itemName, item.mtime, depth + 1))
                return false;
            continue;
        }
        const UniqueFd file = OpenFileAt(folderFd, item.name);
        struct stat st;
        if (!file.isValid() || ::fstat(file.get(), &st) != 0)
            continue;
        const quint64 size = quint64(st.st_size);
        if (!sendHeader(socket, itemName, size, FILE_ATTR_REGULAR, ClampUnixTime(st.st_mtime))
            || !socket.sendFile(file.get(), 0, size, [this](quint64 n) { sent(n); }))
            return false;
        ++m_state.filesDone;
    }
    return sendHeader(socket, QString::fromLatin1(kParentEntryName), 0, FILE_ATTR_PARENT, mtime);
}
