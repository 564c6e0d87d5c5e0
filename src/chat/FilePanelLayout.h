// Where the file panel's lists and buttons stand in the chat window, and how
// far the window's two splitters may be dragged. Computed without widgets, in
// the window's client coordinates. R is the client width, C its height, W
// the side-panel width, X = R − W and H = C − 35; every value that involves a
// fraction of H is computed in floating point and truncated as a whole.
#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

// The control ids of the panel (objectName of each control).
namespace FilePanelId {
enum : int {
    OfferedList = 1034,
    AttachmentList = 1036,
    RemoveAttachments = 1037,
    ReceiveAll = 1038,
    RejectAll = 1039,
    StopTransfer = 1040,
    Progress = 1041,
    Receive = 1042,
    Reject = 1043,
    ShowInFolder = 1044,
    OpenReceived = 1045,
    ClearReceived = 1046,
    AddFiles = 1047,
    AddFolder = 1048,
    Monitor = 1049,
    ReceivedList = 1050,
};
} // namespace FilePanelId

struct FilePanelCaption
{
    QRect band; // 20 pixels high, across the side panel
    QString title;
};

struct FilePanelGeometry
{
    static constexpr int kTopBar = 35;
    static constexpr int kMinLeftWidth = 315;
    static constexpr int kNarrowSide = 80;

    int sideWidth = 0; // after keeping 315 pixels left of the panel
    bool fileListsShown = false;
    // The part of the side panel the file panel covers: from the top of its
    // first caption band to the bottom of the client area.
    QRect panel;
    // Every control of the panel by id; a button without room left of the
    // panel's edge gets an empty rectangle. Controls of the receive lists
    // are absent while the lists are hidden.
    QHash<int, QRect> rects;
    QList<FilePanelCaption> captions;
    QRect sendHint; // where the hint about sending files is shown

    QRect rect(int id) const { return rects.value(id); }
};

FilePanelGeometry ComputeFilePanelLayout(const QSize &client, int sideWidth, bool fileListsShown);

// The vertical splitter left of the side panel, dropped at client x: the
// new side-panel width, when x is at least 300 pixels from the left edge and
// more than 50 from the right edge.
std::optional<int> SideWidthFromSplitter(int clientWidth, int x);
// The splitter above the input area, dropped at client y: the new input
// height, when y is at least 100 pixels below the top and more than 60 above
// the bottom.
std::optional<int> InputHeightFromSplitter(int clientHeight, int y);
