// The drawing tools as a chat window uses them: the doodle board with its
// colour palette and tool strip, wired to each other (the palette's colours
// to the board and back, the strip's commands to the board, the board's
// undo state and tool to the strip). Both chat windows hold them through
// it; the commands the program gives through it (the clearing after a send)
// are no drawing of the user's and tell nobody.
#pragma once

#include "chat/DoodleSurface.h"

#include <QMetaObject>

class CColorPaletteCtrl;
class CDoodleBoard;
class CImageToolBar;

// Connects the three widgets to each other.
void WireDoodleTools(CDoodleBoard *board, CColorPaletteCtrl *palette, CImageToolBar *toolStrip);

class DoodleBoardSurface : public DoodleSurface
{
public:
    // The three widgets are made hidden as children of the parent.
    explicit DoodleBoardSurface(QWidget *parent);
    ~DoodleBoardSurface() override;

    QWidget *board() override;
    QWidget *palette() override;
    QWidget *toolStrip() override;
    void CommitFloating() override;
    QImage Picture() const override;
    bool HasSelection() const override;
    void Command(int code, int value) override;
    void PutBitmap(const QImage &bitmap, bool floating) override;
    bool LoadPictureFile(const QString &path) override;
    void SetColors(quint32 background, quint32 frame) override;
    QMenu *CreateMenu(QWidget *parent, int buttonId) override;

    CDoodleBoard *doodleBoard() const { return m_board; }
    CColorPaletteCtrl *colorPalette() const { return m_palette; }
    CImageToolBar *imageToolBar() const { return m_toolStrip; }

private:
    CDoodleBoard *m_board;
    CColorPaletteCtrl *m_palette;
    CImageToolBar *m_toolStrip;
    QMetaObject::Connection m_menuRequests;
};
