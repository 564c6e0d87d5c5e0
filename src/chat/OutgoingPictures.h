// The pictures an input box holds for the ids its message text names, as a
// session sends them: a still picture as its bitmap, an animated face as its
// file in the face folders.
#pragma once

#include "chat/session/ChatSessionView.h"

#include <QList>

class CMsgRichEdit;

QList<OutgoingPicture> OutgoingPicturesOf(const CMsgRichEdit &input, const QList<quint32> &ids);
