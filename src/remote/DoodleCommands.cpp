#include "remote/DoodleCommands.h"

namespace {

// The widths a tool takes; the menus offer a few of them.
constexpr int kMaxWidth = 50;

} // namespace

int DoodleProperties::value(int code) const
{
    switch (code) {
    case DoodleCmd::PencilType:
        return pencilType;
    case DoodleCmd::LineType:
        return lineType;
    case DoodleCmd::BrushWidth:
        return brushWidth;
    case DoodleCmd::BrushType:
        return brushType;
    case DoodleCmd::SpraySize:
        return spraySize;
    case DoodleCmd::LineWidth:
        return lineWidth;
    case DoodleCmd::EraserWidth:
        return eraserWidth;
    case DoodleCmd::FillType:
        return fillType;
    case DoodleCmd::TextFill:
        return textMode;
    default:
        return -1;
    }
}

bool DoodleProperties::set(int code, int v)
{
    const auto within = [v](int low, int high) { return v >= low && v <= high; };
    switch (code) {
    case DoodleCmd::PencilType:
        return within(0, 6) && (pencilType = v, true);
    case DoodleCmd::LineType:
        return within(0, 6) && (lineType = v, true);
    case DoodleCmd::BrushWidth:
        return within(1, kMaxWidth) && (brushWidth = v, true);
    case DoodleCmd::BrushType:
        return within(0, 6) && (brushType = v, true);
    case DoodleCmd::SpraySize:
        return within(1, kMaxWidth) && (spraySize = v, true);
    case DoodleCmd::LineWidth:
        return within(1, 10) && (lineWidth = v, true);
    case DoodleCmd::EraserWidth:
        return within(1, kMaxWidth) && (eraserWidth = v, true);
    case DoodleCmd::FillType:
        return within(1, 9) && (fillType = v, true);
    case DoodleCmd::TextFill:
        return within(1, 3) && (textMode = v, true);
    default:
        return false;
    }
}

Qt::PenStyle DoodlePenStyle(int type)
{
    switch (type) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    case 5:
        return Qt::NoPen;
    default: // 0 solid, 6 inside the frame
        return Qt::SolidLine;
    }
}
