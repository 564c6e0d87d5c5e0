// Decodes arbitrary file lists; every entry taken must be usable as a path
// component, ids must be unique, and a list written from the entries must
// decode to the same entries.
#include "core/PathUtil.h"
#include "net/Commands.h"
#include "net/FileList.h"

#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    DecodedFileList list;
    const FileListStatus status = DecodeFileList(input, list);
    check((status == FileListStatus::Ok || status == FileListStatus::SomeDropped) == !list.empty());
    std::vector<OfferedFile> again;
    for (const DecodedFileEntry &e : list) {
        check(IsSafeFileName(e.name));
        check(e.kind() == FILE_ATTR_REGULAR || e.kind() == FILE_ATTR_FOLDER);
        check(FindFileIndex(list, e.fileId) == qsizetype(&e - list.data()));
        OfferedFile f;
        f.fileId = e.fileId;
        f.path = QStringLiteral("/x/") + e.name;
        f.flags = e.attributes;
        f.size = e.size;
        f.mtime = e.mtime;
        again.push_back(f);
    }
    QByteArray text;
    const qsizetype written = EncodeFileList(again, text, 1 << 20);
    check(written == qsizetype(again.size()));
    DecodedFileList back;
    DecodeFileList(text, back);
    // Names may change only where a character had no GBK form, was a
    // control character or a ':' (written ';'); numbers never.
    check(back.size() <= list.size());
    for (size_t i = 0; i < back.size(); ++i) {
        const qsizetype j = FindFileIndex(list, back[i].fileId);
        check(j >= 0);
        check(back[i].size == list[size_t(j)].size && back[i].mtime == list[size_t(j)].mtime);
        check(back[i].attributes == list[size_t(j)].attributes);
    }
    return 0;
}
