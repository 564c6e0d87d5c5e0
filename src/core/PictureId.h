// Ids of pictures and custom faces.
#pragma once

#include <QString>
#include <QtGlobal>

// The smallest id a new picture gets; smaller values name built-in faces.
constexpr quint32 kFirstPictureId = 1000;

// A new 32-bit picture id of at least 1000: the first word of a new UUID
// when that is large enough, else 1000 plus a random value of at most 31767.
quint32 GenerateRandomId();
// The id as it stands in file names, the face index and message markers:
// eight lower-case hexadecimal digits ("%08x").
QString PictureIdText(quint32 id);
