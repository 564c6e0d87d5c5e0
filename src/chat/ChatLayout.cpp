#include "chat/ChatLayout.h"

#include "chat/DoodleLayout.h"

#include <algorithm>

namespace {

// A value that involves a fraction of the height, truncated as a whole.
int frac(double value)
{
    return int(value);
}

void place(ChatLayout &out, int id, int x, int y, int w, int h)
{
    out.rects.insert(id, QRect(x, y, std::max(w, 0), std::max(h, 0)));
}

void layoutLeft(ChatLayout &out, int width, int height)
{
    const int right = width - out.sideWidth; // the left column ends here
    const int inputTop = height - out.inputHeight - ChatLayout::kBottomBar;
    out.band = QRect(QPoint(3, 38), QPoint(right - 1, 54));
    out.leftFrame = QRect(QPoint(2, 37), QPoint(right - 2, height - ChatLayout::kBottomBar));
    out.historyLineY = 56;
    out.inputLineY = inputTop;

    place(out, ChatCtl::Assistance, 4, 3, 80, 32);
    place(out, ChatCtl::Control, 86, 3, 80, 32);
    place(out, ChatCtl::Voice, 168, 3, 80, 32);
    place(out, ChatCtl::Shares, 250, 3, 80, 32);

    place(out, ChatCtl::History, 4, 57, right - 8, inputTop - 58);
    place(out, ChatCtl::HistorySplitter, 4, inputTop - 1, right - 8, 3);
    const int toolY = inputTop + 2;
    place(out, ChatCtl::Font, 7, toolY, 50, 25);
    place(out, ChatCtl::Faces, 61, toolY, 50, 25);
    place(out, ChatCtl::Capture, 113, toolY, 50, 25);
    place(out, ChatCtl::CaptureArrow, 164, toolY + 3, 9, 19);
    place(out, ChatCtl::SendPicture, 174, toolY, 80, 25);
    place(out, ChatCtl::Doodle, 254, toolY, 76, 25);
    place(out, ChatCtl::Input, 4, toolY + 27, right - 8, height - ChatLayout::kBottomBar - toolY - 28);

    const int barY = height - ChatLayout::kBottomBar + 4;
    place(out, ChatCtl::PeerLog, 4, barY, 55, 22);
    place(out, ChatCtl::WholeLog, 61, barY, 55, 22);
    place(out, ChatCtl::Shake, 118, barY, 55, 22);
    place(out, ChatCtl::SendArrow, right - 12, barY, 8, 22);
    place(out, ChatCtl::Send, right - 84, barY, 72, 22);
    place(out, ChatCtl::Close, right - 148, barY, 60, 22);
    place(out, ChatCtl::SideSplitter, right - 1, 37, 3, height - 37 - 5);
}

void layoutSidePanel(ChatLayout &out, const ChatLayoutInput &in)
{
    // The file panel places its own lists and buttons (FilePanelLayout); the
    // window keeps the heading, the caption bands, the lines, the photo and
    // the peer lines.
    const int R = in.client.width();
    const int C = in.client.height();
    const int W = out.sideWidth;
    const int X = R - W;
    const double H = C - ChatLayout::kTopBar;

    out.sideHeading = QRect(QPoint(X + 3, 35), QPoint(R - 1, 54));
    out.sideFrame = QRect(QPoint(X + 2, 37), QPoint(R - 1, C - 5));
    out.sideLines = {55};
    if (in.fileListsShown) {
        const int q = frac(H / 4);
        out.captions = {{QRect(X, 35 + q - 20, W, 20), QStringLiteral("要接收的文件")},
            {QRect(X, 35 + 2 * q, W, 20), QStringLiteral("已接收的文件")},
            {QRect(X, 35 + 3 * q, W, 20), QStringLiteral("发送文件")}};
        out.sideLines += {35 + q - 20, 35 + q, 35 + 2 * q - 1, 35 + 2 * q + 20, 35 + 3 * q - 1, 35 + 3 * q + 20};
        if (in.photoShown && in.photoAvailable) {
            out.photo = QRect(QPoint(X + 3, 56), QPoint(X + std::min(W, 60), 56 + std::min(frac(H / 4 - 40), 60)));
            out.photoBeside = true;
        }
    } else {
        const int T = frac(H / 3);
        out.captions = {{QRect(X, 35 + T - 20, W, 20), QStringLiteral("对方形象照片")},
            {QRect(X, frac(35 + 2.0 * T), W, 20), QStringLiteral("发送文件")}};
        out.sideLines += {35 + T - 20, 35 + T, 35 + 2 * T - 1, 35 + 2 * T + 20};
        const QRect room(QPoint(X + 5, 35 + T + 1), QPoint(R - 3, frac(35 + 2.0 * T - 1)));
        if (in.photoShown && in.photoAvailable)
            out.photo = room;
        else
            out.webPane = room;
    }

    // Peer lines: from y 55 at the pitch of a fifth of the room above the first caption.
    const double Q = H / (in.fileListsShown ? 4 : 3);
    out.peerLinePitch = frac((Q - 20 - 20) * 0.2);
    const int left = out.photoBeside ? X + std::min(W, 60) : X + 3;
    // To the window's right edge: "IP:" and the longest address just fit
    // beside the photo at the default side width.
    out.peerLines = QRect(left, 55, std::max(R - left, 0), 20);
}

} // namespace

int ClampSideWidth(int clientWidth, int sideWidth)
{
    if (clientWidth != 0 && clientWidth - sideWidth < ChatLayout::kMinLeftWidth) {
        sideWidth = clientWidth - ChatLayout::kMinLeftWidth;
        if (sideWidth <= 0)
            sideWidth = ChatLayout::kNarrowSide;
    }
    return sideWidth;
}

int StretchSideWidth(int clientWidth, int sideWidth, int referenceWidth)
{
    if (referenceWidth <= 0 || clientWidth <= referenceWidth)
        return sideWidth;
    return int(qint64(sideWidth) * clientWidth / referenceWidth);
}

ChatLayout ComputeChatLayout(const ChatLayoutInput &in)
{
    ChatLayout out;
    out.sideWidth = ClampSideWidth(
        in.client.width(), StretchSideWidth(in.client.width(), in.sideWidth, in.sideReferenceWidth));
    out.inputHeight = in.inputHeight;
    layoutLeft(out, in.client.width(), in.client.height());
    if (in.doodleMode) {
        out.hidden.insert(ChatCtl::Input);
        const int boardWidth = std::max(out.rect(ChatCtl::History).width() - in.historyChrome, 1);
        LayoutDoodlePane(
            out, {out.rect(ChatCtl::Input), in.client.width(), out.sideWidth, in.doodleButtons, boardWidth});
    } else {
        out.hidden += {ChatCtl::DoodleBoard, ChatCtl::DoodlePalette, ChatCtl::DoodleToolStrip, ChatCtl::DoodleLineType,
            ChatCtl::DoodleLineWidth, ChatCtl::DoodleFill, ChatCtl::DoodleImage};
    }
    layoutSidePanel(out, in);
    return out;
}

std::optional<int> SideWidthFromSplitter(int clientWidth, int x)
{
    if (x >= 300 && clientWidth - x > 50)
        return clientWidth - x;
    return std::nullopt;
}

std::optional<int> InputHeightFromSplitter(int clientHeight, int y)
{
    if (y >= 100 && clientHeight - y > 60)
        return clientHeight - ChatLayout::kBottomBar - y;
    return std::nullopt;
}
