// The pictures of the chat window's tool buttons, drawn by the program.
#pragma once

#include <QIcon>

enum class ChatArt { Font, Faces, Capture, Picture, Assistance, Control, Voice, Shares, Doodle };

// The picture of a tool button, 20 × 20 pixels.
QIcon ChatToolIcon(ChatArt art);
