#include "net/FileRequest.h"

#include "net/Commands.h"
#include "net/PacketCodec.h"

#include <algorithm>

FileRequestStatus ParseFileRequest(QByteArrayView data, FileRequest &out)
{
    out = FileRequest();
    if (data.size() > kMaxRequestBytes)
        return FileRequestStatus::Bad;
    const bool ended = data.contains('\0');
    const auto incomplete
        = ended || data.size() == kMaxRequestBytes ? FileRequestStatus::Bad : FileRequestStatus::Incomplete;
    PacketRecord packet;
    const PacketStatus status = PacketCodec::ParsePacket(data, 0, 0, packet);
    if (status == PacketStatus::BadHeader || status == PacketStatus::Empty)
        return incomplete;
    if (status != PacketStatus::Ok || packet.binaryLength != 0)
        return FileRequestStatus::Bad;
    if (packet.command() != CMD_GET_FILE_DATA && packet.command() != CMD_GET_FOLDER)
        return FileRequestStatus::Bad;
    out.folder = packet.command() == CMD_GET_FOLDER;

    qsizetype pos = 0;
    const int count = out.folder ? 2 : 3;
    quint64 value[3] = {};
    for (int i = 0; i < count; ++i) {
        const qsizetype colon = packet.body.indexOf(':', pos);
        if (colon < 0)
            return incomplete;
        const auto v = ParseHexField(QByteArrayView(packet.body).sliced(pos, colon - pos), i == 2 ? 16 : 8);
        if (!v)
            return FileRequestStatus::Bad;
        value[i] = *v;
        pos = colon + 1;
    }
    out.packetNumber = quint32(value[0]);
    out.fileId = quint32(value[1]);
    out.offset = value[2];
    return FileRequestStatus::Ok;
}

ServeStatus CheckFileRequest(const std::vector<OfferSnapshot> &offers, const FileRequest &request, quint32 peerAddress,
    const OfferedFile *&entry, const OfferSnapshot::Recipient *&recipient)
{
    entry = nullptr;
    recipient = nullptr;
    const auto offer = std::find_if(
        offers.begin(), offers.end(), [&](const auto &o) { return o.packetNumber == request.packetNumber; });
    if (offer == offers.end())
        return ServeStatus::NoOffer;
    const auto r = std::find_if(
        offer->recipients.begin(), offer->recipients.end(), [&](const auto &x) { return x.address == peerAddress; });
    if (r == offer->recipients.end())
        return ServeStatus::NotRecipient;
    const auto e = std::find_if(
        offer->entries.begin(), offer->entries.end(), [&](const auto &x) { return x.fileId == request.fileId; });
    if (e == offer->entries.end())
        return ServeStatus::NoFile;
    if (e->isFolder() != request.folder)
        return ServeStatus::WrongKind;
    entry = &*e;
    recipient = &*r;
    return ServeStatus::Running;
}
