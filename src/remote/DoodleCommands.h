// The doodle board's command codes and tool properties, as its windows send
// them: codes 1..15 pick a tool, 16..37 are the commands and the property
// settings (the value travels beside the code).
#pragma once

#include <Qt>

namespace DoodleTool {
enum : int {
    Select = 1,
    Eraser = 2,
    Fill = 3,
    ColorPicker = 4,
    Brush = 5,
    Pencil = 6,
    Text = 7,
    Spray = 8,
    Curve = 9,
    Line = 10,
    Arrow = 11,
    Rectangle = 12,
    Polygon = 13,
    Ellipse = 14,
    RoundRect = 15,
    Floating = 16, // the current "tool" while a pasted picture floats
};
} // namespace DoodleTool

namespace DoodleCmd {
enum : int {
    Paste = 16,
    Undo = 17,
    Redo = 18,
    PencilType = 19, // 0..6
    LineType = 20, // 0..6
    BrushWidth = 21,
    BrushType = 22, // 0..6
    SpraySize = 23,
    LineWidth = 24, // 1..10
    EraserWidth = 25,
    FillType = 26, // 1..9
    TextFill = 27, // 1 transparent, 2 opaque, 3 opaque with automatic size
    FlipHorizontal = 28,
    FlipVertical = 29,
    StretchHorizontal = 30,
    StretchVertical = 31,
    Invert = 32,
    Clear = 33,
    Restore = 34,
    SaveAs = 35,
    Copy = 36,
    Cut = 37,
};
} // namespace DoodleCmd

// How a shape is filled (property 26).
namespace DoodleFill {
enum : int {
    Border = 1,
    Inside = 2,
    Both = 3,
    HorizontalBorder = 4,
    VerticalBorder = 5,
    Horizontal = 6,
    Vertical = 7,
    CentreBorder = 8,
    Centre = 9,
};
} // namespace DoodleFill

struct DoodleProperties
{
    int pencilType = 0;
    int lineType = 0;
    int brushType = 0;
    int brushWidth = 4;
    int spraySize = 10;
    int lineWidth = 1;
    int eraserWidth = 8;
    int fillType = DoodleFill::Border;
    int textMode = 1;

    // The value of a property command (19..27); -1 for any other code.
    int value(int code) const;
    // Sets a property when the value is one it takes; false otherwise.
    bool set(int code, int value);
};

// The pen style of a pencil, line or brush type: solid, dash, dot, dash-dot,
// dash-dot-dot, none, inside the frame (solid).
Qt::PenStyle DoodlePenStyle(int type);
