// The drawing tools as a chat window uses them: the doodle board with its
// colour palette and tool strip, wired to each other (the palette's colours
// to the board and back, the strip's commands to the board, the board's
// undo state and tool to the strip). The one-to-one window keeps the three
// as its members; the multi-user window holds them through DoodleSurface.
#pragma once

#include "chat/DoodleSurface.h"

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

private:
    CDoodleBoard *m_board;
    CColorPaletteCtrl *m_palette;
    CImageToolBar *m_toolStrip;
};
