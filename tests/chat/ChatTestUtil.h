// Helpers of the chat tests: small GIF files written by hand (Qt reads GIF
// but does not write it) and the picture folders of the temporary data folder.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

namespace ChatTest {

// An animated GIF of solid-coloured frames of w x h pixels (at most four
// colours), each shown for delay hundredths of a second, looping forever.
QByteArray makeGif(const QList<QColor> &frames, int width, int height, int delay);
// Writes it to the path (folders created); false on failure.
bool writeGif(const QString &path, const QList<QColor> &frames, int width = 8, int height = 8, int delay = 4);

// A picture with a pattern, so that conversions are visible.
QImage patternImage(int width, int height, QRgb seed);
// True when both images have the same size and RGB values.
bool sameRgb(const QImage &a, const QImage &b);

} // namespace ChatTest
