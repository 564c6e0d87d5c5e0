#include "net/OwnPictureServer.h"

#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "core/Dib.h"
#include "core/Lzw.h"
#include "core/PictureId.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PacketRecord.h"

using namespace PictureChunk;

OwnPictureServer::OwnPictureServer(CConfig &config, const PictureStore &store, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_store(store)
{
}

void OwnPictureServer::AttachTo(MessengerEngine &engine)
{
    CNetManager &net = engine.net();
    m_factory = [&net](const HostKey &to) { return PictureSender::NetSend(net, to); };
    connect(&engine, &MessengerEngine::packetDispatched, this, &OwnPictureServer::HandlePacket);
}

void OwnPictureServer::HandlePacket(const PacketRecord &packet, HostRecord *)
{
    if (packet.command() == CMD_GET_PICTURE)
        Answer(packet.key, PurposeHeadPicture);
    else if (packet.command() == CMD_GET_CUSTOM_PICTURE)
        Answer(packet.key, PurposeCustomPicture);
}

QByteArray OwnPictureServer::Payload(qint32 purpose) const
{
    const QString path = purpose == PurposeHeadPicture ? m_store.ownHeadPicturePath() : m_store.ownCustomPicturePath();
    const QImage bitmap = LoadBitmapFile(path);
    if (bitmap.isNull())
        return {};
    return LzwCompressGlobal(BitmapToDib(bitmap, {}, 0));
}

int OwnPictureServer::Answer(const HostKey &to, qint32 purpose)
{
    if (!m_factory || (purpose != PurposeHeadPicture && purpose != PurposeCustomPicture))
        return 0;
    PictureSender sender(GenerateRandomId(), Payload(purpose), KindDib, CompressionLzw, purpose, 0,
        PictureSender::ChunkSizeFromConfig(m_config.BmpUdpSendSize), m_factory(to));
    return sender.SendAll();
}
