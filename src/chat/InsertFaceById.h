// Shows in one message edit a picture that another one holds: how the user's
// own message goes from the input box into the history with its pictures.
#pragma once

#include <QtGlobal>

class CMsgRichEdit;

// Inserts at the target's caret the picture or custom face with the id:
// copied from the source when the source shows it (a static picture as its
// bitmap, an animated one from its file, a placeholder as "/<NF>"), else the
// custom face "%08x.gif" or "%08x.bmp" of CustomFace; "/<NF>" carrying the
// id when there is neither, so the place can still be filled later.
void InsertFaceById(CMsgRichEdit *target, const CMsgRichEdit *source, quint32 id);
