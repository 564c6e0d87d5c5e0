#include "platform/WindowTitleRoom.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace WindowTitleRoom {

namespace {

// The frame's icon and its three buttons (minimise, maximise, close), each a
// square of the title's line height with the space around it, and the
// frame's borders and padding on both sides and around the title. Measured
// on a window manager's plain theme (openbox: about 106 pixels besides the
// title for a 14-pixel title font), with room to spare for themes with
// larger buttons and for the title drawn in a font other than ours.
constexpr int kFrameButtons = 4;
constexpr int kButtonSpacing = 8;
constexpr int kFramePadding = 40;

} // namespace

QString ShownTitle(const QString &title)
{
    const QString program = QGuiApplication::applicationDisplayName();
    if (program.isEmpty() || title.isEmpty() || title == program)
        return title.isEmpty() ? program : title;
    return title + QStringLiteral(" \u2014 ") + program;
}

int TitleBarWidth(const QString &title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics fm(font);
    return fm.horizontalAdvance(ShownTitle(title)) + kFrameButtons * (fm.height() + kButtonSpacing) + kFramePadding;
}

void KeepTitleWhole(QWidget &window)
{
    int need = TitleBarWidth(window.windowTitle());
    if (const QScreen *screen = window.screen())
        need = std::min(need, screen->availableGeometry().width());
    if (window.maximumWidth() < need)
        window.setMaximumWidth(need);
    if (window.minimumWidth() < need)
        window.setMinimumWidth(need);
    if (window.width() < need)
        window.resize(need, window.height());
}

} // namespace WindowTitleRoom
