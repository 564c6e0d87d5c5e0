// The transparency of top-level windows. Settings keep percentages 0..100;
// windows take an alpha 0..255 (255 opaque). Windows name the class of
// windows they belong to, so that one call changes a whole class.
#pragma once

class QWidget;

namespace WindowAlpha {

// The classes of CMessengerApp::SetWindowsAlpha.
enum Kind { MainWindow = 0, ChatWindows = 1, TipPopups = 2, OtherWindows = 3, KindCount = 4 };

// 255 − percent × 255 / 100 in integer arithmetic; a percentage outside
// 0..100 counts as 0 (opaque).
int FromPercent(int percent);
// Applies the alpha to one top-level window; an alpha outside 0..255 counts
// as 255 (opaque).
void SetLayeredAlpha(QWidget *window, int alpha);
// Marks the window as one of the class (it keeps the mark for its life).
void SetKind(QWidget *window, Kind kind);
// The class of a window, or -1 for none.
int KindOf(const QWidget *window);
// Applies the alpha to every top-level window of the class; returns how many.
int ApplyToKind(int kind, int alpha);

} // namespace WindowAlpha
