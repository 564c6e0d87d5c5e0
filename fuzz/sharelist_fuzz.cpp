// Parses arbitrary bytes as a peer's share list, as a download request and
// as a stored share list: every entry kept is bounded and checked, and what
// is built from the kept entries reads back the same.
#include "core/Gbk.h"
#include "net/ShareList.h"

#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = Gbk::decode(input);

    const auto entries = ShareList::ParseReceived(text);
    for (const ShareList::SharedEntry &e : entries) {
        check(e.name.size() <= ShareList::kNameChars);
        check(e.size >= 0);
        check(e.modified.isValid());
    }
    const auto again = ShareList::ParseReceived(ShareList::BuildReceived(entries));
    check(again.size() <= entries.size());

    const ShareList::Request request = ShareList::ParseRequest(input);
    if (!request.wellFormed)
        check(request.items.empty());
    check(ShareList::BuildRequest(request.password, request.items).size() < ShareList::kTextBytes + input.size());

    const auto stored = ShareList::ParseStored(text);
    for (const ShareList::StoredShare &s : stored)
        check(!s.path.isEmpty() && !s.path.contains(QStringLiteral("||")));
    return 0;
}
