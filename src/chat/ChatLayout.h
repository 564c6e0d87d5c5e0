// The geometry of the one-to-one chat window, computed without widgets: the
// left column (peer band, history, tool row, input box, bottom bar), the side
// panel with its file lists and buttons, the caption bands, the photo
// rectangle and the peer lines. Controls are named by their ids.
#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QSet>
#include <QSize>
#include <QString>
#include <optional>

namespace ChatCtl {
enum : int {
    Send = 1024,
    Faces = 1025,
    Font = 1026,
    Capture = 1027,
    SendPicture = 1028,
    Assistance = 1029,
    Control = 1030,
    Shares = 1031,
    Voice = 1032,
    CaptureArrow = 1033,
    OfferedList = 1034,
    Close = 1035,
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
    Doodle = 1051,
    SendArrow = 1052,
    DoodleBoard = 1179,
    DoodlePalette = 1180,
    DoodleToolStrip = 1181,
    DoodleLineType = 1182,
    DoodleLineWidth = 1183,
    DoodleFill = 1184,
    DoodleImage = 1185,
    PeerLog = 1082,
    WholeLog = 1083,
    Shake = 1084,
    History = 1151,
    Input = 1152,
    HeadPhoto = 1224,
    HistorySplitter = 2001, // between history and input
    SideSplitter = 2002, // left of the side panel
};
} // namespace ChatCtl

struct ChatLayoutInput
{
    QSize client;
    int sideWidth = 168;
    // The client width at which sideWidth was set (the window's first width,
    // or where the splitter was dropped); 0: none. A wider window widens the
    // side panel in proportion, so that its lists gain room too.
    int sideReferenceWidth = 0;
    int inputHeight = 120;
    bool fileListsShown = false; // the lists of offered and received files
    bool photoShown = true;
    bool photoAvailable = false; // the peer announces a photo and it is stored
    bool doodleMode = false; // the doodle board replaces the input box
    QList<int> doodleButtons; // the property buttons of the board's tool
    // What the history's frame, vertical scroll bar, document margins and
    // the message indent take from its width: the board is no wider than a
    // message's room, so that a drawing shows whole in a history of the same
    // width.
    int historyChrome = 0;
};

struct ChatCaption
{
    QRect band;
    QString title;
};

struct ChatLayout
{
    static constexpr int kTopBar = 35; // the four top buttons
    static constexpr int kBottomBar = 30;
    static constexpr int kMinLeftWidth = 315;
    static constexpr int kNarrowSide = 80;

    int sideWidth = 0; // after keeping kMinLeftWidth for the left column
    int inputHeight = 0;
    QHash<int, QRect> rects; // by control id
    QSet<int> hidden; // controls not shown
    QRect band; // the peer band above the history
    QRect sideHeading; // "对方资料(...)"
    QList<ChatCaption> captions; // the caption bands of the side panel
    QRect photo; // empty: no photo
    // The side web pane (1150): the room under "对方形象照片" while no photo
    // stands there; empty while the file lists fill the panel.
    QRect webPane;
    QRect peerLines; // where the peer lines start (x, y) and how wide they are
    int peerLinePitch = 0;
    bool photoBeside = false; // the photo stands beside the peer lines
    QRect leftFrame; // rounded frame round the left column
    QRect sideFrame;
    int historyLineY = 0; // separator lines of the left column
    int inputLineY = 0;
    QList<int> sideLines; // horizontal lines of the side panel

    QRect rect(int id) const { return rects.value(id); }
    bool isShown(int id) const { return !hidden.contains(id); }
};

// Keeps kMinLeftWidth pixels left of the side panel: a panel too wide becomes
// client width − 315, and 80 when that is not above 0.
int ClampSideWidth(int clientWidth, int sideWidth);
// The side panel of a window wider than the one its width was set in keeps
// its share of the window; a narrower window keeps the width (then clamped).
int StretchSideWidth(int clientWidth, int sideWidth, int referenceWidth);

ChatLayout ComputeChatLayout(const ChatLayoutInput &input);

// The vertical splitter left of the side panel, dropped at client x: the
// new side-panel width, when x is at least 300 pixels from the left edge and
// more than 50 from the right edge.
std::optional<int> SideWidthFromSplitter(int clientWidth, int x);
// The splitter above the input area, dropped at client y: the new height of
// the input area (which then starts at y, above the bottom bar), when y is
// at least 100 pixels below the top and more than 60 above the bottom.
std::optional<int> InputHeightFromSplitter(int clientHeight, int y);
