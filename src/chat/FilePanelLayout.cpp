#include "chat/FilePanelLayout.h"

namespace {

int toInt(double value)
{
    return int(value);
}

} // namespace

FilePanelGeometry ComputeFilePanelLayout(const QSize &client, int sideWidth, bool fileListsShown)
{
    using G = FilePanelGeometry;
    namespace Id = ChatCtl;
    G g;
    const int r = client.width();
    const int c = client.height();
    const int w = ClampSideWidth(r, sideWidth);
    g.sideWidth = w;
    g.fileListsShown = fileListsShown;
    const int x = r - w;
    const double h = c - ChatLayout::kTopBar;

    auto button
        = [&](int id, int bx, int by, int bw, int bh) { g.rects.insert(id, bx < x ? QRect() : QRect(bx, by, bw, bh)); };
    auto caption = [&](int top, const QString &title) { g.captions.append({ QRect(x, top, w, 20), title }); };

    double sendFraction = 2.0 / 3.0;
    int sendListHeight = toInt(h / 3 - 31);
    if (fileListsShown) {
        sendFraction = 3.0 / 4.0;
        sendListHeight = toInt(h / 4 - 31);
        caption(toInt(ChatLayout::kTopBar + h / 4) - 20, QStringLiteral("要接收的文件"));
        caption(toInt(ChatLayout::kTopBar + h / 2), QStringLiteral("已接收的文件"));
        button(Id::StopTransfer, r - 58, toInt(h / 4 + 18), 55, 16);
        button(Id::ReceiveAll, r - 164, toInt(h / 4 + 38), 50, 16);
        button(Id::RejectAll, r - 112, toInt(h / 4 + 38), 50, 16);
        button(Id::Receive, r - 58, toInt(h / 4 + 38), 27, 16);
        button(Id::Reject, r - 30, toInt(h / 4 + 38), 27, 16);
        button(Id::ShowInFolder, r - 86, toInt(h / 2 + 36), 27, 16);
        button(Id::OpenReceived, r - 58, toInt(h / 2 + 36), 27, 16);
        button(Id::ClearReceived, r - 30, toInt(h / 2 + 36), 27, 16);
        g.rects.insert(Id::Progress, QRect(x, toInt(h / 4 + 38), w, 20));
        g.rects.insert(Id::OfferedList, QRect(x + 4, toInt(h / 4 + 58), w - 7, toInt(h / 4 - 25)));
        g.rects.insert(Id::ReceivedList, QRect(x + 4, toInt(h / 2 + 58), w - 7, toInt(h / 4 - 25)));
    }
    const int sendTop = toInt(ChatLayout::kTopBar + sendFraction * h);
    caption(sendTop, QStringLiteral("发送文件"));
    g.rects.insert(Id::AttachmentList, QRect(x + 5, toInt(sendFraction * h + 58), w - 8, sendListHeight));
    button(Id::Monitor, r - 114, toInt(sendFraction * h + 36), 27, 16);
    button(Id::AddFolder, r - 86, toInt(sendFraction * h + 36), 27, 16);
    button(Id::AddFiles, r - 58, toInt(sendFraction * h + 36), 27, 16);
    button(Id::RemoveAttachments, r - 30, toInt(sendFraction * h + 36), 27, 16);

    const int top = g.captions.first().band.top();
    g.panel = QRect(x, top, w, qMax(0, c - top));
    g.sendHint = QRect(x + 5, sendTop, 46, 20);
    return g;
}
