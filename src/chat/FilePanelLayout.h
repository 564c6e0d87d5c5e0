// Where the file panel's lists and buttons stand in the chat window, and how
// far the window's two splitters may be dragged. Computed without widgets, in
// the window's client coordinates. R is the client width, C its height, W
// the side-panel width, X = R − W and H = C − 35; every value that involves a
// fraction of H is computed in floating point and truncated as a whole.
#pragma once

#include "chat/ChatLayout.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

// The control ids of the panel (objectName of each control).

struct FilePanelCaption
{
    QRect band; // 20 pixels high, across the side panel
    QString title;
};

struct FilePanelGeometry
{
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
