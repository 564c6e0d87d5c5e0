// Reads arbitrary chat-log files; what parses is written again and must read
// back as the same records. The index of the viewer walks the same bytes and
// must find the same records where the reader finds them.
#include "core/Gbk.h"
#include "net/ChatLogIndex.h"
#include "net/ChatLogReader.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool sameShape(const ChatLogEntry &a, const ChatLogEntry &b)
{
    ChatFont fa = a.font, fb = b.font;
    fa.faceName = fb.faceName = QString(); // invalid GBK does not survive decoding
    return a.address == b.address && a.port == b.port && fa == fb && a.userName.isEmpty() == b.userName.isEmpty()
        && a.macText.isEmpty() == b.macText.isEmpty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const ChatLogReadResult r = ChatLogReader::Parse(input);
    const ChatLogReadResult s = ChatLogReader::Scan(input);
    check(r.endOffset <= input.size() && r.endOffset == s.endOffset && r.status == s.status);
    check((r.status == ChatLogReadStatus::Complete) == (r.endOffset == input.size()));
    check(r.records.isEmpty() || r.endOffset >= ChatLogFormat::kHeaderBytes);

    const ChatLogIndex index = ChatLogIndex::Build(input);
    check(index.recordCount() == r.records.size() && index.endOffset() == r.endOffset);
    for (qsizetype i = 0; i < index.recordCount(); ++i) {
        const std::optional<ChatLogEntry> one = ChatLogReader::ParseRecord(
            input.sliced(index.recordOffset(i), index.recordEnd(i) - index.recordOffset(i)));
        check(one && *one == r.records[i]);
        const ChatLogPeer &peer = index.peers().at(index.recordPeer(i));
        check(peer.address == one->address && Gbk::decode(peer.userName) == one->userName);
        (void)index.recordDay(i);
    }

    QByteArray again = ChatLogFormat::encodeHeader();
    for (const ChatLogEntry &e : r.records) {
        check(e.text.size() <= ChatLogFormat::kMaxTextBytes);
        again += ChatLogFormat::encodeRecord(e);
    }
    const ChatLogReadResult t = ChatLogReader::Parse(again);
    check(t.status == ChatLogReadStatus::Complete && t.records.size() == r.records.size());
    for (qsizetype i = 0; i < r.records.size(); ++i)
        check(sameShape(r.records[i], t.records[i]));
    return 0;
}
