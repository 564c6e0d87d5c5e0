// The skinned tool button of the chat windows: flat in its background
// colour, a gradient with a frame while the mouse is over it, pressed in
// while held. The windows set its caption, tip, icon and colours.
#pragma once

#include <QColor>
#include <QPushButton>

class CHoverButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CHoverButton(QWidget *parent = nullptr);
    explicit CHoverButton(const QString &text, QWidget *parent = nullptr);

    // Background, frame and the gradient shown while hovered (top, bottom).
    void SetColors(const QColor &background, const QColor &frame, const QColor &hoverTop, const QColor &hoverBottom);
    void SetTextColor(const QColor &color);
    bool isHovered() const { return m_hovered; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QColor m_background, m_frame, m_hoverTop, m_hoverBottom, m_text;
    bool m_hovered = false;
};
