// Where the folder bar puts its folder buttons and the open folder's page:
// the buttons of the folders up to the selected one at the top, the others
// at the bottom, the page in between.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

struct OutBarLayout
{
    QList<QRect> buttons; // one per folder
    QRect page; // never of negative size

    // The folder whose button holds the point, or -1.
    int folderAt(const QPoint &point) const;
};

OutBarLayout ComputeOutBarLayout(QSize client, int folderCount, int selected, int buttonHeight);
// The layout between two others at progress 0..1 (the folder-switch slide).
OutBarLayout BlendOutBarLayouts(const OutBarLayout &from, const OutBarLayout &to, double progress);
