// The face picker (dialog 107): a borderless popup above a chat window's
// face button with the 96 built-in faces and the custom faces on pages of
// 16 x 8 cells, a preview of the face under the mouse, and a bottom strip
// that opens the face manager, turns the pages and adds faces. The chosen
// face goes back through the selection callback: a built-in face as its
// index with an empty path, a custom face as its picture path with -1.
#pragma once

#include "chat/facestore/FacePickerModel.h"
#include "chat/facestore/FaceStore.h"

#include <QImage>
#include <QWidget>
#include <functional>

class CGifStatic;
class QLabel;

class CFacePickerDlg : public QWidget
{
    Q_OBJECT
public:
    enum Command { CmdDeleteFace = 32840, CmdAddFaces = 32841 };
    using Callback = std::function<void(const QString &path, int index)>;

    explicit CFacePickerDlg(QWidget *owner = nullptr);
    ~CFacePickerDlg() override;

    void SetStore(const FaceStore &store) { m_store = store; }
    // Rereads the index when it changed; renders missing page caches.
    void LoadFaceIndex();
    void SetCallback(Callback callback) { m_callback = std::move(callback); }
    // Places the popup for the face button (screen coordinates) and shows it.
    void ShowAt(const QRect &buttonRect);

    void RedrawPage();
    const FacePickerModel &model() const { return m_model; }
    int hoverCell() const { return m_hover; }

    // What the mouse does, by position in the popup (tests call these).
    void OnMouseMove(QPoint pos);
    void OnLButtonDown(QPoint pos);
    // The context menu's commands on the hovered face.
    void OnDeleteFace();
    void OnAddFaces();
    // The bottom strip's hot rectangles: 0 manager, 1 previous page, 2 next
    // page, 3 "增加表情".
    static QRect HotRect(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void showPreview(int cell);
    void openManager();
    // After the picker's own change of the library.
    void reloadFaceIndex();

    FaceStore m_store;
    FacePickerModel m_model;
    QImage m_page;
    int m_hover = -1;
    Callback m_callback;
    CGifStatic *m_preview = nullptr;
};
