// A picture loaded from a file (.bmp, .jpg, .gif, .png ...) that can be
// rendered into a bitmap of a given size, as the face store does for its
// thumbnails.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class COlePicture
{
public:
    bool Load(const QString &path);
    bool IsLoaded() const { return !m_picture.isNull(); }
    QSize Size() const { return m_picture.size(); }

    // Renders the picture into a new bitmap of rect's size on white and saves
    // it as a .bmp file. A smaller picture is centred at its own size; a
    // larger one is scaled down, keeping its aspect ratio, and centred.
    bool RenderToBitmap(const QString &targetPath, const QRect &rect) const;
    // The same rendering without the file.
    QImage Render(QSize size) const;

private:
    QImage m_picture;
};
