// The geometry of the multi-user window ("与多人聊天中"), computed without
// widgets: the member list and the tool row of the left column, the input
// box or the doodle board, the bottom buttons, the right pane with its three
// sections (own details, send details, files), the information lines and
// the frames. Controls are named by their ids. Widths and heights never go
// below 0, and the two splitter values are kept inside the window.
#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QSet>
#include <QSize>
#include <optional>

namespace MultiCtl {
enum : int {
    Send = 1024,
    Faces = 1025,
    Font = 1026,
    Picture = 1027,
    Capture = 1029,
    CaptureArrow = 1030,
    Close = 1035,
    FileList = 1036,
    RemoveFiles = 1037,
    Members = 1043,
    AddFiles = 1047,
    AddFolder = 1048,
    Monitor = 1049,
    SendArrow = 1052,
    Input = 1152,
    Board = 1179,
    Palette = 1180,
    ToolStrip = 1181,
    LineType = 1182,
    LineWidth = 1183,
    FillType = 1184,
    ImageMenu = 1185,
    Mode = 1186,
    InputSplitter = 2001, // above the input area
    PaneSplitter = 2002, // left of the right pane
};
} // namespace MultiCtl

struct MultiChatLayoutInput
{
    QSize client;
    int paneWidth = 168; // R
    int inputHeight = 120; // I
    bool doodleMode = false;
    bool withTooltips = true; // the doodle tool buttons are laid out only then
};

struct MultiChatLayout
{
    static constexpr int kStartPaneWidth = 168;
    static constexpr int kStartInputHeight = 120;
    static constexpr int kDoodleExtra = 42; // the input area grows by this in doodle mode
    static constexpr int kHeadingHeight = 20;
    static constexpr int kLineHeight = 20;

    int paneWidth = 0; // as used (kept inside the window)
    int inputHeight = 0;
    int x0 = 0; // the right edge of the left column
    int y0 = 0; // the top of the input area
    QHash<int, QRect> rects; // by control id
    QSet<int> hidden;
    // The right pane: its three sections begin at 0, T and 2T.
    int sectionTop[3] = {};
    QRect headings[3]; // the gradient bands with the titles
    int linePitch = 0;
    QRect inputFrame; // rounded 3 × 3 round the input area
    QRect paneFrame; // rounded 5 × 5 round the right pane
    QList<int> paneLines; // y of the horizontal lines across the pane

    QRect rect(int id) const { return rects.value(id); }
    bool isShown(int id) const { return rects.contains(id) && !hidden.contains(id); }
    // Line n (0-based) of section s (0 own details, 1 send details), 20 high
    // across the pane: what is redrawn when its number changes.
    QRect InfoLine(int section, int line) const;
};

MultiChatLayout ComputeMultiChatLayout(const MultiChatLayoutInput &input);

// The bar left of the right pane dropped at client x: the new pane width,
// when x is at least 300 and more than 163 pixels are left right of it.
std::optional<int> PaneWidthFromSplitter(int clientWidth, int x);
// The bar above the input area dropped at client y: the new input-area
// height, when y is at least 100 and more than 60 pixels are left below it.
std::optional<int> InputHeightFromMultiSplitter(int clientHeight, int y);
