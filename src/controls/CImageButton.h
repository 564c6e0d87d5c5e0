// A push button drawn with pictures for its states (hover, pressed and
// optionally normal, each with a transparent colour) or with an icon, and
// six state colours: background and text while hovered, normal and focused.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <array>

class CImageButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum ColorIndex { BkIn = 0, FgIn = 1, BkOut = 2, FgOut = 3, BkFocus = 4, FgFocus = 5, ColorCount = 6 };
    // Results of SetBitmaps and SetColor.
    enum Result { Ok = 0, InvalidBitmap = 1, NoMask = 2, BadIndex = 3 };

    explicit CImageButton(QWidget *parent = nullptr);

    // Pictures for the hover and pressed states and, when not null, the
    // normal state; the pixels of each one's transparent colour are left out.
    int SetBitmaps(const QImage &hover, const QColor &hoverTransparent, const QImage &pressed,
        const QColor &pressedTransparent, const QImage &normal = QImage(), const QColor &normalTransparent = QColor());
    // The same with pictures named by resource path.
    int SetBitmapsById(const QString &hover, const QColor &hoverTransparent, const QString &pressed,
        const QColor &pressedTransparent, const QString &normal = QString(),
        const QColor &normalTransparent = QColor());
    int SetColor(int index, const QColor &color, bool repaint = true);
    QColor GetColor(int index) const;
    // An icon drawn left of the text instead of pictures.
    void SetIcon(const QIcon &icon);

    QSize sizeHint() const override;

    // Where the caption is drawn: right of the icon, or across the button.
    QRect TextRect() const;
    // The picture shown in a state (for tests): pressed, hovered or normal.
    QPixmap pictureFor(bool pressed, bool hovered) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QRect iconRect() const;
    static int masked(const QImage &image, const QColor &transparent, QPixmap &out);

    std::array<QColor, ColorCount> m_colors;
    QPixmap m_hover, m_pressed, m_normal;
    QIcon m_icon;
    bool m_hovered = false;
};
