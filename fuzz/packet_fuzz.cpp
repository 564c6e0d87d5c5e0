// Parses arbitrary datagrams; a packet that parses is built again from its
// fields and must parse to the same numbers.
#include "core/Gbk.h"
#include "net/PacketCodec.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    PacketRecord r;
    if (PacketCodec::ParsePacket(input, 0x7F000001, 2425, r) != PacketStatus::Ok)
        return 0;
    check(input.size() <= PacketCodec::kMaxPacket);
    check(r.body.size() <= PacketCodec::kMaxBody);
    check(r.binaryLength == 0 || r.binaryLength == r.body.size());
    check(r.binaryLength != 0 || !r.body.contains('\r'));
    check(Gbk::byteLength(r.macText) <= PacketCodec::kMacChars);
    check(r.key.loginBytes().size() <= HostKey::kNameBytes && r.key.hostBytes().size() <= HostKey::kNameBytes);

    const bool extended = input.startsWith(QByteArrayView("1_wzk")) || r.binaryLength != 0 || r.extVersion != 0;
    const qint32 extLen = qint32(r.extension.size());
    QByteArray again;
    if (extended) {
        OwnHeader own;
        own.userName = r.key.loginName();
        own.hostName = r.key.hostName();
        own.headIcon = r.headIcon;
        own.statusBits = r.statusBits;
        own.macText = r.macText;
        own.headPictureSize = r.headPictureSize;
        own.customPictureSize = r.customPictureSize;
        again = PacketCodec::BuildPacket(
            own, r.packetNumber, r.commandWord | OPT_FILE_ATTACH, r.body, r.extension, extLen, r.binaryLength);
    } else {
        again = PacketCodec::BuildPlainPacket(r.key.loginName(), r.key.hostName(), r.packetNumber,
            r.commandWord | OPT_FILE_ATTACH, r.body, r.extension, extLen);
    }
    if (again.isEmpty()) // a binary body that no longer fits behind a longer header
        return 0;
    check(again.size() <= PacketCodec::kMaxPacket);
    PacketRecord s;
    check(PacketCodec::ParsePacket(again, 0x7F000001, 2425, s) == PacketStatus::Ok);
    check(s.packetNumber == r.packetNumber && s.commandWord == (r.commandWord | OPT_FILE_ATTACH));
    check(s.extVersion == (extended ? PacketCodec::kExtVersion : 0));
    if (extended) {
        check(s.headIcon == r.headIcon && s.statusBits == r.statusBits);
        check(s.headPictureSize == r.headPictureSize && s.customPictureSize == r.customPictureSize);
        check(s.binaryLength == r.binaryLength && (r.binaryLength == 0 || s.body == r.body));
    }
    check(s.body.size() <= r.body.size());
    return 0;
}
