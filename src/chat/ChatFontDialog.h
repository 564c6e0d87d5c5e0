// The font choice of the chat windows: Qt's font dialog with the text
// colour, starting from the current chat font.
#pragma once

#include "core/ChatFont.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <optional>

class QFontDialog;
class QPushButton;

// The font the dialog shows for a chat font: the installed family the face
// stands for ("宋体": the installed CJK family), the pixel height in whole
// points at the Windows 96 dots an inch, the weight and italic.
QFont FontDialogStart(const ChatFont &font);

class ChatFontDialog : public QDialog
{
    Q_OBJECT
public:
    ChatFontDialog(QWidget *parent, const ChatFont &start);

    QFontDialog *fonts() const { return m_fonts; }
    // The font and colour chosen, with the other fields of the start font.
    ChatFont chosenFont() const;

private:
    ChatFont m_start;
    QFontDialog *m_fonts;
    QPushButton *m_colorButton;
    QColor m_color;
};

// The chosen font, or nothing when the user cancels.
std::optional<ChatFont> ChooseChatFont(QWidget *parent, const ChatFont &start);
