// The chat windows' side of the doodle board, one piece for the one-to-one
// and the multi-user window: the four buttons on the board's row ("线型",
// "线宽", "填充", "图像操作"), each popping up its menu for the board's
// current tool, the menus the board itself asks for, and the drawing that
// goes into the input box when the message is sent.
#pragma once

#include <QHash>
#include <functional>

class CMsgRichEdit;
class DoodleSurface;
class QAbstractButton;
class QString;
class QWidget;

// Makes the four buttons (hidden, named by their ids) as children of the
// window and answers the board's menu requests. beforeMenu runs before a
// menu opens (the one-to-one window sends its read notices then).
QHash<int, QAbstractButton *> MakeDoodleButtons(
    QWidget *window, DoodleSurface &surface, const std::function<void()> &beforeMenu = {});

// Pops up a button's menu below the button, or at the mouse when the button
// is hidden; false when the button has no menu for the current tool.
bool PopUpDoodleMenu(QWidget *window, DoodleSurface &surface, int buttonId);

// A face chosen in the picker, in doodle mode: a built-in face (index >= 0)
// drawn on white, a custom face (index -1) from its file, floats on the board
// where the user places it; the mouse cursor moves onto it and the board
// takes the focus. False when the face gives no picture.
bool PutFaceOnBoard(DoodleSurface &surface, const QString &path, int index);

// Puts the board's drawing (its selection when there is one) into the input
// box after whatever is typed there, and clears the board unless a
// selection went. False when the board holds no drawing.
bool AddDrawingToInput(CMsgRichEdit *input, DoodleSurface &surface);

// The same in two steps, for a send that may be refused: the drawing goes
// into the input box, then either the board is cleared (the send went) or
// the drawing is taken out of the input box again and the board keeps it.
class DrawingInInput
{
public:
    // False when the board holds no drawing.
    bool Take(CMsgRichEdit *input, DoodleSurface &surface);
    void Sent();
    void Refused();

private:
    CMsgRichEdit *m_input = nullptr;
    DoodleSurface *m_surface = nullptr;
    int m_start = 0;
    int m_end = 0;
};
