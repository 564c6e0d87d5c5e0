#include "net/IncomingPictures.h"

#include "core/WorkingSet.h"

#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "core/PictureLimits.h"
#include "core/DecodedPictures.h"
#include "core/Dib.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/HostRecord.h"
#include "net/MessengerEngine.h"
#include "net/PacketRecord.h"
#include "net/PicturePayload.h"
#include "net/PictureSender.h"

#include <QElapsedTimer>
#include <QFileInfo>

using namespace PictureChunk;

namespace {

constexpr int kMaxRemembered = 1024;
constexpr int kExpiryCheckMs = 5000;

// The width and height a GIF file's screen descriptor gives.
bool gifWithinPeerLimits(QByteArrayView gif)
{
    if (gif.size() < 10)
        return false;
    const auto u16 = [&](int at) { return int(quint8(gif[at])) | (int(quint8(gif[at + 1])) << 8); };
    return kPeerPictureLimits.allows(u16(6), u16(8));
}

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

ReceivedPicture snapshot(const PictureChunkHeader &h, const HostKey &sender, const QString &mac)
{
    ReceivedPicture picture;
    picture.id = h.id;
    picture.kind = h.kind;
    picture.compression = h.compression;
    picture.purpose = h.purpose;
    picture.groupId = h.groupId;
    picture.sender = sender;
    picture.senderMac = mac;
    return picture;
}

} // namespace

IncomingPictures::IncomingPictures(CConfig &config, const PictureStore &store, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_store(store)
    , m_folders(store)
    , m_diskFloor(store.dataFolder())
{
    setLimits(m_limits);
    m_folders.setEvictionSink([this](quint32 address, const QString &, bool atBound) {
        refuse(PeerRefusal::PictureEvicted, address);
        if (atBound && !m_saidFull) {
            m_saidFull = true;
            emit pictureFoldersFull(tr("接收的图片已达 %1 MB 上限(RecvFace 和 UserHeadPhoto),发送最多的一方最早的图片已被删除。")
                                        .arg(m_limits.folderBytes >> 20));
        }
    });
    m_expiry.setInterval(kExpiryCheckMs);
    connect(&m_expiry, &QTimer::timeout, this, &IncomingPictures::ExpireEntries);
    m_ackPacer.setInterval(PictureSendTable::kStepMs);
    connect(&m_ackPacer, &QTimer::timeout, this, &IncomingPictures::pumpAcks);
}

IncomingPictures::~IncomingPictures() = default;

void IncomingPictures::setLimits(const Limits &limits)
{
    m_limits = limits;
    m_folders.setLimits({ limits.folderBytes, limits.folderShareDivisor });
}

void IncomingPictures::AttachTo(MessengerEngine &engine)
{
    CNetManager &net = engine.net();
    m_ackSender = [&engine](const HostKey &to, const QByteArray &body, qint32 answering) {
        return engine.SendReply(to, answering, CMD_PICTURE_ACK, body);
    };
    m_receiverCheck = [this, &engine](const HostKey &key) {
        if (engine.IsReceiver(key.address))
            return true;
        // Challenged: the sender's resends find it proven.
        engine.AnswerWhenReceiver(key, this, [] {});
        return false;
    };
    m_ownAddress = [&net] { return net.ownAddress(); };
    m_hostLookup = [&engine](const HostKey &key) -> const HostRecord * { return engine.FindHost(key.address, key.port); };
    m_refused = [&engine](PeerRefusal refusal, quint32 address) { engine.Refuse(refusal, address); };
    connect(&engine, &MessengerEngine::packetDispatched, this, &IncomingPictures::HandlePacket);
}

qint64 IncomingPictures::now() const
{
    return m_clock ? m_clock() : monotonicMs();
}

void IncomingPictures::refuse(PeerRefusal refusal, quint32 address)
{
    if (m_refused)
        m_refused(refusal, address);
}

void IncomingPictures::HandlePacket(const PacketRecord &packet, HostRecord *)
{
    switch (packet.command()) {
    case CMD_PICTURE_DATA:
    case CMD_HEAD_PICTURE_DATA:
    case CMD_CUSTOM_PICTURE_DATA:
        OnPictureData(packet);
        break;
    case CMD_PICTURE_ACK:
        OnPictureChunkAck(packet);
        break;
    default:
        break;
    }
}

void IncomingPictures::OnPictureChunkAck(const PacketRecord &packet)
{
    const auto ack = ParseAck(packet.body);
    if (ack && ack->chunkNumber >= 1 && ack->chunkNumber <= kMaxChunks)
        emit pictureChunkAcked(ack->id, ack->chunkNumber, packet.key);
}

bool IncomingPictures::accepts(const PacketRecord &packet, const PictureChunkHeader &h) const
{
    if (h.groupId == 0)
        return true;
    // A group picture: not while the user refuses them, never our own, and
    // only for a group we know.
    if ((quint32(m_config.QunNoRecvBmp) & m_config.StatusValue) != 0)
        return false;
    if (m_ownAddress && packet.key.address == m_ownAddress())
        return false;
    return m_groupKnown && m_groupKnown(h.groupId);
}

bool IncomingPictures::sameHead(const PictureChunkHeader &a, const PictureChunkHeader &b) const
{
    return a.totalSize == b.totalSize && a.chunkCount == b.chunkCount && a.kind == b.kind
        && a.compression == b.compression && a.purpose == b.purpose && a.groupId == b.groupId;
}

void IncomingPictures::acknowledge(const PacketRecord &chunk, quint32 id, qint32 chunkNumber, int copies)
{
    if (!m_ackSender || copies <= 0)
        return;
    // An acknowledgement of a chunk that arrived goes out twice: a lost one
    // costs the sender a needless resend, and a repeated one counts once.
    // Together they answer the chunk.
    const QByteArray body = FormatAck(id, chunkNumber);
    for (int copy = 0; copy < copies; ++copy)
        m_ackSender(chunk.key, body, chunk.datagramBytes / copies);
}

void IncomingPictures::OnPictureData(const PacketRecord &packet)
{
    if (m_config.StatusValue & OwnStatus::RefusesPictures)
        return;
    PictureChunkHeader h;
    if (ParseHeader(packet.body, h) != PictureChunkStatus::Ok || !accepts(packet, h))
        return;
    if (CheckChunk(h, packet.extension.size(), m_limits.maxPictureBytes) != PictureChunkStatus::Ok)
        return;
    const bool ack = h.purpose == PurposeMessage && h.groupId == 0 && !packet.hasOption(OPT_MULTICAST);
    const Key key { h.id, packet.key.address, packet.key.port };
    // One-to-one pictures come only from listed peers (the group windows
    // check their members themselves).
    const HostRecord *host = m_hostLookup ? m_hostLookup(packet.key) : nullptr;
    const bool listed = !m_hostLookup || host;

    Entry *entry = nullptr;
    bool fresh = false;
    if (const auto found = m_entries.find(key); found != m_entries.end()) {
        entry = &found.value();
        if (!sameHead(entry->head, h))
            return;
    } else if (m_done.contains(key)) {
        // A late copy of a finished picture: the sender missed our answer.
        if (ack)
            acknowledge(packet, h.id, h.chunkNumber);
        return;
    } else if (h.groupId == 0 && !listed) {
        // Not acknowledged: a real peer's resend comes after its entry.
        refuse(PeerRefusal::PictureUnlisted, packet.key.address);
        return;
    } else if (h.purpose == PurposeMessage && answerFromStore(packet, h, ack, host != nullptr || !m_hostLookup)) {
        return;
    } else if (!(entry = newEntry(key, packet, h, host))) {
        return;
    } else {
        fresh = true;
    }

    const size_t index = size_t(h.chunkNumber - 1);
    if (!entry->arrived[index] && !store(key, h, packet.extension)) {
        // Over the budget: not acknowledged, the sender tries again later.
        if (fresh)
            removeEntry(key);
        return;
    }
    // (making room may have moved the entries)
    entry = &m_entries[key];
    if (ack)
        acknowledge(packet, h.id, h.chunkNumber);
    if (!entry->whole && entry->arrivedCount == entry->head.chunkCount)
        complete(key);
}

bool IncomingPictures::store(const Key &key, const PictureChunkHeader &h, const QByteArray &bytes)
{
    // Memory grows with the chunks that arrived, within the budget of all
    // senders and the sender's part of it.
    const qint64 length = h.chunkLength;
    if (!generalRoomFor(m_entries[key], length) && !takeReserve(key, length)) {
        refuse(PeerRefusal::PictureBudget, key.address);
        return false;
    }
    Entry &entry = m_entries[key];
    Share &share = m_shares[entry.sender.address];
    entry.chunks[quint32(h.offset)] = bytes.left(h.chunkLength);
    entry.arrived[size_t(h.chunkNumber - 1)] = true;
    ++entry.arrivedCount;
    entry.bytesStored += length;
    entry.lastChunk = now();
    m_buffered += length;
    if (entry.reserve)
        m_reserveBuffered += length;
    share.bytes += length;
    return true;
}

bool IncomingPictures::generalRoomFor(const Entry &entry, qint64 bytes) const
{
    if (entry.reserve)
        return false;
    // What senders use beside the reserve, and a sender's part of it (at
    // least one picture of the largest size).
    const qint64 general = qMax<qint64>(0, m_limits.maxBufferedBytes - m_limits.reserveBytes);
    const qint64 part = qMax<qint64>(general / qMax(1, m_limits.shareDivisor), m_limits.maxPictureBytes);
    const qint64 share = m_shares.value(entry.sender.address).bytes;
    return m_buffered - m_reserveBuffered + bytes <= general && share + bytes <= part;
}

bool IncomingPictures::takeReserve(const Key &key, qint64 bytes)
{
    // The reserve serves a sender's only picture (a new sender's first):
    // one that holds more cannot reach it, whatever its addresses. Other
    // reserve pictures idle for the interval give way to it.
    // Each reserve picture holds at most its part of the reserve bytes, so
    // that every reserve entry has room.
    const qint64 part = m_limits.reserveBytes / qMax(1, m_limits.reserveEntries);
    const Entry &entry = m_entries[key];
    if (entry.bytesStored + bytes > part)
        return false;
    if (entry.reserve)
        return true;
    if (!entry.firstOfSender || m_shares.value(key.address).entries != 1)
        return false;
    if (m_reserveEntries >= m_limits.reserveEntries && !yieldReserve(key.address))
        return false;
    Entry &moved = m_entries[key];
    moved.reserve = true;
    ++m_reserveEntries;
    m_reserveBuffered += moved.bytesStored;
    return true;
}

bool IncomingPictures::yieldReserve(quint32 address)
{
    // The reserve picture of another sender that waited longest for a new
    // chunk gives way, when it has been idle for the interval.
    const qint64 t = now();
    std::optional<Key> idlest;
    qint64 idleSince = 0;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        const qint64 last = qMax(it->lastChunk, it->wholeSince);
        if (!it->reserve || it.key().address == address || t - last < m_limits.reserveIdleMs)
            continue;
        if (!idlest || last < idleSince) {
            idlest = it.key();
            idleSince = last;
        }
    }
    if (!idlest)
        return false;
    refuse(PeerRefusal::PictureBudget, idlest->address);
    removeEntry(*idlest);
    return true;
}

bool IncomingPictures::answerFromStore(const PacketRecord &packet, const PictureChunkHeader &h, bool ack, bool listed)
{
    const QString path = m_store.FindReceivedPicture(h.id, h.kind);
    if (path.isEmpty())
        return false;
    remember(Key { h.id, packet.key.address, packet.key.port });
    // The answer can be far larger than the chunk: only a listed peer gets
    // it, once per address (whatever the port) and picture in the interval,
    // each chunk acknowledged once and
    // at the picture pace. Anyone else has this chunk acknowledged.
    // All of them go only to an address that has shown it receives there.
    if (listed && m_receiverCheck && !m_receiverCheck(packet.key)) {
        if (ack)
            acknowledge(packet, h.id, h.chunkNumber, 1);
        return true;
    }
    if (!listed || !m_storeAnswers.allow(packet.key.address, 0, now(), h.id)) {
        refuse(listed ? PeerRefusal::AnswerRate : PeerRefusal::AnswerUnlisted, packet.key.address);
        if (ack)
            acknowledge(packet, h.id, h.chunkNumber, 1);
        return true;
    }
    if (ack) {
        for (qint32 n = 1; n <= h.chunkCount; ++n) {
            if (m_ackQueue.size() >= size_t(kMaxQueuedAcks)) {
                refuse(PeerRefusal::AnswerRate, packet.key.address);
                break;
            }
            m_ackQueue.push_back({ packet.key, FormatAck(h.id, n) });
        }
        pumpAcks();
    }
    ReceivedPicture picture = snapshot(h, packet.key, packet.macText);
    // The windows show the file (DecodedPictures): nothing is decoded here.
    picture.filePath = path;
    picture.fromStore = true;
    emit pictureReceived(picture);
    return true;
}

void IncomingPictures::pumpAcks()
{
    for (int i = 0; i < PictureSendTable::kChunksPerStep && !m_ackQueue.empty(); ++i) {
        const QueuedAck next = std::move(m_ackQueue.front());
        m_ackQueue.pop_front();
        // Beyond the peer's answer budget the rest would be refused one by
        // one: they go no further.
        if (m_ackSender && !m_ackSender(next.to, next.body, 0))
            std::erase_if(m_ackQueue, [&](const QueuedAck &a) { return a.to == next.to; });
    }
    if (m_ackQueue.empty())
        m_ackPacer.stop();
    else if (!m_ackPacer.isActive())
        m_ackPacer.start();
}

IncomingPictures::Entry *IncomingPictures::newEntry(
    const Key &key, const PacketRecord &packet, const PictureChunkHeader &h, const HostRecord *host)
{
    ExpireEntries();
    const Share share = m_shares.value(packet.key.address);
    // Senders use the entries beside the reserve, each a part of them; a
    // sender that holds nothing may take a reserve entry (and one idle
    // there gives way to it).
    const int general = qMax(0, m_limits.maxEntries - m_limits.reserveEntries);
    const bool generalRoom = m_entries.size() - m_reserveEntries < general
        && share.entries < qMax(1, general / qMax(1, m_limits.shareDivisor));
    const bool reserve = !generalRoom && share.entries == 0
        && (m_reserveEntries < m_limits.reserveEntries || yieldReserve(packet.key.address));
    if (!generalRoom && !reserve) {
        refuse(PeerRefusal::PictureBudget, packet.key.address);
        return nullptr;
    }
    Entry entry;
    entry.reserve = reserve;
    entry.firstOfSender = share.entries == 0;
    m_reserveEntries += reserve ? 1 : 0;
    entry.head = h;
    entry.head.offset = entry.head.chunkNumber = entry.head.chunkLength = 0;
    entry.sender = packet.key;
    // A head picture is filed under the MAC text of the listed peer, not
    // under whatever the packet claims.
    entry.senderMac = host ? host->keyText : packet.macText;
    entry.arrived.assign(size_t(h.chunkCount), false);
    entry.firstChunk = entry.lastChunk = now();
    ++m_shares[packet.key.address].entries;
    if (!m_expiry.isActive())
        m_expiry.start();
    return &m_entries.insert(key, std::move(entry)).value();
}

void IncomingPictures::removeEntry(const Key &key)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    m_buffered -= it->bytesStored;
    if (it->reserve) {
        --m_reserveEntries;
        m_reserveBuffered -= it->bytesStored;
    }
    const auto share = m_shares.find(key.address);
    if (share != m_shares.end()) {
        share->bytes -= it->bytesStored;
        if (--share->entries <= 0)
            m_shares.erase(share);
    }
    m_entries.erase(it);
    if (m_entries.isEmpty())
        m_expiry.stop();
}

void IncomingPictures::remember(const Key &key)
{
    const qint64 t = now();
    if (m_done.size() >= kMaxRemembered) {
        m_done.removeIf([&](const auto &it) { return t - it.value() > m_limits.timeoutMs; });
        if (m_done.size() >= kMaxRemembered)
            m_done.erase(std::min_element(m_done.begin(), m_done.end()));
    }
    m_done.insert(key, t);
}

void IncomingPictures::ClaimPictures(const HostKey &sender, const QList<quint32> &ids)
{
    const qint64 t = now();
    for (const quint32 id : ids) {
        const Key key { id, sender.address, sender.port };
        if (m_claims.size() >= PeerBounds::kClaimedPictures && !m_claims.contains(key)) {
            m_claims.removeIf([&](const auto &it) { return t - it.value() > m_limits.maxAgeMs; });
            if (m_claims.size() >= PeerBounds::kClaimedPictures)
                m_claims.erase(std::min_element(m_claims.begin(), m_claims.end()));
        }
        m_claims.insert(key, t);
        const auto it = m_entries.find(key);
        if (it != m_entries.end() && it->whole)
            keep(key);
    }
}

bool IncomingPictures::claimed(const Key &key) const
{
    const auto it = m_claims.constFind(key);
    return it != m_claims.cend() && now() - it.value() <= m_limits.maxAgeMs;
}

int IncomingPictures::ExpireEntries()
{
    const qint64 t = now();
    std::vector<std::pair<Key, PeerRefusal>> stale;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it->whole) {
            if (t - it->wholeSince >= m_limits.claimMs)
                stale.push_back({ it.key(), PeerRefusal::PictureUnclaimed });
        } else if (t - it->lastChunk >= m_limits.timeoutMs || t - it->firstChunk >= m_limits.maxAgeMs) {
            stale.push_back({ it.key(), PeerRefusal::PictureExpired });
        }
    }
    for (const auto &[key, why] : stale) {
        refuse(why, key.address);
        removeEntry(key);
    }
    m_done.removeIf([&](const auto &it) { return t - it.value() > m_limits.timeoutMs; });
    m_claims.removeIf([&](const auto &it) { return t - it.value() > m_limits.maxAgeMs; });
    return int(stale.size());
}

void IncomingPictures::complete(const Key &key)
{
    Entry &entry = m_entries[key];
    // Chunks that overlap or leave gaps cannot make up the picture: they must
    // follow each other from 0 to the total (two at one offset keep one).
    qint64 end = 0;
    for (const auto &[offset, bytes] : entry.chunks) {
        if (qint64(offset) != end)
            break;
        end += bytes.size();
    }
    if (end != qint64(entry.head.totalSize) || entry.bytesStored != end) {
        remember(key);
        removeEntry(key);
        return;
    }
    // A chat picture waits for the message that names it.
    if (m_limits.requireClaims && entry.head.purpose == PurposeMessage && entry.head.groupId == 0 && !claimed(key)) {
        entry.whole = true;
        entry.wholeSince = now();
        return;
    }
    keep(key);
}

void IncomingPictures::keep(const Key &key)
{
    Entry &entry = m_entries[key];
    const bool large = entry.head.totalSize >= PicturePayloads::kLargeTransfer;
    finish(entry);
    remember(key);
    removeEntry(key);
    if (large && m_config.AutoMemMin)
        TrimWorkingSet();
}

bool IncomingPictures::roomFor(qint64 bytes, quint32 address, const QStringList &replaced)
{
    // Nothing is stored while the disk is down to its floor.
    if (!m_diskFloor.Admits(bytes)) {
        refuse(PeerRefusal::DiskFloor, address);
        emit diskFloorReached(m_diskFloor.floorBytes());
        return false;
    }
    // The sender's own oldest pictures make room within its share, then the
    // heaviest sender's within the bound; only a picture larger than a
    // share is refused.
    if (m_folders.MakeRoom(address, bytes, replaced))
        return true;
    refuse(PeerRefusal::PictureFolderFull, address);
    return false;
}

void IncomingPictures::finish(Entry &entry)
{
    const PictureChunkHeader &h = entry.head;
    ReceivedPicture picture = snapshot(h, entry.sender, entry.senderMac);
    QByteArray data(qsizetype(h.totalSize), Qt::Uninitialized);
    for (const auto &[offset, bytes] : entry.chunks)
        std::copy(bytes.cbegin(), bytes.cend(), data.begin() + offset);
    entry.chunks.clear();
    m_store.CreateFolders();

    if (h.purpose == PurposeMessage && h.kind == KindGif) {
        if (!PicturePayloads::IsGif(data))
            return;
        if (!gifWithinPeerLimits(data)) {
            refuse(PeerRefusal::PictureTooLarge, entry.sender.address);
            return;
        }
        picture.filePath = m_store.picturePath(PictureStore::recvFace(), h.id, QStringLiteral("gif"));
        if (!QFileInfo::exists(picture.filePath)) {
            if (!roomFor(data.size(), entry.sender.address))
                return;
            if (writePictureFile(picture.filePath, data))
                m_folders.Added(entry.sender.address, picture.filePath, PictureFolderShares::Use::ChatPicture);
            else
                picture.filePath.clear();
        }
        emit pictureReceived(picture);
        return;
    }

    bool tooLarge = false;
    const QByteArray dib = h.purpose == PurposeMessage
        ? PicturePayloads::MessagePictureDib(data, h.kind, h.compression, &tooLarge)
        : PicturePayloads::Unpack(data, h.compression, &tooLarge);
    data.clear();
    if (tooLarge || (!dib.isEmpty() && !PicturePayloads::WithinPeerLimits(dib))) {
        refuse(PeerRefusal::PictureTooLarge, entry.sender.address);
        return;
    }
    picture.image = DibToBitmap(dib);
    if (picture.image.isNull())
        return;
    const qint64 fileBytes = dib.size() + 14;
    if (h.purpose == PurposeMessage) {
        if (!roomFor(fileBytes, entry.sender.address))
            return;
        picture.filePath = m_store.picturePath(PictureStore::recvFace(), h.id, QStringLiteral("bmp"));
        if (SaveDibToFile(picture.filePath, dib))
            m_folders.Added(entry.sender.address, picture.filePath, PictureFolderShares::Use::ChatPicture);
        else
            picture.filePath.clear();
    } else {
        // One file per address and kind: the new one replaces the one the
        // address stored before, whatever MAC either names, and the one
        // stored under this MAC. Those stay until it is written: a refusal
        // (the disk floor, the folders' bound) or a failed write leaves the
        // peer the picture it had.
        const auto use = h.purpose == PurposeHeadPicture ? PictureFolderShares::Use::HeadPicture
                                                         : PictureFolderShares::Use::CustomPicture;
        const int kindDigit = h.purpose - 1;
        const QStringList replaced
            = m_folders.HeadPhotos(entry.sender.address, use) + m_store.HeadPhotoFiles(kindDigit, entry.senderMac);
        if (!roomFor(fileBytes, entry.sender.address, replaced))
            return;
        picture.filePath = m_store.SaveHeadPhoto(bmpFileFromDib(dib), kindDigit, entry.senderMac, h.totalSize);
        if (!picture.filePath.isEmpty())
            m_folders.Replace(entry.sender.address, picture.filePath, use, replaced);
    }
    // Every window showing the stored file shares this bitmap.
    if (!picture.filePath.isEmpty())
        DecodedPictures::Shared().Remember(picture.filePath, picture.image);
    emit pictureReceived(picture);
}
