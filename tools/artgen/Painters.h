// The drawings of the program's art. Every drawing is made in a square of
// 64 × 64 units (the toolbar icons in 16 × 16) scaled to the target rectangle.
#pragma once

#include <QPainter>

namespace Art {

// Images of the head-icon list: 0 a plain IP Messenger peer, 1..83 the head
// icons, 84 and 87/88 neutral figures, 85 a group, 86 a group's members,
// 89 an expanded and 90 a collapsed group node.
constexpr int kHeadImageCount = 91;
void drawHeadImage(QPainter &p, int index);

enum TrayKind { TrayOnline, TrayAway, TrayHidden, TrayMessage };
void drawTrayIcon(QPainter &p, TrayKind kind);
void drawProgramIcon(QPainter &p);
// The bird with its wing up (frame 0) or down (frame 1).
void drawBird(QPainter &p, const QColor &body, const QColor &belly, int frame);

// Toolbar icons 0..7: refresh, multi-send, recent contacts, search, shared
// files, settings, more functions, help (16 × 16 units).
constexpr int kToolIconCount = 8;
void drawToolIcon(QPainter &p, int index);

} // namespace Art
