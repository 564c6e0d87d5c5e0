// A popup of the built-in faces in a grid, placed below the face button;
// clicking a face reports its index and closes the popup.
#pragma once

#include <QFrame>

class FaceGridPopup : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kColumns = 12;
    static constexpr int kCell = 28;

    explicit FaceGridPopup(QWidget *parent = nullptr);
    // Shows the popup with its top-left corner at the global position.
    void ShowAt(const QPoint &globalPos);
    // The face under a point of the popup, or -1.
    int FaceAt(const QPoint &pos) const;

signals:
    void faceChosen(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect cellRect(int index) const;
    int m_hot = -1;
};
