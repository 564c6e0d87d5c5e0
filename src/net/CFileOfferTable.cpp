#include "net/CFileOfferTable.h"

#include "net/Commands.h"
#include "net/FolderWalk.h"
#include "net/PeerBounds.h"

#include <QFileInfo>

#include <algorithm>
#include <sys/stat.h>

quint8 FileOffer::statusAt(qsizetype destination, qsizetype entry) const
{
    const qsizetype i = destination * qsizetype(entries.size()) + entry;
    return i >= 0 && i < qsizetype(status.size()) ? status[size_t(i)] : quint8(TransferWaiting);
}

qsizetype FileOffer::entryIndex(quint32 fileId) const
{
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const auto &e) { return e.fileId == fileId; });
    return it == entries.end() ? -1 : qsizetype(it - entries.begin());
}

qsizetype FileOffer::destinationIndex(quint32 address, quint16 port) const
{
    for (qsizetype i = 0; i < qsizetype(destinations.size()); ++i) {
        const HostKey &key = destinations[size_t(i)]->key;
        if (key.address == address && (port == 0 || key.port == port))
            return i;
    }
    return -1;
}

bool FileOffer::isBeingReceived() const
{
    return std::find(status.begin(), status.end(), TransferReceiving) != status.end();
}

CFileOfferTable::CFileOfferTable(QObject *parent)
    : QObject(parent)
{
}

CFileOfferTable::~CFileOfferTable() = default;

QString CFileOfferTable::StatusText(quint8 status)
{
    switch (status) {
    case TransferWaiting:
        return QStringLiteral("等待对方接收");
    case TransferReceived:
        return QStringLiteral("对方接收完成");
    default:
        return QStringLiteral("对方正在接收...");
    }
}

QString CFileOfferTable::TransferKey(quint32 packetNumber, quint32 fileId, quint32 address, quint16 port)
{
    return QStringLiteral("%1:%2:%3:%4").arg(packetNumber).arg(fileId).arg(address).arg(port);
}

FileOffer *CFileOfferTable::CreateOffer(quint32 packetNumber)
{
    if (FileOffer *offer = FindOffer(packetNumber))
        return offer;
    auto offer = std::make_unique<FileOffer>();
    offer->packetNumber = packetNumber;
    m_offers.push_back(std::move(offer));
    emit offerChanged(packetNumber);
    return m_offers.back().get();
}

std::optional<quint32> CFileOfferTable::AddEntry(FileOffer *offer, const QString &path)
{
    if (!offer)
        return std::nullopt;
    const QString real = QFileInfo(path).canonicalFilePath();
    struct stat st;
    if (real.isEmpty() || ::lstat(QFile::encodeName(real).constData(), &st) != 0)
        return std::nullopt;
    OfferedFile entry;
    entry.path = real;
    entry.mtime = ClampUnixTime(st.st_mtime);
    if (S_ISREG(st.st_mode)) {
        entry.flags = FILE_ATTR_REGULAR;
        entry.size = quint64(st.st_size);
    } else if (S_ISDIR(st.st_mode) && real != QLatin1String("/")) {
        entry.flags = FILE_ATTR_FOLDER;
        entry.size = FolderTreeSize(real);
    } else {
        return std::nullopt;
    }
    entry.fileId = m_nextFileId++;
    // A new entry is waiting for every recipient already attached.
    const size_t n = offer->entries.size();
    for (size_t d = offer->destinations.size(); d-- > 0;)
        offer->status.insert(offer->status.begin() + qsizetype((d + 1) * n), TransferWaiting);
    offer->entries.push_back(entry);
    emit offerChanged(offer->packetNumber);
    return entry.fileId;
}

void CFileOfferTable::SetRecipients(FileOffer *offer, const std::vector<HostPtr> &destinations)
{
    if (!offer)
        return;
    offer->destinations.clear();
    for (const HostPtr &host : destinations)
        if (host)
            offer->destinations.push_back(host);
    offer->status.assign(offer->destinations.size() * offer->entries.size(), TransferWaiting);
    emit offerChanged(offer->packetNumber);
}

FileOffer *CFileOfferTable::FindOffer(quint32 packetNumber) const
{
    for (const auto &offer : m_offers)
        if (offer->packetNumber == packetNumber)
            return offer.get();
    return nullptr;
}

void CFileOfferTable::RemoveOffer(FileOffer *offer)
{
    const auto it = std::find_if(m_offers.begin(), m_offers.end(), [&](const auto &o) { return o.get() == offer; });
    if (it == m_offers.end())
        return;
    const quint32 packetNumber = offer->packetNumber;
    m_offers.erase(it);
    emit offerRemoved(packetNumber);
}

bool CFileOfferTable::AdmitsRequest(quint32 address, qsizetype entries) const
{
    int fromAddress = 0;
    int offers = 0;
    qsizetype held = entries;
    for (const auto &offer : m_offers) {
        if (!offer->requested)
            continue;
        ++offers;
        held += qsizetype(offer->entries.size());
        fromAddress += offer->destinationIndex(address, 0) >= 0;
    }
    return fromAddress < PeerBounds::kRequestedOffersPerAddress && offers < PeerBounds::kRequestedOffers
        && held <= PeerBounds::kRequestedOfferEntries;
}

bool CFileOfferTable::DropUnconfirmed(quint32 packetNumber, quint32 address, quint16 port)
{
    FileOffer *offer = FindOffer(packetNumber);
    const qsizetype d = offer ? offer->destinationIndex(address, port) : -1;
    if (d < 0)
        return false;
    // A recipient that asked for an entry has the message, receipt or not.
    for (qsizetype e = 0; e < qsizetype(offer->entries.size()); ++e) {
        if (offer->statusAt(d, e) != TransferWaiting)
            return false;
    }
    dropDestination(offer, d);
    return true;
}

bool CFileOfferTable::SetTransferStatus(
    quint32 packetNumber, quint32 fileId, quint32 address, quint16 port, quint8 status)
{
    FileOffer *offer = FindOffer(packetNumber);
    if (!offer)
        return false;
    const qsizetype e = offer->entryIndex(fileId);
    const qsizetype d = offer->destinationIndex(address, port);
    if (e < 0 || d < 0)
        return false;
    offer->status[size_t(d * qsizetype(offer->entries.size()) + e)] = status;
    emit transferStateText(TransferKey(packetNumber, fileId, address, offer->destinations[size_t(d)]->key.port), StatusText(status));
    emit transferStatusChanged(packetNumber, fileId, status);
    if (std::all_of(offer->status.begin(), offer->status.end(), [](quint8 s) { return s == TransferReceived; }))
        RemoveOffer(offer);
    return true;
}

bool CFileOfferTable::ReleaseOffer(quint32 packetNumber, quint32 address, quint16 port)
{
    FileOffer *offer = FindOffer(packetNumber);
    const qsizetype d = offer ? offer->destinationIndex(address, port) : -1;
    if (d < 0)
        return false;
    dropDestination(offer, d);
    return true;
}

void CFileOfferTable::dropDestination(FileOffer *offer, qsizetype d)
{
    const qsizetype n = qsizetype(offer->entries.size());
    const HostKey &key = offer->destinations[size_t(d)]->key;
    for (const OfferedFile &entry : offer->entries)
        emit transferRemoved(TransferKey(offer->packetNumber, entry.fileId, key.address, key.port));
    offer->status.erase(offer->status.begin() + d * n, offer->status.begin() + (d + 1) * n);
    offer->destinations.erase(offer->destinations.begin() + d);
    if (offer->destinations.empty())
        RemoveOffer(offer);
    else
        emit offerChanged(offer->packetNumber);
}

std::vector<OfferSnapshot> CFileOfferTable::Snapshot() const
{
    std::vector<OfferSnapshot> out;
    out.reserve(m_offers.size());
    for (const auto &offer : m_offers) {
        OfferSnapshot s;
        s.packetNumber = offer->packetNumber;
        for (const HostPtr &host : offer->destinations)
            s.recipients.push_back({ host->key.address, host->key.port });
        s.entries = offer->entries;
        out.push_back(std::move(s));
    }
    return out;
}
