#include "net/OwnPictureServer.h"

#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "core/Dib.h"
#include "core/Lzw.h"
#include "core/PictureId.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PacketRecord.h"

#include <QFileInfo>

using namespace PictureChunk;

OwnPictureServer::OwnPictureServer(CConfig &config, const PictureStore &store, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_store(store)
    , m_answers(PeerBounds::kLargeAnswerIntervalMs, PeerBounds::kAnswerPeers)
{
}

OwnPictureServer::~OwnPictureServer()
{
    if (m_engine)
        m_engine->setOwnPictureSource({});
}

void OwnPictureServer::AttachTo(MessengerEngine &engine)
{
    CNetManager &net = engine.net();
    m_factory = [&net](const HostKey &to) { return PictureSender::NetSend(net, to); };
    connect(&engine, &MessengerEngine::packetDispatched, this, &OwnPictureServer::HandlePacket);
    m_engine = &engine;
    engine.setOwnPictureSource([this] { return Sizes(); });
}

OwnPictureSizes OwnPictureServer::Sizes() const
{
    return { qint32(Payload(PurposeHeadPicture).size()), qint32(Payload(PurposeCustomPicture).size()) };
}

void OwnPictureServer::HandlePacket(const PacketRecord &packet, HostRecord *sender)
{
    qint32 purpose = 0;
    if (packet.command() == CMD_GET_PICTURE)
        purpose = PurposeHeadPicture;
    else if (packet.command() == CMD_GET_CUSTOM_PICTURE)
        purpose = PurposeCustomPicture;
    else
        return;
    if (!sender) {
        if (m_engine)
            m_engine->Refuse(PeerRefusal::AnswerUnlisted, packet.key.address);
        return;
    }
    // Once per address and picture, whatever port asks (a forger may ask
    // from many ports of an address it does not own).
    if (!m_answers.allow(packet.key.address, 0, PeerRateLimiter::Now(), quint32(purpose))) {
        if (m_engine)
            m_engine->Refuse(PeerRefusal::AnswerRate, packet.key.address);
        return;
    }
    // Far larger than the request: only to an address that shows it
    // receives there.
    if (m_engine)
        m_engine->AnswerWhenReceiver(packet.key, this, [this, to = packet.key, purpose] { Answer(to, purpose); });
    else
        Answer(packet.key, purpose);
}

QByteArray OwnPictureServer::Payload(qint32 purpose) const
{
    if (purpose != PurposeHeadPicture && purpose != PurposeCustomPicture)
        return {};
    const QString path = purpose == PurposeHeadPicture ? m_store.ownHeadPicturePath() : m_store.ownCustomPicturePath();
    // Every packet announces the sizes: the file is only looked at, and
    // packed again when it changed.
    const QFileInfo info(path);
    Cached &cached = m_cache[size_t(purpose - 1)];
    const bool exists = info.isFile();
    if (exists == cached.exists && (!exists || (info.lastModified() == cached.modified && info.size() == cached.size)))
        return cached.payload;
    cached = Cached { exists, exists ? info.lastModified() : QDateTime(), exists ? info.size() : -1, {} };
    if (!exists || info.size() > kMaxPictureFileBytes)
        return {};
    const QImage bitmap = LoadBitmapFile(path);
    if (bitmap.isNull())
        return {};
    QByteArray payload = LzwCompressGlobal(BitmapToDib(bitmap, {}, 0));
    // What could not be sent is not announced.
    if (qint64(payload.size()) <= qint64(kMaxPictureBytes))
        cached.payload = std::move(payload);
    return cached.payload;
}

int OwnPictureServer::Answer(const HostKey &to, qint32 purpose)
{
    if (!m_factory || (purpose != PurposeHeadPicture && purpose != PurposeCustomPicture))
        return 0;
    if (m_table.count() >= kMaxWaitingAnswers) {
        if (m_engine)
            m_engine->Refuse(PeerRefusal::AnswerRate, to.address);
        return 0;
    }
    auto sender = std::make_unique<PictureSender>(GenerateRandomId(), Payload(purpose), KindDib, CompressionLzw,
        purpose, 0, PictureSender::ChunkSizeFromConfig(m_config.BmpUdpSendSize), m_factory(to));
    // Nobody acknowledges these chunks: no resend passes.
    sender->setTries(0);
    const int chunks = sender->chunkCount();
    if (!sender->isValid())
        return 0;
    // Every chunk with its header counts against the answer budget.
    if (m_engine && !m_engine->MayAnswerBytes(to.address, sender->size() + qint64(chunks) * kChunkHeaderBytes))
        return 0;
    if (!m_table.Add(std::move(sender), m_pacer.now()))
        return 0;
    m_pacer.Kick();
    return chunks;
}
