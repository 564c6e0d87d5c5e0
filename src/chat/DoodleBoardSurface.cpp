#include "chat/DoodleBoardSurface.h"

#include "controls/CColorPaletteCtrl.h"
#include "controls/CImageToolBar.h"
#include "controls/SkinColor.h"
#include "remote/CDoodleBoard.h"
#include "remote/DoodleMenus.h"

#include <QSignalBlocker>

void WireDoodleTools(CDoodleBoard *board, CColorPaletteCtrl *palette, CImageToolBar *toolStrip)
{
    QObject::connect(palette, &CColorPaletteCtrl::colorsChanged, board, &CDoodleBoard::SetColors);
    QObject::connect(board, &CDoodleBoard::colorsChanged, palette, &CColorPaletteCtrl::SetColors);
    QObject::connect(board, &CDoodleBoard::textFontChanged, palette,
        [palette](const QFont &, const QColor &color) { palette->SetColors(color, QColor()); });
    QObject::connect(toolStrip, &CImageToolBar::commandChosen, board, [board](int code) { board->Command(code); });
    QObject::connect(board, &CDoodleBoard::undoStateChanged, toolStrip, &CImageToolBar::SetUndoState);
    QObject::connect(board, &CDoodleBoard::toolChanged, toolStrip, &CImageToolBar::SetCurrentTool);
    toolStrip->SetCurrentTool(board->tool());
}

DoodleBoardSurface::DoodleBoardSurface(QWidget *parent)
    : m_board(new CDoodleBoard(parent))
    , m_palette(new CColorPaletteCtrl(parent))
    , m_toolStrip(new CImageToolBar(parent))
{
    for (QWidget *w : { board(), palette(), toolStrip() })
        w->hide();
    WireDoodleTools(m_board, m_palette, m_toolStrip);
    m_menuRequests = QObject::connect(
        m_board, &CDoodleBoard::menuRequested, m_board, [this](int buttonId) { RequestMenu(buttonId); });
}

DoodleBoardSurface::~DoodleBoardSurface()
{
    // The widgets belong to their parent and may outlive the surface.
    QObject::disconnect(m_menuRequests);
}

QWidget *DoodleBoardSurface::board()
{
    return m_board;
}

QWidget *DoodleBoardSurface::palette()
{
    return m_palette;
}

QWidget *DoodleBoardSurface::toolStrip()
{
    return m_toolStrip;
}

void DoodleBoardSurface::CommitFloating()
{
    m_board->CommitFloating();
}

QImage DoodleBoardSurface::Picture() const
{
    return m_board->HasDrawing() ? m_board->GetBitmap() : QImage();
}

bool DoodleBoardSurface::HasSelection() const
{
    return m_board->HasSelection();
}

void DoodleBoardSurface::Command(int code, int value)
{
    {
        const QSignalBlocker quiet(m_board);
        m_board->Command(code, value);
    }
    m_toolStrip->SetUndoState(m_board->canvas().CanUndo(), m_board->canvas().CanRedo());
    m_toolStrip->SetCurrentTool(m_board->tool());
}

void DoodleBoardSurface::PutBitmap(const QImage &bitmap, bool floating)
{
    m_board->PutBitmap(bitmap, floating);
}

bool DoodleBoardSurface::LoadPictureFile(const QString &path)
{
    return m_board->LoadPictureFile(path);
}

void DoodleBoardSurface::SetColors(quint32 background, quint32 frame)
{
    m_toolStrip->SetColors(ColorFromRef(background), ColorFromRef(frame));
}

QMenu *DoodleBoardSurface::CreateMenu(QWidget *parent, int buttonId)
{
    return CreateDoodleMenu(parent, m_board, buttonId);
}
