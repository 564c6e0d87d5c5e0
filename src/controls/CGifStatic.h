// A static control that shows a picture file and animates a multi-frame GIF,
// or shows one image of an image list inside a frame. The face picker, the
// face manager and the chat window show face previews with it.
#pragma once

#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>

class QMovie;

class CGifStatic : public QWidget
{
    Q_OBJECT
public:
    explicit CGifStatic(QWidget *parent = nullptr);
    ~CGifStatic() override;

    // Loads a GIF (animated or not) or any other picture file; false when it
    // cannot be read (the control is then empty).
    bool LoadFromFile(const QString &path);
    // Shows the picture and starts or resumes the animation.
    void Draw();
    // Stops the animation and frees the frames.
    void UnLoad();
    // Keeps this size instead of the picture's own; a larger picture is
    // scaled down into it, keeping its aspect ratio.
    void SetFixedSize(int width, int height);
    // Shows image `index` of the list, drawn with a frame.
    void SetImageListImage(const QList<QImage> &images, int index);

    // The frame shown now (null when empty).
    QImage CurrentImage() const;
    bool IsAnimating() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void adoptSize(QSize pictureSize);

    QPointer<QMovie> m_movie;
    QImage m_image;
    bool m_framed = false;
    QSize m_fixedSize;
};
