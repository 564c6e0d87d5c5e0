// Where the doodle pane's controls stand when the board replaces the input
// box: the colour strip and the property buttons on the first row, the tool
// strip on the second, the board below them, all within the input box's
// rectangle.
#pragma once

#include <QList>
#include <QRect>

struct ChatLayout;

struct DoodlePaneInput
{
    QRect pane; // the input box's rectangle
    int clientWidth = 0;
    int sideWidth = 0; // kept free at the right of the window
    QList<int> propertyButtons; // the property buttons the tool shows, first to third
    int boardWidth = 0; // the widest board (0: the pane's width)
};

// Adds the rectangles of the palette, tool strip, board and buttons to the
// layout and hides what does not fit.
void LayoutDoodlePane(ChatLayout &out, const DoodlePaneInput &in);
