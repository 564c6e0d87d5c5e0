// The doodle board of the chat windows: a drawing surface that replaces the
// input box. It shows its picture (DoodleCanvas), feeds it the mouse, runs
// the spray while a button is held, edits the text tool's box in a child
// edit, and carries out the commands that need the desktop: the clipboard
// (paste, copy, cut) and saving the picture to a file.
#pragma once

#include "remote/DoodleCanvas.h"

#include <QTimer>
#include <QWidget>

class QPlainTextEdit;

class CDoodleBoard : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kControlId = 1179;
    static constexpr int kSprayMs = 40;

    explicit CDoodleBoard(QWidget *parent = nullptr);

    // A board command: codes 1..37 with their value.
    bool Command(int code, int value = 0);
    // The text tool's font and colour.
    void SetTextFont(const QFont &font, const QColor &color);
    void SetColors(const QColor &foreground, const QColor &background);

    void CommitFloating();
    // The finished picture (the selection's content when there is one);
    // null when nothing was drawn.
    QImage GetBitmap() const { return m_canvas.Picture(); }
    bool HasDrawing() const { return m_canvas.HasDrawing(); }
    bool HasSelection() const { return m_canvas.HasSelection(); }
    void PutBitmap(const QImage &bitmap, bool floating);
    void PushUndo() { m_canvas.PushUndo(); }
    // Loads a picture file (.bmp, .jpg, .gif ...) as a floating picture;
    // false when it cannot be read.
    bool LoadPictureFile(const QString &path);

    int tool() const { return m_canvas.tool(); }
    const DoodleProperties &properties() const { return m_canvas.properties(); }
    QFont textFont() const { return m_canvas.textFont(); }
    QColor foreground() const { return m_canvas.foreground(); }
    QColor background() const { return m_canvas.background(); }
    DoodleCanvas &canvas() { return m_canvas; }
    const DoodleCanvas &canvas() const { return m_canvas; }

signals:
    void undoStateChanged(bool canUndo, bool canRedo);
    // After a command and when the user draws (the window's drawing notice).
    void toolChanged(int tool);
    // The text tool's font or colour changed, or the colour picker chose.
    void textFontChanged(const QFont &font, const QColor &color);
    void colorsChanged(const QColor &foreground, const QColor &background);
    // The menu key on the board asks its window for a button's menu: the
    // first property of the current tool, or the image operations.
    void menuRequested(int buttonId);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void placeTextEdit();
    bool saveAs();

    DoodleCanvas m_canvas;
    QPlainTextEdit *m_textEdit = nullptr;
    QTimer m_spray;
};
