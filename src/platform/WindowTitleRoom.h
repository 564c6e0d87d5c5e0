// How wide a window must be for the window manager to show its title whole.
// The title bar shows the title as the desktop gets it (Qt appends the
// program's name: "标题 — Kwel") in the bold system font, between the
// frame's icon and its buttons; the window manager cuts what does not fit.
#pragma once

#include <QString>

class QWidget;

namespace WindowTitleRoom {

// The title as the desktop shows it.
QString ShownTitle(const QString &title);
// The width the title bar needs for the title, its icon and its buttons.
int TitleBarWidth(const QString &title);
// Raises the window's minimum width (and its width) to what its title needs,
// at most the screen's width.
void KeepTitleWhole(QWidget &window);

} // namespace WindowTitleRoom
