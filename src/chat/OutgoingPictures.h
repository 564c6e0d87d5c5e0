// The pictures an input box holds, as a chat session sends them: the entry
// point of every window that sends pictures (the chat window, the
// multi-user window) — collect them here, hand them to ChatSession::SendPictures.
#pragma once

#include "chat/session/ChatSession.h"

class CMsgRichEdit;

// For each id: the static picture's bitmap, or an animated face's GIF file
// from the face folders.
QList<OutgoingPicture> CollectOutgoingPictures(const CMsgRichEdit &input, const QList<quint32> &ids);
