// The window a peer's share answer asks for: the password prompt or the
// share browser, shown without a loop of their own, so that the dispatcher
// that handed the answer over is never entered again while one is open. What
// the user chooses goes to the conversation, unless it went meanwhile.
#pragma once

#include "chat/session/ChatShares.h"

class ChatSession;
class QDialog;
class QWidget;

// The shown dialog (deleted when it closes), or null when the answer asks
// for none.
QDialog *OpenShareAnswerDialog(ChatSession &session, ChatShares::Answer answer, const QString &text, QWidget *parent);
