// One entry of a received offer, for the tests of the file panel.
#pragma once

#include "net/Commands.h"
#include "net/FileList.h"

inline DecodedFileEntry OfferEntry(quint32 id, const QString &name, quint64 size, quint32 kind = FILE_ATTR_REGULAR)
{
    DecodedFileEntry e;
    e.fileId = id;
    e.name = name;
    e.size = size;
    e.attributes = kind;
    e.mtime = 0x5F5E1000;
    return e;
}
