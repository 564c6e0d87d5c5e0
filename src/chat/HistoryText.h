// Message text appended to a history view (the chat window's history, the
// chat-log viewer's text view): plain runs in the message's font with web
// addresses as links, face shortcuts as faces, and each picture marker's
// picture from wherever the caller finds it.
#pragma once

#include "core/ChatFont.h"

#include <QString>
#include <functional>

class CMsgRichEdit;
class QTextCursor;

// Inserts the picture of a marker at the view's caret.
using PictureInserter = std::function<void(quint32 id, bool animated)>;

// Draws the text at the end of the view, or at the position `at` (what
// follows it moves on), and scrolls to the end. Returns the position after
// the text.
int RenderHistoryText(
    CMsgRichEdit *view, const ChatFont &font, const QString &text, const PictureInserter &picture, int at = -1);
// A plain run at the cursor in the font (addresses as links).
void AppendTextRun(QTextCursor &cursor, const QString &run, const ChatFont &font);
// The picture of a marker read back from the chat log: searched in every
// face folder (".gif" animated; ".bmp", then ".jpg" still), else "/<NF>".
void InsertLoggedPicture(CMsgRichEdit *view, quint32 id, bool animated);
