#include "chat/FaceGridPopup.h"

#include "chat/faces/FaceImages.h"
#include "core/FaceShortcuts.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr int kMargin = 4;
constexpr int kRows = (kBuiltInFaceCount + FaceGridPopup::kColumns - 1) / FaceGridPopup::kColumns;
} // namespace

FaceGridPopup::FaceGridPopup(QWidget *parent)
    : QFrame(parent, Qt::Popup)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    setFrameShape(QFrame::Box);
    setFixedSize(2 * kMargin + kColumns * kCell, 2 * kMargin + kRows * kCell);
}

void FaceGridPopup::ShowAt(const QPoint &globalPos)
{
    move(globalPos);
    show();
}

QRect FaceGridPopup::cellRect(int index) const
{
    return QRect(kMargin + (index % kColumns) * kCell, kMargin + (index / kColumns) * kCell, kCell, kCell);
}

int FaceGridPopup::FaceAt(const QPoint &pos) const
{
    const int column = (pos.x() - kMargin) / kCell;
    const int row = (pos.y() - kMargin) / kCell;
    if (pos.x() < kMargin || pos.y() < kMargin || column >= kColumns || row >= kRows)
        return -1;
    const int index = row * kColumns + column;
    return index < kBuiltInFaceCount ? index : -1;
}

void FaceGridPopup::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    p.fillRect(rect().adjusted(1, 1, -1, -1), Qt::white);
    const QList<QImage> &faces = FaceImageList();
    p.setPen(QColor(0xDD, 0xE3, 0xEE));
    for (int i = 0; i < kBuiltInFaceCount && i < faces.size(); ++i) {
        const QRect cell = cellRect(i);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        const QImage &face = faces[i];
        p.drawImage(cell.center() - QPoint(face.width() / 2, face.height() / 2), face);
    }
    if (m_hot >= 0) {
        p.setPen(QPen(QColor(0x2B, 0x4F, 0x8E), 1));
        p.drawRect(cellRect(m_hot).adjusted(0, 0, -1, -1));
    }
}

void FaceGridPopup::mouseMoveEvent(QMouseEvent *event)
{
    const int hot = FaceAt(event->position().toPoint());
    if (hot != m_hot) {
        m_hot = hot;
        update();
    }
}

void FaceGridPopup::mouseReleaseEvent(QMouseEvent *event)
{
    const int index = FaceAt(event->position().toPoint());
    if (index >= 0)
        emit faceChosen(index);
    close();
}

bool FaceGridPopup::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int index = FaceAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), FaceTipTable[size_t(index)].toString(), this, cellRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QFrame::event(event);
}
