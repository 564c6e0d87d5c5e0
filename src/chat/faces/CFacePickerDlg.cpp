#include "chat/faces/CFacePickerDlg.h"
#include "core/PlainText.h"

#include "chat/faces/CFaceManagerDlg.h"
#include "chat/faces/FaceImages.h"
#include "chat/faces/FaceLibraryCommands.h"
#include "controls/CGifStatic.h"
#include "core/BmpFile.h"
#include "core/FaceShortcuts.h"
#include "core/PathUtil.h"
#include "core/Prompter.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QToolTip>

namespace {

// The strip's three small pictures: the manager, previous and next page.
QImage stripArt(int which)
{
    QImage art(which == 0 ? QSize(16, 16) : QSize(14, 14), QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 0x50, 0xC0));
    p.setBrush(QColor(0x60, 0x98, 0xE8));
    if (which == 0) {
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
        p.setPen(Qt::white);
        p.drawLine(4, 5, 12, 5);
        p.drawLine(4, 8, 12, 8);
        p.drawLine(4, 11, 12, 11);
    } else {
        const bool left = which == 1;
        const QPointF tip = left ? QPointF(2, 7) : QPointF(12, 7);
        const QPointF back = left ? QPointF(12, 1) : QPointF(2, 1);
        const QPointF back2 = left ? QPointF(12, 13) : QPointF(2, 13);
        p.drawPolygon(QPolygonF({ tip, back, back2 }));
    }
    return art;
}

const QPoint kArtPos[] = { QPoint(4, 205), QPoint(320, 206), QPoint(360, 205) };

} // namespace

CFacePickerDlg::CFacePickerDlg(QWidget *owner)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("107"));
    setFixedSize(FacePickerModel::kWidth, FacePickerModel::kHeight);
    setMouseTracking(true);
    m_preview = new CGifStatic(this);
    m_preview->setObjectName(QStringLiteral("1006"));
    m_preview->SetFixedSize(FacePickerModel::kPreviewSide, FacePickerModel::kPreviewSide);
    m_preview->setFixedSize(FacePickerModel::kPreviewSide, FacePickerModel::kPreviewSide);
    m_preview->hide();
    m_preview->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The preview covers a corner of the page: on white, not over the faces.
    QPalette white = m_preview->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_preview->setPalette(white);
    m_preview->setAutoFillBackground(true);
}

CFacePickerDlg::~CFacePickerDlg()
{
    m_preview->UnLoad();
}

QRect CFacePickerDlg::HotRect(int index)
{
    switch (index) {
    case 0:
        return QRect(kArtPos[0], QSize(16, 16));
    case 1:
        return QRect(kArtPos[1], QSize(14, 14));
    case 2:
        return QRect(kArtPos[2], QSize(14, 14));
    case 3:
        return QRect(QPoint(150, 201), QPoint(199, 225));
    }
    return {};
}

void CFacePickerDlg::reloadFaceIndex()
{
    m_model.ForgetIndex();
    LoadFaceIndex();
}

void CFacePickerDlg::LoadFaceIndex()
{
    m_model.LoadFaceIndex(m_store, FaceImageList());
    RedrawPage();
}

void CFacePickerDlg::ShowAt(const QRect &buttonRect)
{
    QScreen *screen = QGuiApplication::screenAt(buttonRect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    move(FacePickerPlacement(buttonRect, work));
    show();
    raise();
    activateWindow();
}

void CFacePickerDlg::RedrawPage()
{
    m_model.SetPage(m_model.currentPage());
    const int pageIndex = m_model.currentPage() - 1;
    m_page = LoadBitmapFile(m_store.pageCacheFile(pageIndex));
    if (m_page.isNull() || m_page.size() != QSize(FacePickerModel::kPageWidth, FacePickerModel::kPageHeight))
        m_page = m_model.RenderPage(pageIndex, m_store, FaceImageList());
    m_hover = -1;
    update();
}

void CFacePickerDlg::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, m_page);
    // The hovered cell's frame in red.
    if (m_hover >= 0) {
        p.setPen(QColor(0xFF, 0, 0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(FacePickerModel::CellFrame(m_hover).adjusted(0, 0, -1, -1));
    }
    // The bottom strip.
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRect(QPoint(0, 201), QPoint(width() - 1, 225)));
    p.setPen(QColor(0, 0, 0xFF));
    p.drawText(HotRect(3), Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("增加表情"));
    p.drawText(QRect(QPoint(280, 201), QPoint(319, 225)), Qt::AlignCenter | Qt::TextSingleLine,
        QStringLiteral("%1/%2").arg(m_model.currentPage()).arg(m_model.pageCount()));
    for (int i = 0; i < 3; ++i)
        p.drawImage(kArtPos[i], stripArt(i));
}

void CFacePickerDlg::showPreview(int cell)
{
    const int column = cell % FacePickerModel::kColumns;
    m_preview->move(FacePickerModel::PreviewPos(column));
    if (m_model.IsBuiltInCell(cell)) {
        m_preview->SetImageListImage(FaceImageList(), cell);
    } else {
        const int position = m_model.FaceAt(cell);
        if (!m_preview->LoadFromFile(m_model.picturePath(m_model.idAt(position))))
            return;
        m_preview->Draw();
    }
    m_preview->show();
    m_preview->raise();
}

void CFacePickerDlg::OnMouseMove(QPoint pos)
{
    const int cell = pos.y() < FacePickerModel::kPageHeight ? FacePickerModel::CellAt(pos) : -1;
    if (cell < 0 || cell == m_hover)
        return;
    if (!m_model.IsBuiltInCell(cell) && m_model.FaceAt(cell) < 0)
        return; // an empty cell: the old frame stays
    m_hover = cell;
    update();
    showPreview(cell);
}

void CFacePickerDlg::OnLButtonDown(QPoint pos)
{
    for (int i = 0; i < 4; ++i) {
        if (!HotRect(i).contains(pos))
            continue;
        switch (i) {
        case 0:
            openManager();
            return;
        case 1:
            m_model.PreviousPage();
            break;
        case 2:
            m_model.NextPage();
            break;
        case 3:
            OnAddFaces();
            return;
        }
        m_preview->UnLoad();
        m_preview->hide();
        RedrawPage();
        return;
    }
    if (m_hover < 0 || !m_callback)
        return;
    if (m_model.IsBuiltInCell(m_hover)) {
        m_callback(QString(), m_hover);
        return;
    }
    const int position = m_model.FaceAt(m_hover);
    const QString path = position >= 0 ? m_model.picturePath(m_model.idAt(position)) : QString();
    if (!path.isEmpty())
        m_callback(path, -1);
}

void CFacePickerDlg::openManager()
{
    hide();
    CFaceManagerDlg manager(m_store, parentWidget());
    manager.exec();
    reloadFaceIndex();
}

void CFacePickerDlg::OnDeleteFace()
{
    const int position = m_hover >= 0 && !m_model.IsBuiltInCell(m_hover) ? m_model.FaceAt(m_hover) : -1;
    if (position < 0)
        return;
    // The hovered face goes by its own id: the index may name its file
    // otherwise (another face's id text, or no id at all).
    if (m_store.DeleteCustomFace(m_model.idAt(position))) {
        reloadFaceIndex();
        return;
    }
    Prompter::current().messageBox(this, QStringLiteral("删除失败!"), QStringLiteral("删除失败"),
        Prompter::Buttons::Ok, Prompter::Icon::Information);
}

void CFacePickerDlg::OnAddFaces()
{
    hide();
    AddCustomFacesFromFiles(m_store, parentWidget());
    reloadFaceIndex();
}

void CFacePickerDlg::mouseMoveEvent(QMouseEvent *event)
{
    OnMouseMove(event->position().toPoint());
}

void CFacePickerDlg::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!rect().contains(pos)) {
        QWidget::mousePressEvent(event); // outside: the popup closes
        return;
    }
    OnMouseMove(pos);
    if (event->button() == Qt::LeftButton) {
        OnLButtonDown(pos);
        return;
    }
    if (event->button() != Qt::RightButton || m_hover < 0 || m_model.IsBuiltInCell(m_hover))
        return;
    const int position = m_model.FaceAt(m_hover);
    if (position < 0 || m_model.picturePath(m_model.idAt(position)).isEmpty())
        return;
    QMenu menu(this);
    menu.addAction(QStringLiteral("删除"))->setData(int(CmdDeleteFace));
    menu.addSeparator();
    menu.addAction(QStringLiteral("增加表情"))->setData(int(CmdAddFaces));
    const QAction *chosen = menu.exec(event->globalPosition().toPoint());
    if (!chosen)
        return;
    if (chosen->data().toInt() == CmdDeleteFace)
        OnDeleteFace();
    else
        OnAddFaces();
}

bool CFacePickerDlg::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int cell = FacePickerModel::CellAt(help->pos());
        QString tip;
        if (m_model.IsBuiltInCell(cell))
            tip = FaceTipTable[cell].toString();
        else if (const int position = m_model.FaceAt(cell); position >= 0)
            tip = m_model.tip(m_model.idAt(position));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), PlainText::ToolTip(tip), this, FacePickerModel::CellFrame(cell));
        return true;
    }
    if (event->type() == QEvent::Hide)
        m_preview->UnLoad();
    return QWidget::event(event);
}
