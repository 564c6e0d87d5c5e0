// The application's face image list: image N is the picture of entry N of the
// face table (the 96 built-in faces, then "/<V>", "/<RB>" and "/<NF>"), drawn
// for this program and kept as resources.
#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

inline constexpr int kFaceImageSide = 24;

// The 99 images, loaded on first use (GUI thread).
const QList<QImage> &FaceImageList();

// A new opaque bitmap of image `index` drawn on the background colour; a
// null image for an index outside the list.
QImage CreateBitmapFromImageList(const QList<QImage> &images, int index, QRgb background);
