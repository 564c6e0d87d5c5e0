// The font choice of the chat windows: a font dialog with the text colour,
// starting from the current chat font.
#pragma once

#include "core/ChatFont.h"

#include <optional>

class QWidget;

// The chosen font, or nothing when the user cancels.
std::optional<ChatFont> ChooseChatFont(QWidget *parent, const ChatFont &start);
