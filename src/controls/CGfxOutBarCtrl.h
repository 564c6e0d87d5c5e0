// The folder bar: an outlook-style stack of folder buttons, one page shown
// at a time. A click on a folder's button opens its page; the buttons slide
// to their new places over the flash interval.
#pragma once

#include "controls/OutBarLayout.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVariantAnimation>
#include <QWidget>
#include <algorithm>

class QPainter;

class CGfxOutBarCtrl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kButtonHeight = 22;

    explicit CGfxOutBarCtrl(QWidget *parent = nullptr);

    // Adds a folder showing the page (which becomes a child of the bar);
    // returns its index.
    int AddFolder(const QString &title, QWidget *page);
    int GetFolderCount() const { return int(m_folders.size()); }
    QString GetFolderText(int index) const;
    // Renames a folder and repaints its button; false for a bad index.
    bool SetFolderText(int index, const QString &title);
    QWidget *GetFolderPage(int index) const;
    int GetSelFolder() const { return m_selected; }
    // Opens the folder (nothing for a bad index); emits folderChanged.
    void SetSelFolder(int index);
    // The time the buttons take to slide when another folder opens (0: at once).
    void SetFlashInterval(int milliseconds) { m_flashInterval = std::max(0, milliseconds); }
    int GetFlashInterval() const { return m_flashInterval; }
    // The colours of the folder buttons: frame, the gradient's first colour
    // (top), its middle colour and its bottom colour. The caller repaints.
    void SetSkinColors(const QColor &frame, const QColor &leftTop, const QColor &rightBottom,
        const QColor &rightBottom2);
    QColor skinColor(int which) const;

    OutBarLayout currentLayout() const;

signals:
    void folderChanged(int index);
    // A right click on a folder's button.
    void folderMenuRequested(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    // A right click on a folder's button is folderMenuRequested alone.
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    struct Folder
    {
        QString title;
        QPointer<QWidget> page;
    };

    void placePages();
    void paintButton(QPainter &painter, const QRect &rect, int index) const;

    QList<Folder> m_folders;
    int m_selected = -1;
    int m_hover = -1;
    int m_flashInterval = 0;
    QColor m_frame, m_leftTop, m_rightBottom, m_rightBottom2;
    QVariantAnimation m_slide;
    OutBarLayout m_slideFrom;
};
