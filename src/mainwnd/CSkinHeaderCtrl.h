// The owner-painted header of the skinned lists: a two-colour face with a
// frame line, its own font, and the column under the mouse drawn lighter.
#pragma once

#include <QHeaderView>

class CSkinHeaderCtrl : public QHeaderView
{
    Q_OBJECT
public:
    explicit CSkinHeaderCtrl(QWidget *parent = nullptr);

    // Frame, top and bottom colours of the face.
    void SetSkinColors(const QColor &frame, const QColor &top, const QColor &bottom);
    int hotColumn() const { return m_hot; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QColor m_frame;
    QColor m_top;
    QColor m_bottom;
    int m_hot = -1;
};
