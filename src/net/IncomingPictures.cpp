#include "net/IncomingPictures.h"

#include "core/WorkingSet.h"

#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "core/Dib.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PacketRecord.h"
#include "net/PicturePayload.h"

#include <QElapsedTimer>
#include <QFileInfo>

using namespace PictureChunk;

namespace {

constexpr int kMaxRemembered = 1024;
constexpr int kExpiryCheckMs = 5000;

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
{
    m_expiry.setInterval(kExpiryCheckMs);
    connect(&m_expiry, &QTimer::timeout, this, &IncomingPictures::ExpireEntries);
}

IncomingPictures::~IncomingPictures() = default;

void IncomingPictures::AttachTo(MessengerEngine &engine)
{
    CNetManager &net = engine.net();
    m_ackSender = [&net](const HostKey &to, const QByteArray &body) { net.SendToHost(to, CMD_PICTURE_ACK, body); };
    m_ownAddress = [&net] { return net.ownAddress(); };
    connect(&engine, &MessengerEngine::packetDispatched, this, &IncomingPictures::HandlePacket);
}

qint64 IncomingPictures::now() const
{
    return m_clock ? m_clock() : monotonicMs();
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

void IncomingPictures::acknowledge(const HostKey &to, quint32 id, qint32 chunkNumber)
{
    if (!m_ackSender)
        return;
    // Every acknowledgement goes out twice: a lost one costs the sender a
    // needless resend of a chunk that arrived, and a repeated one counts once.
    const QByteArray body = FormatAck(id, chunkNumber);
    for (int copy = 0; copy < kAckCopies; ++copy)
        m_ackSender(to, body);
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

    Entry *entry = nullptr;
    if (const auto found = m_entries.find(key); found != m_entries.end()) {
        entry = &found.value();
        if (!sameHead(entry->head, h))
            return;
    } else if (m_done.contains(key)) {
        // A late copy of a finished picture: the sender missed our answer.
        if (ack)
            acknowledge(packet.key, h.id, h.chunkNumber);
        return;
    } else if (h.purpose == PurposeMessage && answerFromStore(packet, h, ack)) {
        return;
    } else if (!(entry = newEntry(key, packet, h))) {
        return;
    }

    if (ack)
        acknowledge(packet.key, h.id, h.chunkNumber);
    const size_t index = size_t(h.chunkNumber - 1);
    if (entry->arrived[index])
        return;
    std::copy_n(packet.extension.constData(), h.chunkLength, entry->data.data() + h.offset);
    entry->arrived[index] = true;
    ++entry->arrivedCount;
    entry->bytesStored += h.chunkLength;
    entry->lastChunk = now();
    if (entry->arrivedCount == entry->head.chunkCount)
        complete(key);
}

bool IncomingPictures::answerFromStore(const PacketRecord &packet, const PictureChunkHeader &h, bool ack)
{
    const QString path = m_store.FindReceivedPicture(h.id, h.kind);
    if (path.isEmpty())
        return false;
    // Everything is acknowledged at once, once per picture; what comes
    // after that is acknowledged chunk by chunk.
    if (ack) {
        for (qint32 n = 1; n <= h.chunkCount; ++n)
            acknowledge(packet.key, h.id, n);
    }
    remember(Key { h.id, packet.key.address, packet.key.port });
    ReceivedPicture picture = snapshot(h, packet.key, packet.macText);
    picture.filePath = path;
    if (h.kind != KindGif)
        picture.image = LoadBitmapFile(path);
    picture.fromStore = true;
    emit pictureReceived(picture);
    return true;
}

IncomingPictures::Entry *IncomingPictures::newEntry(
    const Key &key, const PacketRecord &packet, const PictureChunkHeader &h)
{
    ExpireEntries();
    if (m_entries.size() >= m_limits.maxEntries || m_buffered + h.totalSize > m_limits.maxBufferedBytes)
        return nullptr;
    Entry entry;
    entry.head = h;
    entry.head.offset = entry.head.chunkNumber = entry.head.chunkLength = 0;
    entry.sender = packet.key;
    entry.senderMac = packet.macText;
    entry.data = QByteArray(qsizetype(h.totalSize), '\0');
    entry.arrived.assign(size_t(h.chunkCount), false);
    entry.lastChunk = now();
    m_buffered += h.totalSize;
    if (!m_expiry.isActive())
        m_expiry.start();
    return &m_entries.insert(key, std::move(entry)).value();
}

void IncomingPictures::removeEntry(const Key &key)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    m_buffered -= it->head.totalSize;
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

int IncomingPictures::ExpireEntries()
{
    const qint64 t = now();
    std::vector<Key> stale;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (t - it->lastChunk >= m_limits.timeoutMs)
            stale.push_back(it.key());
    }
    for (const Key &key : stale)
        removeEntry(key);
    m_done.removeIf([&](const auto &it) { return t - it.value() > m_limits.timeoutMs; });
    return int(stale.size());
}

void IncomingPictures::complete(const Key &key)
{
    Entry &entry = m_entries[key];
    // Chunks that overlap or leave gaps cannot make up the picture.
    const bool whole = entry.bytesStored == qint64(entry.head.totalSize);
    const bool large = entry.head.totalSize >= PicturePayloads::kLargeTransfer;
    if (whole)
        finish(entry);
    remember(key);
    removeEntry(key);
    if (large && m_config.AutoMemMin)
        TrimWorkingSet();
}

void IncomingPictures::finish(Entry &entry)
{
    const PictureChunkHeader &h = entry.head;
    ReceivedPicture picture = snapshot(h, entry.sender, entry.senderMac);
    m_store.CreateFolders();

    if (h.purpose == PurposeMessage && h.kind == KindGif) {
        if (!PicturePayloads::IsGif(entry.data))
            return;
        picture.filePath = m_store.picturePath(PictureStore::recvFace(), h.id, QStringLiteral("gif"));
        if (!QFileInfo::exists(picture.filePath) && !writePictureFile(picture.filePath, entry.data))
            picture.filePath.clear();
        emit pictureReceived(picture);
        return;
    }

    const QByteArray dib = h.purpose == PurposeMessage
        ? PicturePayloads::MessagePictureDib(entry.data, h.kind, h.compression)
        : PicturePayloads::Unpack(entry.data, h.compression);
    picture.image = DibToBitmap(dib);
    if (picture.image.isNull())
        return;
    if (h.purpose == PurposeMessage) {
        picture.filePath = m_store.picturePath(PictureStore::recvFace(), h.id, QStringLiteral("bmp"));
        if (!SaveDibToFile(picture.filePath, dib))
            picture.filePath.clear();
    } else {
        picture.filePath = m_store.SaveHeadPhoto(bmpFileFromDib(dib), h.purpose - 1, entry.senderMac, h.totalSize);
    }
    emit pictureReceived(picture);
}
